// device_values_test.cpp - the version texts at their edges.
#include <gtest/gtest.h>

#include "device/device_values.h"

namespace qorin {
namespace {

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
