// gateway_truncation_test.cpp - the truncation rules at their edges, and where the named variants part.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "gateway/truncation.h"

namespace qorin {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kTwoTo63 = 9223372036854775808.0;

TEST(Truncation, Int32RuleGivesTheLowestValueWhereNoneFits) {
    EXPECT_EQ(truncateToInt32(-2.9), -2);
    EXPECT_EQ(truncateToInt32(2147483647.9), 2147483647);
    EXPECT_EQ(truncateToInt32(-2147483648.9), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(truncateToInt32(2147483648.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(truncateToInt32(kNaN), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(truncateToInt32(kInf), std::numeric_limits<std::int32_t>::min());
}

TEST(Truncation, Int64RuleCoversTheWhole64BitRangeAndNothingMore) {
    EXPECT_EQ(truncateToInt64(-2.9), -2);
    EXPECT_EQ(truncateToInt64(-kTwoTo63), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(truncateToInt64(std::nextafter(kTwoTo63, 0.0)), std::int64_t{9223372036854774784});
    EXPECT_EQ(truncateToInt64(kTwoTo63), 0);
    EXPECT_EQ(truncateToInt64(std::nextafter(-kTwoTo63, -kInf)), 0);
    EXPECT_EQ(truncateToInt64(kNaN), 0);
    EXPECT_EQ(truncateToInt64(-kInf), 0);
}

TEST(Truncation, ByteAndWordKeepTheLowBitsOfTheTruncatedValue) {
    EXPECT_EQ(lowByte(255.9), 255);
    EXPECT_EQ(lowByte(256.0), 0);
    EXPECT_EQ(lowByte(-1.0), 255);
    EXPECT_EQ(lowByte(-0.9), 0);
    EXPECT_EQ(lowByte(-256.5), 0);
    EXPECT_EQ(lowByte(300.0), 44);
    EXPECT_EQ(lowByte(kNaN), 0);
    EXPECT_EQ(lowByte(kInf), 0);
    EXPECT_EQ(lowByte(1e20), 0);
    EXPECT_EQ(lowByte(-kTwoTo63), 0);
    EXPECT_EQ(lowWord(5000.0), 5000u);
    EXPECT_EQ(lowWord(2.5e9), 2500000000u);
    EXPECT_EQ(lowWord(-1.0), 4294967295u);
    EXPECT_EQ(lowWord(4294967296.0 + 7.9), 7u);
    EXPECT_EQ(lowWord(kNaN), 0u);
    EXPECT_EQ(lowWord(1e20), 0u);
}

TEST(Truncation, SaturatedWordsPartFromTheZeroRuleOnlyAtTheTopOfTheRange) {
    EXPECT_EQ(lowWordSaturated(2.9), 2u);
    EXPECT_EQ(lowWordSaturated(-1.0), 0xFFFFFFFFu);
    EXPECT_EQ(lowWordSaturated(-2.9), 0xFFFFFFFEu);
    EXPECT_EQ(lowWordSaturated(4294967295.0), 0xFFFFFFFFu);
    EXPECT_EQ(lowWordSaturated(4294967296.0 + 7.0), 7u);
    EXPECT_EQ(lowHalfWordSaturated(65536.0 + 3.0), 3u);
    EXPECT_EQ(lowHalfWordSaturated(-1.0), 0xFFFFu);
    EXPECT_EQ(lowWordSaturated(kNaN), 0u);
    EXPECT_EQ(lowWordSaturated(-1e300), 0u);  // INT64_MIN: low bits zero, as the zero rule
    EXPECT_EQ(lowWordSaturated(1e300), 0xFFFFFFFFu);
    EXPECT_EQ(lowWord(1e300), 0u);
    EXPECT_EQ(lowWordSaturated(kInf), 0xFFFFFFFFu);
    EXPECT_EQ(lowWord(kInf), 0u);
}

}  // namespace
}  // namespace qorin
