// settings_frame_geometry_test.cpp - which commands carry geometry into the snapshot format.
#include <gtest/gtest.h>

#include <cstring>

#include "camera/camera_table.h"
#include "camera/session.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"
#include "sim/sim_control.h"

namespace qorin {
namespace {

// Camera 1 connected, its video format with offsets, binning, depth and flags that the
// commands must keep or reset, and a snapshot format with a recognisable depth and flags.
class SnapshotFormat : public ::testing::Test {
protected:
    void SetUp() override {
        shutdownCameras();
        qorinsim::reset();
        FrameFormat& video = qorinsim::camera(1)->format_;
        video.xOffset = 16;
        video.yOffset = 8;
        video.xBinSub = 2;
        video.yBinSub = 2;
        video.xFlags = 5;
        video.yFlags = 6;
        connectCamera(1);
        snapshot().pixelFormat = 1;
        snapshot().xFlags = 9;
        snapshot().yFlags = 10;
    }
    void TearDown() override { shutdownCameras(); }

    static FrameFormat& snapshot() {
        return cameraTable().at(cameraTable().findCameraSlot(1)).snapshot.format;
    }
    static Args three(std::int32_t a, std::int32_t b) {
        Args args;
        args.store(1, Conv::Integer).integer = 1;
        args.store(2, Conv::Integer).integer = a;
        args.store(3, Conv::Integer).integer = b;
        return args;
    }
};

TEST_F(SnapshotFormat, FrameSizeCopiesGeometryAndResetsBinning) {
    handleSetFrameSize(three(800, 600));
    EXPECT_EQ(snapshot().width, 800u);
    EXPECT_EQ(snapshot().height, 600u);
    EXPECT_EQ(snapshot().xOffset, 16u);
    EXPECT_EQ(snapshot().yOffset, 8u);
    EXPECT_EQ(snapshot().xBinSub, 1u);
    EXPECT_EQ(snapshot().yBinSub, 1u);
    EXPECT_EQ(snapshot().pixelFormat, 1u);
    EXPECT_EQ(snapshot().xFlags, 9u);
    EXPECT_EQ(snapshot().yFlags, 10u);
}

TEST_F(SnapshotFormat, FrameSizeCopiesEvenWhenTheSdkRefuses) {
    qorinsim::failCalls("QorinSetFormat", 7, 1, 0);
    EXPECT_THROW(handleSetFrameSize(three(800, 600)), CommandError);
    EXPECT_EQ(snapshot().width, 800u);
    EXPECT_EQ(snapshot().height, 600u);
    EXPECT_EQ(qorinsim::camera(1)->format_.width, 640u);
}

TEST_F(SnapshotFormat, OffsetsFollowOnlyASuccessfulChange) {
    qorinsim::failCalls("QorinSetFormat", 7, 1, 0);
    EXPECT_THROW(handleSetOffset(three(32, 24)), CommandError);
    EXPECT_EQ(snapshot().xOffset, 16u);
    EXPECT_EQ(snapshot().yOffset, 8u);
    handleSetOffset(three(32, 24));
    EXPECT_EQ(snapshot().xOffset, 32u);
    EXPECT_EQ(snapshot().yOffset, 24u);
    EXPECT_EQ(snapshot().width, 640u);
    EXPECT_EQ(snapshot().xBinSub, 2u);  // only the offsets follow
}

TEST_F(SnapshotFormat, SixteenBitVideoLeavesItAlone) {
    snapshot().pixelFormat = 0;
    const FrameFormat before = snapshot();
    Args args;
    args.store(1, Conv::Integer).integer = 1;
    args.store(2, Conv::Logical).logical = 1;
    handleSet16BitVideo(args);
    EXPECT_EQ(qorinsim::camera(1)->format_.pixelFormat, 1u);
    EXPECT_EQ(snapshot().pixelFormat, 0u);
    EXPECT_EQ(0, std::memcmp(&before, &snapshot(), sizeof before));
}

TEST_F(SnapshotFormat, WholeFormatLeavesItAlone) {
    const char* names[] = {"width",  "height", "xOffset", "yOffset",     "xBinSub",
                           "yBinSub", "xFlags", "yFlags",  "pixelFormat", "frameRate"};
    const double values[] = {320, 240, 2, 4, 1, 1, 0, 0, 0, 15};
    ArrayPtr structure = makeStructArray(1, 1, {names[0], names[1], names[2], names[3], names[4], names[5],
                                                names[6], names[7], names[8], names[9]});
    for (int k = 0; k < 10; ++k) setStructField(structure.get(), 0, k, makeDoubleScalar(values[k]));
    const FrameFormat before = snapshot();
    Args args;
    args.store(1, Conv::Integer).integer = 1;
    args.store(2, Conv::Array).array = structure.get();
    handleSetFrameFormat(args);
    EXPECT_EQ(qorinsim::camera(1)->format_.width, 320u);
    EXPECT_EQ(0, std::memcmp(&before, &snapshot(), sizeof before));
}

}  // namespace
}  // namespace qorin
