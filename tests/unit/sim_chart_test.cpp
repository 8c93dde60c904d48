// sim_chart_test.cpp - the simulator's test chart: brightness from exposure and gain, clipping, noise and cooling.
#include "sdk/qorinapi.h"
#include "sim/sim_control.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

class SimChart : public ::testing::Test {
protected:
    void SetUp() override {
        qorinsim::reset();
        handle_ = QorinCameraOpen(1);
        ASSERT_NE(handle_, nullptr);
    }

    static SnapshotSettings settings(float exposure, float gain, uint32_t pixelFormat = 0) {
        SnapshotSettings s{};
        s.exposure = exposure;
        s.gain = gain;
        s.format = FrameFormat{0, 0, 640, 480, pixelFormat, 1, 0, 1, 0};
        return s;
    }

    // One snapshot; samples as numbers (16-bit samples little-endian).
    std::vector<uint32_t> snapshot(SnapshotSettings s) {
        const bool wide = s.format.pixelFormat == 1;
        std::vector<uint8_t> bytes(640 * 480 * (wide ? 2 : 1));
        EXPECT_NE(QorinTakeSnapshot(handle_, &s, bytes.data()), 0);
        std::vector<uint32_t> samples(640 * 480);
        for (std::size_t k = 0; k < samples.size(); ++k)
            samples[k] = wide ? bytes[2 * k] | (uint32_t{bytes[2 * k + 1]} << 8) : bytes[k];
        return samples;
    }

    // Red sample of the white bar: even row and column of the mosaic, clear of the marker
    // (the colour chart is read out bottom row first: readout row 200 is chart row 279).
    static uint32_t whiteBarRed(const std::vector<uint32_t>& frame) { return frame[200 * 640 + 70]; }

    QorinHandle handle_ = nullptr;
};

TEST_F(SimChart, SnapshotBrightnessFollowsExposureTimesGainAndClips) {
    // The defaults give the nominal levels (235 for the white bar).
    EXPECT_EQ(whiteBarRed(snapshot(settings(60, 2))), 235u);
    EXPECT_EQ(whiteBarRed(snapshot(settings(30, 2))), 118u);  // 117.5 rounded
    EXPECT_EQ(whiteBarRed(snapshot(settings(60, 1))), 118u);
    EXPECT_EQ(whiteBarRed(snapshot(settings(120, 4))), 255u);  // clipped at full scale
    EXPECT_EQ(whiteBarRed(snapshot(settings(0, 2))), 0u);
    EXPECT_EQ(whiteBarRed(snapshot(settings(-5, 2))), 0u);
    EXPECT_EQ(whiteBarRed(snapshot(settings(NAN, 2))), 0u);
    EXPECT_EQ(whiteBarRed(snapshot(settings(60, 2, 1))), 235u * 257u);
    EXPECT_EQ(whiteBarRed(snapshot(settings(30, 2, 1))), 30198u);  // 117.5 * 257 rounded
    EXPECT_EQ(whiteBarRed(snapshot(settings(1e9f, 16, 1))), 65535u);
}

TEST_F(SimChart, VideoBrightnessFollowsTheLiveProperties) {
    std::vector<uint8_t> frame(640 * 480);
    ASSERT_NE(QorinTakeVideo(handle_, 1, frame.data()), 0);
    EXPECT_EQ(frame[200 * 640 + 70], 235);
    ASSERT_NE(QorinSetProperty(handle_, QORIN_PROP_EXPOSURE, 15.0f, 0), 0);
    ASSERT_NE(QorinTakeVideo(handle_, 1, frame.data()), 0);
    EXPECT_EQ(frame[200 * 640 + 70], 59);  // 58.75 rounded
    ASSERT_NE(QorinSetProperty(handle_, QORIN_PROP_GAIN, 16.0f, 0), 0);
    ASSERT_NE(QorinTakeVideo(handle_, 1, frame.data()), 0);
    EXPECT_EQ(frame[200 * 640 + 70], 255);
}

TEST_F(SimChart, FastFramesUseTheirSettingsAndExplicitFramesStayAsSet) {
    SnapshotSettings dim = settings(15, 2);
    ASSERT_NE(QorinEnableFastFrames(handle_, &dim), 0);
    std::vector<uint8_t> frame(640 * 480);
    ASSERT_NE(QorinTakeFastFrame(handle_, frame.data()), 0);
    EXPECT_EQ(frame[200 * 640 + 70], 59);
    ASSERT_NE(QorinDisableFastFrames(handle_), 0);

    qorinsim::camera(1)->frames_ = {qorinsim::Frame{2, 3, 1, {10, 20, 30, 40, 50, 60}}};
    qorinsim::camera(1)->noise_ = 20.0;
    SnapshotSettings s = settings(600, 16);
    s.format.width = 3;
    s.format.height = 2;
    std::vector<uint8_t> small(6);
    ASSERT_NE(QorinTakeSnapshot(handle_, &s, small.data()), 0);
    EXPECT_EQ(small, (std::vector<uint8_t>{10, 20, 30, 40, 50, 60}));
}

