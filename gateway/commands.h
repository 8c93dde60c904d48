// commands.h - the command codes by name (CMD_TAKE_SNAPSHOT is 13), one per registry entry.
#pragma once

#include <cstdint>

namespace qorin {

enum Command : std::int32_t {
#define QORIN_COMMAND(NAME, CODE, ...) CMD_##NAME = CODE,
#include "gateway/command_registry.def"
#undef QORIN_COMMAND
};

constexpr int kCommandCount = 0
#define QORIN_COMMAND(...) +1
#include "gateway/command_registry.def"
#undef QORIN_COMMAND
    ;

}  // namespace qorin
