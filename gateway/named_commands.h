// named_commands.h - commands called by a name instead of a code (qorincam('version')), one table row each.
#pragma once

#include <string>
#include <utility>

#include "gateway/args.h"
#include "gateway/results.h"
#include "mex.h"

namespace qorin {

// What a named command returns: its first output, and a second one for the commands that
// have two ([frames, meta] = ...), handed over only when the caller asks for it.
struct NamedResult {
    NamedResult() = default;
    NamedResult(ArrayPtr only) : first(std::move(only)) {}  // NOLINT: a single result converts
    NamedResult(ArrayPtr one, ArrayPtr two) : first(std::move(one)), second(std::move(two)) {}
    ArrayPtr first;
    ArrayPtr second;
};

// A command called as qorincam('name', inputs...).  The numeric codes are the maker's fixed set;
// whatever the module adds beyond them is a row of this table.  The handler receives the inputs
// after the name, checks them itself and reports failure by throwing CommandError.
struct NamedCommand {
    const char* name;  // matched without regard to case
    NamedResult (*handler)(const NamedInputs& inputs);
    const char* help;  // one line: the call and what it returns
};

// The handler of every named command, declared from the list; each command family's file
// defines its own.
#define QORIN_NAMED_COMMAND(NAME, HANDLER, HELP) NamedResult HANDLER(const NamedInputs& inputs);
#include "gateway/named_commands.def"
#undef QORIN_NAMED_COMMAND

// Every named command, in the order qorincam('commands') lists them.
const NamedCommand* namedCommandsBegin();
const NamedCommand* namedCommandsEnd();

// Whether a first input names a command rather than giving a code.
bool isCommandName(const mxArray* input);

// Runs the command inputs[0] names with inputs[1..]; an unknown name is a usage error.
NamedResult runNamedCommand(int inputCount, const mxArray* const inputs[]);

}  // namespace qorin
