// device_values_test.cpp - the byte rule, the time-limit rule and the version texts at their edges.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "device/device_values.h"

namespace qorin {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kTwoTo63 = 9223372036854775808.0;

TEST(DeviceValues, TruncationCoversTheWhole64BitRangeAndNothingMore) {
    EXPECT_EQ(truncateToInt64(-2.9), -2);
    EXPECT_EQ(truncateToInt64(-kTwoTo63), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(truncateToInt64(std::nextafter(kTwoTo63, 0.0)), std::int64_t{9223372036854774784});
    EXPECT_EQ(truncateToInt64(kTwoTo63), 0);
    EXPECT_EQ(truncateToInt64(std::nextafter(-kTwoTo63, -kInf)), 0);
    EXPECT_EQ(truncateToInt64(kNaN), 0);
    EXPECT_EQ(truncateToInt64(-kInf), 0);
}

TEST(DeviceValues, ByteRuleKeepsTheLowEightBitsOfTheTruncatedValue) {
    EXPECT_EQ(byteFromValue(255.9), 255);
    EXPECT_EQ(byteFromValue(256.0), 0);
    EXPECT_EQ(byteFromValue(-1.0), 255);
    EXPECT_EQ(byteFromValue(-0.9), 0);
    EXPECT_EQ(byteFromValue(-256.5), 0);
    EXPECT_EQ(byteFromValue(300.0), 44);
    EXPECT_EQ(byteFromValue(kNaN), 0);
    EXPECT_EQ(byteFromValue(kInf), 0);
    EXPECT_EQ(byteFromValue(1e20), 0);
    EXPECT_EQ(byteFromValue(-kTwoTo63), 0);
}

TEST(DeviceValues, TimeLimitKeepsTheLowThirtyTwoBits) {
    EXPECT_EQ(timeLimitFromValue(5000.0), 5000u);
    EXPECT_EQ(timeLimitFromValue(2.5e9), 2500000000u);
    EXPECT_EQ(timeLimitFromValue(-1.0), 4294967295u);
    EXPECT_EQ(timeLimitFromValue(4294967296.0 + 7.9), 7u);
    EXPECT_EQ(timeLimitFromValue(kNaN), 0u);
    EXPECT_EQ(timeLimitFromValue(1e20), 0u);
}

TEST(DeviceValues, VersionTextsAtTheirExtremes) {
    EXPECT_EQ(dottedVersionText(0x01020304u), "1.2.3.4");
    EXPECT_EQ(dottedVersionText(0xFF000001u), "255.0.0.1");
    EXPECT_EQ(dottedVersionText(0xFFFFFFFFu), "255.255.255.255");
    EXPECT_EQ(lowWordVersionText(0xABCD1234u), "18.52");
    EXPECT_EQ(lowWordVersionText(0xFFFF0000u), "0.0");
    EXPECT_EQ(serialNumberText(0xFFFFFFFFu), "-1");
    EXPECT_EQ(serialNumberText(0x7FFFFFFFu), "2147483647");
    EXPECT_EQ(serialNumberText(0x80000000u), "-2147483648");
    EXPECT_EQ(reservedWordText(171u), "0x000000ab");
    EXPECT_EQ(reservedWordText(0xFFFFFFFFu), "0xffffffff");
}

}  // namespace
}  // namespace qorin
