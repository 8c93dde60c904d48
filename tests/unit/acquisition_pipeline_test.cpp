// acquisition_pipeline_test.cpp - frame buffers and the capture geometry checks of the pipeline.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "acquisition/frame_buffer.h"
#include "acquisition/frame_readings.h"
#include "gateway/errors.h"
#include "tests/unit/command_failure.h"

namespace qorin {
namespace {

TEST(FrameBuffer, AllocatesEvenEmptyFramesAndRefusesImpossibleSizes) {
    FrameBuffer buffer;
    ASSERT_TRUE(buffer.allocate(0));
    EXPECT_NE(buffer.data(), nullptr);  // the SDK is always handed a real buffer
    ASSERT_TRUE(buffer.allocate(12));
    EXPECT_EQ(buffer.size(), 12u);
    EXPECT_FALSE(buffer.allocate(std::numeric_limits<std::uint64_t>::max()));
    EXPECT_EQ(buffer.data(), nullptr);
    EXPECT_EQ(buffer.size(), 0u);
    EXPECT_FALSE(buffer.allocate(std::uint64_t{1} << 63));
}

TEST(FrameBuffer, AllocationFailureRaisesTheCommandsMessage) {
    try {
        allocateFrameBuffer(std::numeric_limits<std::uint64_t>::max(), "Not enough memory to make raw buffer.");
        FAIL() << "no error";
    } catch (const CommandError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::Memory);
        EXPECT_EQ(error.message(), "Not enough memory to make raw buffer.");
    }
}

std::string captureGeometryError(std::uint32_t pixelFormat, std::uint16_t xBin, std::uint16_t yBin) {
    FrameFormat format{};
    format.width = 8;
    format.height = 4;
    format.pixelFormat = pixelFormat;
    format.xBinSub = xBin;
    format.yBinSub = yBin;
    return commandFailure([&] { captureGeometry(format); }).message;
}

TEST(CaptureGeometry, RefusesZeroFactorsAndPixelFormatsWithoutASampleWidth) {
    EXPECT_EQ(captureGeometryError(0, 1, 1), "");
    EXPECT_EQ(captureGeometryError(1, 2, 2), "");
    EXPECT_EQ(captureGeometryError(0, 0, 1), kFrameFormatFailed);
    EXPECT_EQ(captureGeometryError(1, 1, 0), kFrameFormatFailed);
    EXPECT_EQ(captureGeometryError(3, 1, 1), "Pixel format 3 is not supported.");
    EXPECT_EQ(captureGeometryError(4294967295u, 1, 1), "Pixel format 4294967295 is not supported.");
}

}  // namespace
}  // namespace qorin
