// named_commands.h - commands called by a name instead of a code (qorincam('version')), one table row each.
#pragma once

#include "gateway/results.h"
#include "mex.h"

namespace qorin {

// A command called as qorincam('name', inputs...).  The numeric codes are the maker's fixed set;
// whatever the module adds beyond them is a row of this table.  The handler receives the inputs
// after the name, checks them itself and reports failure by throwing CommandError.
struct NamedCommand {
    const char* name;  // matched without regard to case
    ArrayPtr (*handler)(int inputCount, const mxArray* const inputs[]);
    const char* help;  // one line: the call and what it returns
};

// Every named command, in the order qorincam('commands') lists them.
const NamedCommand* namedCommandsBegin();
const NamedCommand* namedCommandsEnd();

// Whether a first input names a command rather than giving a code.
bool isCommandName(const mxArray* input);

// Runs the command inputs[0] names with inputs[1..]; an unknown name is a usage error.
ArrayPtr runNamedCommand(int inputCount, const mxArray* const inputs[]);

}  // namespace qorin
