// dispatch.h - running a command: its registry row's count and class checks, conversions, then its handler.
#pragma once

#include "gateway/args.h"
#include "gateway/command_registry.h"
#include "gateway/results.h"

namespace qorin {

using Handler = ArrayPtr (*)(const Args&);

// The handler the registry names for a row.
Handler handlerOf(const CommandRow& row);

// Runs a row's count and class checks and conversions, then its handler.  Throws the
// row's message on the first failed check.
ArrayPtr runCommandRow(const CommandRow& row, int inputCount, const mxArray* const inputs[]);

}  // namespace qorin
