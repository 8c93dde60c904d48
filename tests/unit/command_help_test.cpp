// command_help_test.cpp - the help table against the dispatch table: one entry per code, same parameters and results.
#include "gateway/command_help.h"
#include "gateway/commands.h"
#include "gateway/dispatch.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

TEST(CommandHelp, EveryCodeHasExactlyOneEntryInCodeOrder) {
    std::map<int, int> entries;
    int previous = qorin::kFirstCommand - 1;
    for (const qorin::CommandHelp* help = qorin::commandHelpBegin(); help != qorin::commandHelpEnd(); ++help) {
        ++entries[help->code];
        EXPECT_GT(help->code, previous) << "entries out of code order at " << help->code;
        previous = help->code;
    }
    for (int code = qorin::kFirstCommand; code <= qorin::kLastCommand; ++code)
        EXPECT_EQ(entries[code], 1) << "code " << code;
    EXPECT_EQ(entries.size(), static_cast<std::size_t>(qorin::kCommandCount));
}

TEST(CommandHelp, ParametersAndResultMatchTheDispatchRow) {
    for (const qorin::CommandRow* row = qorin::commandRowsBegin(); row != qorin::commandRowsEnd(); ++row) {
        const qorin::CommandHelp* help = qorin::findCommandHelp(row->code);
        ASSERT_NE(help, nullptr) << row->name;
        EXPECT_EQ(qorin::countParameterNames(help->parameters), static_cast<std::size_t>(row->parameterCount))
            << row->name << ": " << help->parameters;
        EXPECT_EQ(*help->result != '\0', row->hasResult) << row->name;
        EXPECT_NE(*help->summary, '\0') << row->name;
        // Parameter 1 is the camera number everywhere but code 100.
        if (row->parameterCount > 0 && row->code != qorin::CMD_SELECT_EXTERN_INTERFACE) {
            EXPECT_EQ(std::string(help->parameters).rfind("cam", 0), 0u) << row->name;
        }
    }
}

TEST(CommandHelp, CountsParameterNames) {
    EXPECT_EQ(qorin::countParameterNames(""), 0u);
    EXPECT_EQ(qorin::countParameterNames(nullptr), 0u);
    EXPECT_EQ(qorin::countParameterNames("cam"), 1u);
    EXPECT_EQ(qorin::countParameterNames("cam, a, b"), 3u);
    EXPECT_EQ(qorin::findCommandHelp(101), nullptr);
}

}  // namespace
