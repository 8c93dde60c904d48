// gateway_command_registry_test.cpp - the registry defines every code -2..100 once, with a handler, in code order;
// a handler reads its parameters only as its row converts them.
//
// The form of each entry (parameter names against conversions, checks against parameters, help
// texts) is checked where the rows are built, so a malformed entry does not compile.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "gateway/commands.h"
#include "gateway/dispatch.h"

namespace qorin {
namespace {

TEST(CommandRegistry, EveryCodeFromMinus2To100OnceWithItsHandlerAndNothingElse) {
    int expected = -2;
    for (const CommandRow* row = commandRowsBegin(); row != commandRowsEnd(); ++row, ++expected) {
        EXPECT_EQ(row->code, expected) << row->name;
        EXPECT_EQ(findCommandRow(row->code), row);
        EXPECT_NE(handlerOf(*row), nullptr) << row->name;
        EXPECT_EQ(std::strncmp(row->name, "CMD_", 4), 0) << row->name;
        // Parameter 1 is the camera number everywhere but code 100, as the help says.
        if (row->parameterCount > 0 && row->code != CMD_SELECT_EXTERN_INTERFACE) {
            EXPECT_EQ(std::string(row->parameterNames).rfind("cam", 0), 0u) << row->name;
        }
    }
    EXPECT_EQ(expected, 101);
    EXPECT_EQ(commandRowsEnd() - commandRowsBegin(), kCommandCount);
    EXPECT_EQ(findCommandRow(-3), nullptr);
    EXPECT_EQ(findCommandRow(101), nullptr);
    EXPECT_EQ(findCommandRow(INT32_MIN), nullptr);
    EXPECT_STREQ(findCommandRow(CMD_TAKE_SNAPSHOT)->name, "CMD_TAKE_SNAPSHOT");
    EXPECT_EQ(findCommandRow(CMD_SYNC_SNAPSHOTS)->countMessage, nullptr);
}

// A read that does not fit the row (another conversion, a parameter the row does not have) is an
// internal error, where it once gave 0.0 or parameter 1's value.
TEST(CommandRegistry, ArgsReadOnlyWhatTheRowConverted) {
    Args args;
    args.store(1, Conv::Integer).integer = 7;
    args.store(2, Conv::IntegerAsSingle).single = 2.5f;
    EXPECT_EQ(args.integer(1), 7);
    EXPECT_EQ(args.single(2), 2.5f);
    EXPECT_THROW(args.real(1), std::logic_error);
    EXPECT_THROW(args.array(1), std::logic_error);
    EXPECT_THROW(args.integer(3), std::logic_error);
    EXPECT_THROW(args.integer(0), std::logic_error);
    EXPECT_THROW(args.integer(kMaxParameters + 1), std::logic_error);
    EXPECT_THROW(args.store(kMaxParameters + 1, Conv::Integer), std::logic_error);
}

}  // namespace
}  // namespace qorin
