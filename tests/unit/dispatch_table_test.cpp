// dispatch_table_test.cpp - structural checks of the dispatch table's rows.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "gateway/commands.h"
#include "gateway/dispatch.h"

namespace qorin {
namespace {

TEST(DispatchTable, OneRowPerCodeInOrderAndNothingOutside) {
    int index = 0;
    for (const CommandRow* row = commandRowsBegin(); row != commandRowsEnd(); ++row, ++index) {
        EXPECT_EQ(row->code, kFirstCommand + index) << row->name;
        EXPECT_EQ(findCommandRow(row->code), row);
        EXPECT_NE(row->handler, nullptr) << row->name;
        EXPECT_EQ(std::strncmp(row->name, "CMD_", 4), 0) << row->name;
    }
    EXPECT_EQ(index, kCommandCount);
    EXPECT_EQ(findCommandRow(kFirstCommand - 1), nullptr);
    EXPECT_EQ(findCommandRow(kLastCommand + 1), nullptr);
}

TEST(DispatchTable, ChecksNameOnlyParametersTheRowHasAndFitTheirConversions) {
    std::set<std::string> names;
    for (const CommandRow* row = commandRowsBegin(); row != commandRowsEnd(); ++row) {
        EXPECT_TRUE(names.insert(row->name).second) << "duplicate " << row->name;
        if (row->countMessage == nullptr) {
            EXPECT_EQ(row->code, CMD_SYNC_SNAPSHOTS) << "only synchronous snapshots skip the count check";
            continue;
        }
        EXPECT_LE(row->parameterCount, kMaxParameters);
        std::uint16_t checked = 0;
        for (const CheckStep& step : row->checks) {
            if (step.message == nullptr) continue;
            const std::uint16_t allowed = step.check == Check::IntegerEachPosition
                                              ? params(0, row->parameterCount)
                                              : params(1, row->parameterCount);
            EXPECT_EQ(step.inputs & ~allowed, 0) << row->name << ": " << step.message;
            EXPECT_EQ(step.inputs & checked, 0) << row->name << ": a parameter is checked twice";
            checked |= step.inputs;
            for (int k = 1; k <= row->parameterCount; ++k) {
                if ((step.inputs & param(k)) == 0) continue;
                const Conv conversion = row->conversions[static_cast<std::size_t>(k - 1)];
                // A logical check always goes with the logical conversion and nothing else does.
                EXPECT_EQ(step.check == Check::Logical, conversion == Conv::Logical)
                    << row->name << " parameter " << k;
                EXPECT_NE(conversion, Conv::Array) << row->name << " parameter " << k;
                EXPECT_NE(conversion, Conv::Text) << row->name << " parameter " << k;
            }
        }
        // Parameter 1 is checked for every command that has parameters.
        if (row->parameterCount > 0) {
            EXPECT_NE(checked & param(1), 0) << row->name;
        }
    }
}

TEST(DispatchTable, ParameterMasks) {
    EXPECT_EQ(params(1, 3), 0b1110);
    EXPECT_EQ(params(0, 7), 0xFF);
    EXPECT_EQ(params(4, 3), 0);
    EXPECT_EQ(param(10), 1 << 10);
}

}  // namespace
}  // namespace qorin
