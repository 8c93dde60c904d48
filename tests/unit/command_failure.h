// command_failure.h - what a step raised as a CommandError, for the tests that expect one.
#pragma once

#include <string>

#include "gateway/errors.h"

namespace qorin {

// Whether the step raised a CommandError, and its kind and message when it did.
struct CommandFailure {
    bool raised = false;
    ErrorKind kind = ErrorKind::Usage;
    std::string message;
};

// Runs `step`; a CommandError it raises is caught and described, any other exception passes.
template <typename Step>
CommandFailure commandFailure(Step&& step) {
    try {
        step();
    } catch (const CommandError& error) {
        return {true, error.kind(), error.message()};
    }
    return {};
}

}  // namespace qorin
