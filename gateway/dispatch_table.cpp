// dispatch_table.cpp - the handler of each registry row, in the registry's order.
#include <cstddef>
#include <iterator>

#include "gateway/commands.h"
#include "gateway/dispatch.h"
#include "gateway/handlers.h"

namespace qorin {
namespace {

// Expanded from the same entries as the rows, so index k is row k's handler.
const Handler kHandlers[] = {
#define QORIN_COMMAND(NAME, CODE, HANDLER, ...) HANDLER,
#include "gateway/command_registry.def"
#undef QORIN_COMMAND
};

static_assert(std::size(kHandlers) == static_cast<std::size_t>(kCommandCount), "one handler per registry entry");

}  // namespace

Handler handlerOf(const CommandRow& row) { return kHandlers[&row - commandRowsBegin()]; }

}  // namespace qorin