TEST_F(SimChart, NoiseIsDeterministicWithTheRequestedSpread) {
    qorinsim::camera(1)->noise_ = 8.0;
    // Half brightness keeps the white bar (117.5) clear of both ends.
    const std::vector<uint32_t> first = snapshot(settings(30, 2));
    double sum = 0.0, squares = 0.0;
    int count = 0;
    for (uint64_t i = 200; i < 300; i += 2) {
        for (uint64_t j = 64; j < 72; j += 2) {  // red samples of the white bar
            const double d = first[i * 640 + j] - 117.5;
            sum += d;
            squares += d * d;
            ++count;
        }
    }
    EXPECT_NEAR(sum / count, 0.0, 1.5);
    EXPECT_NEAR(std::sqrt(squares / count), 8.0, 1.5);

    // The same frame number gives the same noise; the next frame other noise.
    qorinsim::reset();
    handle_ = QorinCameraOpen(1);
    qorinsim::camera(1)->noise_ = 8.0;
    EXPECT_EQ(snapshot(settings(30, 2)), first);
    EXPECT_NE(snapshot(settings(30, 2)), first);
}

TEST_F(SimChart, AColourChartIsReadOutBottomRowFirst) {
    // Monochrome: the marker (black with a white corner) at the first rows; colour: at the last.
    qorinsim::camera(1)->properties_[QORIN_PROP_COLOUR_FORMAT].value_ = 0.0f;
    std::vector<uint32_t> mono = snapshot(settings(60, 2));
    EXPECT_EQ(mono[0], 255u);
    EXPECT_EQ(mono[59 * 640 + 59], 0u);
    qorinsim::camera(1)->properties_[QORIN_PROP_COLOUR_FORMAT].value_ = 1.0f;
    std::vector<uint32_t> colour = snapshot(settings(60, 2));
    EXPECT_EQ(colour[479 * 640 + 0], 255u);  // odd row, even column: a green sample of white
    EXPECT_EQ(colour[420 * 640 + 58], 0u);
    EXPECT_NE(colour[0], 255u);
}

TEST_F(SimChart, CoolingMovesTheSensorTemperatureTowardItsTarget) {
    qorinsim::SimulatedCamera& camera = *qorinsim::camera(1);
    EXPECT_DOUBLE_EQ(camera.temperature_, qorinsim::kAmbientTemperature);
    ASSERT_NE(QorinSetProperty(handle_, QORIN_PROP_COOLING, 1.0f, 0x80000000u), 0);
    ASSERT_NE(QorinSetProperty(handle_, QORIN_PROP_TARGET_TEMPERATURE, -10.0f, 0), 0);
    std::vector<uint8_t> frame(640 * 480);
    double previous = camera.temperature_;
    for (int k = 0; k < 40; ++k) {
        ASSERT_NE(QorinTakeVideo(handle_, 1, frame.data()), 0);
        EXPECT_LT(camera.temperature_, previous);
        previous = camera.temperature_;
    }
    EXPECT_NEAR(camera.temperature_, -10.0, 0.01);
    // Switched off, the sensor warms back toward the room.
    ASSERT_NE(QorinSetProperty(handle_, QORIN_PROP_COOLING, 0.0f, 0), 0);
    ASSERT_NE(QorinTakeVideo(handle_, 1, frame.data()), 0);
    EXPECT_GT(camera.temperature_, -10.0);
    EXPECT_LT(camera.temperature_, qorinsim::kAmbientTemperature);
}

TEST_F(SimChart, ACooledSensorIsLessNoisy) {
    qorinsim::SimulatedCamera& camera = *qorinsim::camera(1);
    camera.noise_ = 8.0;
    auto spread = [&] {
        const std::vector<uint32_t> frame = snapshot(settings(30, 2));
        double squares = 0.0;
        int count = 0;
        for (uint64_t i = 200; i < 300; i += 2, ++count) {
            const double d = frame[i * 640 + 64] - 117.5;
            squares += d * d;
        }
        return std::sqrt(squares / count);
    };
    const double warm = spread();
    camera.temperature_ = -15.0;  // 40 degrees below the room: 1/16 of the noise
    EXPECT_LT(spread(), warm / 4);
}

// The chart's bytes as they have always been, noise included: a faster renderer, or a vector
// path whose arithmetic drifts from the scalar one (a fused multiply-add), shows here.
TEST_F(SimChart, FramesKeepTheirBytes) {
    struct Case {
        uint32_t width, height, pixelFormat;
        bool colour;
        double noise;
        uint64_t counter;
        float exposure;
        uint64_t hash;  // FNV-1a of the frame
    };
    const Case cases[] = {{101, 37, 1, true, 40.0, 65535, 400.0f, 0x37ad214b2d6a8eecull},
                          {333, 250, 0, false, 3.0, 7, 17.0f, 0xb3ac9de329b2885dull},
                          {640, 480, 0, true, 0.0, 123456, 60.0f, 0xfc32fc48940e758full},
                          {640, 480, 1, false, 8.0, 999999, 60.0f, 0x0fdac59c98147c44ull}};
    qorinsim::SimulatedCamera& camera = *qorinsim::camera(1);
    for (const Case& c : cases) {
        camera.properties_[QORIN_PROP_COLOUR_FORMAT].value_ = c.colour ? 1.0f : 0.0f;
        camera.noise_ = c.noise;
        camera.frameCounter_ = c.counter;
        SnapshotSettings s = settings(c.exposure, 2, c.pixelFormat);
        s.format.width = c.width;
        s.format.height = c.height;
        std::vector<uint8_t> frame(std::size_t{c.width} * c.height * (c.pixelFormat == 1 ? 2 : 1));
        ASSERT_NE(QorinTakeSnapshot(handle_, &s, frame.data()), 0);
        uint64_t hash = 1469598103934665603ull;
        for (uint8_t b : frame) hash = (hash ^ b) * 1099511628211ull;
        EXPECT_EQ(hash, c.hash) << c.width << "x" << c.height << " counter " << c.counter;
    }
}

}  // namespace
