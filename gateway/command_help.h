// command_help.h - what each command does, its parameter names and its result, for the help text.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qorin {

// One command as a person reads it.  The parameter names are separated by ", " and
// number exactly the command's parameters; an empty result means the command returns nothing.
struct CommandHelp {
    std::int32_t code;
    const char* parameters;
    const char* result;
    const char* summary;
};

// Every entry, in code order.
const CommandHelp* commandHelpBegin();
const CommandHelp* commandHelpEnd();

// The entry of a code, or null when there is none.
const CommandHelp* findCommandHelp(std::int32_t code);

// Number of names in a parameter list ("" has none).
std::size_t countParameterNames(const char* parameters);

}  // namespace qorin
