// handlers.h - the handler of every command, declared from the registry; each command family's file defines its own.
#pragma once

#include "gateway/args.h"
#include "gateway/results.h"

namespace qorin {

// A handler receives the converted parameters and returns its result array, or null for a
// command without a result.  It reports failure by throwing CommandError.
#define QORIN_COMMAND(NAME, CODE, HANDLER, ...) ArrayPtr HANDLER(const Args& args);
#include "gateway/command_registry.def"
#undef QORIN_COMMAND

}  // namespace qorin
