// sim_frames_test.cpp - the simulated SDK's frames: capture geometry, explicit frames, conversions and PNM files.
#include "sdk/qorinapi.h"
#include "sim/sim_control.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

class SimFrames : public ::testing::Test {
protected:
    void SetUp() override {
        qorinsim::reset();
        handle_ = QorinCameraOpen(1);
        ASSERT_NE(handle_, nullptr);
    }

    void setColour(bool colour) {
        qorinsim::camera(1)->properties_[QORIN_PROP_COLOUR_FORMAT].value_ = colour ? 1.0f : 0.0f;
    }

    static SnapshotSettings snapshot(uint32_t width, uint32_t height, uint32_t pixelFormat, uint16_t xBin = 1,
                                     uint16_t yBin = 1) {
        SnapshotSettings settings{};
        settings.format.width = width;
        settings.format.height = height;
        settings.format.pixelFormat = pixelFormat;
        settings.format.xBinSub = xBin;
        settings.format.yBinSub = yBin;
        return settings;
    }

    QorinHandle handle_ = nullptr;
    ConversionParams params_{0, 0};
};

// Guard bytes after the expected frame size show any write past the end.
constexpr std::size_t kGuard = 64;
constexpr uint8_t kGuardByte = 0xA5;

bool guardIntact(const std::vector<uint8_t>& buffer, std::size_t used) {
    for (std::size_t k = used; k < buffer.size(); ++k)
        if (buffer[k] != kGuardByte) return false;
    return true;
}

TEST_F(SimFrames, SnapshotGeometryFollowsTheSettingsFormat) {
    struct Case {
        uint32_t width, height, pixelFormat;
        uint16_t xBin, yBin;
        std::size_t bytes;
    };
    const Case cases[] = {
        {640, 480, 0, 1, 1, 640 * 480},     {640, 480, 1, 1, 1, 2 * 640 * 480}, {641, 481, 0, 2, 2, 320 * 240},
        {7, 5, 1, 3, 1, 2 * 2 * 5},         {0, 480, 0, 1, 1, 0},               {640, 0, 1, 1, 1, 0},
        {9, 3, 3, 1, 1, 27},  // any pixel format but 1 has byte samples
        {9, 3, 5, 1, 1, 27},
    };
    for (const Case& c : cases) {
        SnapshotSettings settings = snapshot(c.width, c.height, c.pixelFormat, c.xBin, c.yBin);
        std::vector<uint8_t> buffer(c.bytes + kGuard, kGuardByte);
        EXPECT_NE(QorinTakeSnapshot(handle_, &settings, buffer.data()), 0) << c.width << "x" << c.height;
        EXPECT_TRUE(guardIntact(buffer, c.bytes)) << c.width << "x" << c.height << " pf " << c.pixelFormat;
    }
}

TEST_F(SimFrames, ZeroBinningInACaptureFormatFails) {
    std::vector<uint8_t> buffer(kGuard, kGuardByte);
    SnapshotSettings settings = snapshot(640, 480, 0, 0, 1);
    EXPECT_EQ(QorinTakeSnapshot(handle_, &settings, buffer.data()), 0);
    EXPECT_EQ(QorinGetLastError(), 1u);
    settings = snapshot(640, 480, 0, 1, 0);
    EXPECT_EQ(QorinEnableFastFrames(handle_, &settings), 1);
    EXPECT_EQ(QorinTakeFastFrame(handle_, buffer.data()), 0);
    EXPECT_TRUE(guardIntact(buffer, 0));
}

TEST_F(SimFrames, VideoUsesTheVideoFormatAndChartIsDeterministic) {
    FrameFormat format{0, 0, 64, 48, 1, 2, 0, 2, 0};
    ASSERT_NE(QorinSetFormat(handle_, &format, 30.0f), 0);
    const std::size_t bytes = 32 * 24 * 2;
    std::vector<uint8_t> first(bytes + kGuard, kGuardByte), second(bytes + kGuard, kGuardByte);
    ASSERT_NE(QorinTakeVideo(handle_, 1, first.data()), 0);
    EXPECT_TRUE(guardIntact(first, bytes));

    // A fresh simulator replays the same frame sequence.
    qorinsim::reset();
    QorinHandle again = QorinCameraOpen(1);
    ASSERT_NE(QorinSetFormat(again, &format, 30.0f), 0);
    ASSERT_NE(QorinTakeVideo(again, 1, second.data()), 0);
    EXPECT_EQ(first, second);
    // And the next frame differs: the counter element moves.
    ASSERT_NE(QorinTakeVideo(again, 1, second.data()), 0);
    EXPECT_NE(first, second);
}

TEST_F(SimFrames, ChartOfALargeFrameStaysInsideItsBuffer) {
    SnapshotSettings settings = snapshot(4096, 3072, 1);
    const std::size_t bytes = std::size_t{4096} * 3072 * 2;
    std::vector<uint8_t> buffer(bytes + kGuard, kGuardByte);
    ASSERT_NE(QorinTakeSnapshot(handle_, &settings, buffer.data()), 0);
    EXPECT_TRUE(guardIntact(buffer, bytes));
}

TEST_F(SimFrames, ExplicitFramesAreDeliveredInTurnAndMustMatch) {
    qorinsim::Frame a{2, 3, 1, {1, 2, 3, 4, 5, 6}};
    qorinsim::Frame b{2, 3, 1, {9, 8, 7, 6, 5, 4}};
    qorinsim::camera(1)->frames_ = {a, b};
    FrameFormat format{0, 0, 3, 2, 0, 1, 0, 1, 0};
    qorinsim::camera(1)->format_ = format;

    std::vector<uint8_t> buffer(6 + kGuard, kGuardByte);
    ASSERT_NE(QorinTakeVideo(handle_, 1, buffer.data()), 0);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 6), a.data_);
    ASSERT_NE(QorinTakeVideo(handle_, 1, buffer.data()), 0);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 6), b.data_);
    ASSERT_NE(QorinTakeVideo(handle_, 1, buffer.data()), 0);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 6), a.data_);

    // Same sample count but 16-bit: a class mismatch, the buffer is left alone.
    SnapshotSettings wide = snapshot(3, 2, 1);
    std::vector<uint8_t> untouched(12 + kGuard, kGuardByte);
    EXPECT_EQ(QorinTakeSnapshot(handle_, &wide, untouched.data()), 0);
    EXPECT_EQ(QorinGetLastError(), 1u);
    EXPECT_TRUE(guardIntact(untouched, 0));
    // Wrong geometry.
    SnapshotSettings other = snapshot(2, 3, 0);
    EXPECT_EQ(QorinTakeSnapshot(handle_, &other, untouched.data()), 0);
    EXPECT_EQ(QorinGetLastError(), 1u);
}

TEST_F(SimFrames, AStallLosesFramesAndALateCaptureGetsTheNewest) {
    qorinsim::SimulatedCamera& camera = *qorinsim::camera(1);
    camera.format_ = FrameFormat{0, 0, 8, 8, 0, 1, 0, 1, 0};
    std::vector<uint8_t> frame(64);
    auto next = [&] {
        EXPECT_NE(QorinTakeVideo(handle_, 1, frame.data()), 0);
        return camera.frameCounter_ - 1;  // the index just delivered
    };
    // At once, 100 ms at 30 fps costs three frames, whatever the machine.
    camera.hiccupFrame_ = 2;
    camera.hiccupDelay_ = 100.0;
    camera.hiccupPending_ = true;
    std::vector<uint64_t> delivered;
    for (int k = 0; k < 4; ++k) delivered.push_back(next());
    EXPECT_EQ(delivered, (std::vector<uint64_t>{0, 1, 5, 6}));

    // Paced at 1000 fps, a 30 ms stall loses at least the 30 frames produced meanwhile.
    camera.timing_ = qorinsim::Timing::kRealtime;
    camera.frameRate_ = 1000.0f;
    camera.hiccupFrame_ = 8;
    camera.hiccupDelay_ = 30.0;
    camera.hiccupPending_ = true;
    EXPECT_GE(next(), 7u);
    EXPECT_GE(next(), 8u + 30u);

    // A stall longer than the video timeout fails the capture as a timeout.
    ASSERT_NE(QorinSetTimeout(handle_, 0, 10.0f), 0);
    camera.hiccupFrame_ = 0;
    camera.hiccupDelay_ = 200.0;
    camera.hiccupPending_ = true;
    EXPECT_EQ(QorinTakeVideo(handle_, 1, frame.data()), 0);
    EXPECT_EQ(QorinGetLastError(), 19u);
}

// Conversions

std::vector<uint8_t> words(const std::vector<uint16_t>& values) {
    std::vector<uint8_t> bytes;
    for (uint16_t v : values) {
        bytes.push_back(static_cast<uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    return bytes;
}

TEST_F(SimFrames, MonochromeConversionsCopyAndReplicate) {
    setColour(false);
    const std::vector<uint8_t> source = {10, 20, 30, 40, 50, 60};
    std::vector<uint8_t> grey(6 + kGuard, kGuardByte), rgb(18 + kGuard, kGuardByte);
    ASSERT_NE(QorinConvertFrameToGreyscale8(handle_, grey.data(), source.data(), 3, 2, 0, &params_), 0);
    EXPECT_EQ(std::vector<uint8_t>(grey.begin(), grey.begin() + 6), source);
    EXPECT_TRUE(guardIntact(grey, 6));
    ASSERT_NE(QorinConvertFrameToRgb24(handle_, rgb.data(), source.data(), 3, 2, 0, &params_), 0);
    for (std::size_t k = 0; k < 6; ++k)
        for (std::size_t c = 0; c < 3; ++c) EXPECT_EQ(rgb[3 * k + c], source[k]);
    EXPECT_TRUE(guardIntact(rgb, 18));

    const std::vector<uint8_t> wide = words({0x1234, 0xFFFF, 0x0001});
    std::vector<uint8_t> grey16(6 + kGuard, kGuardByte), rgb48(18 + kGuard, kGuardByte);
    ASSERT_NE(QorinConvertFrameToGreyscale16(handle_, grey16.data(), wide.data(), 3, 1, 1, &params_), 0);
    EXPECT_EQ(std::vector<uint8_t>(grey16.begin(), grey16.begin() + 6), wide);
    ASSERT_NE(QorinConvertFrameToRgb48(handle_, rgb48.data(), wide.data(), 3, 1, 1, &params_), 0);
    EXPECT_EQ(std::vector<uint8_t>(rgb48.begin(), rgb48.begin() + 18),
              words({0x1234, 0x1234, 0x1234, 0xFFFF, 0xFFFF, 0xFFFF, 0x0001, 0x0001, 0x0001}));
    EXPECT_TRUE(guardIntact(rgb48, 18));
}

// RGGB with a 3x3 frame: the odd last row and column clamp to themselves.
TEST_F(SimFrames, ColourConversionDemosaicsRggbWithClamping) {
    setColour(true);
    // r g1 r
    // g2 b g2
    // r g1 r
    const std::vector<uint8_t> source = {100, 50, 200, 30, 7, 40, 11, 13, 17};
    std::vector<uint8_t> rgb(27 + kGuard, kGuardByte), grey(9 + kGuard, kGuardByte);
    ASSERT_NE(QorinConvertFrameToRgb24(handle_, rgb.data(), source.data(), 3, 3, 0, &params_), 0);
    // Pixels in block (0,0): r=100 g1=50 g2=30 b=7.
    for (int p : {0, 1, 3, 4}) {
        EXPECT_EQ(rgb[3 * p], 7) << p;
        EXPECT_EQ(rgb[3 * p + 1], 40) << p;
        EXPECT_EQ(rgb[3 * p + 2], 100) << p;
    }
    // Column 2 clamps: r=200, g1=200, g2=40, b=40.
    for (int p : {2, 5}) {
        EXPECT_EQ(rgb[3 * p], 40);
        EXPECT_EQ(rgb[3 * p + 1], 120);
        EXPECT_EQ(rgb[3 * p + 2], 200);
    }
    // Row 2 clamps: r=11, g1=13, g2=11, b=13.
    for (int p : {6, 7}) {
        EXPECT_EQ(rgb[3 * p], 13);
        EXPECT_EQ(rgb[3 * p + 1], 12);
        EXPECT_EQ(rgb[3 * p + 2], 11);
    }
    // Corner: everything is the one sample.
    EXPECT_EQ(rgb[24], 17);
    EXPECT_EQ(rgb[25], 17);
    EXPECT_EQ(rgb[26], 17);
    EXPECT_TRUE(guardIntact(rgb, 27));

    ASSERT_NE(QorinConvertFrameToGreyscale8(handle_, grey.data(), source.data(), 3, 3, 0, &params_), 0);
    EXPECT_EQ(std::vector<uint8_t>(grey.begin(), grey.begin() + 9),
              (std::vector<uint8_t>{46, 46, 120, 46, 46, 120, 12, 12, 17}));
    EXPECT_TRUE(guardIntact(grey, 9));
}

TEST_F(SimFrames, ColourConversionOfDegenerateShapes) {
    setColour(true);
    std::vector<uint8_t> rgb(12 + kGuard, kGuardByte);
    const uint8_t single[] = {77};
    ASSERT_NE(QorinConvertFrameToRgb24(handle_, rgb.data(), single, 1, 1, 0, &params_), 0);
    EXPECT_EQ(rgb[0], 77);
    EXPECT_EQ(rgb[1], 77);
    EXPECT_EQ(rgb[2], 77);
    EXPECT_TRUE(guardIntact(rgb, 3));

    // 1 row of 4: the second row clamps to the first, so g2 = r and b = g1.
    std::fill(rgb.begin(), rgb.end(), kGuardByte);
    const uint8_t row[] = {10, 20, 30, 41};
    ASSERT_NE(QorinConvertFrameToRgb24(handle_, rgb.data(), row, 4, 1, 0, &params_), 0);
    EXPECT_EQ(std::vector<uint8_t>(rgb.begin(), rgb.begin() + 12),
              (std::vector<uint8_t>{20, 15, 10, 20, 15, 10, 41, 35, 30, 41, 35, 30}));
    EXPECT_TRUE(guardIntact(rgb, 12));

    // 4 rows of 1: the second column clamps to the first, so g1 = r and b = g2.
    std::fill(rgb.begin(), rgb.end(), kGuardByte);
    ASSERT_NE(QorinConvertFrameToRgb24(handle_, rgb.data(), row, 1, 4, 0, &params_), 0);
    EXPECT_EQ(std::vector<uint8_t>(rgb.begin(), rgb.begin() + 12),
              (std::vector<uint8_t>{20, 15, 10, 20, 15, 10, 41, 35, 30, 41, 35, 30}));

    // Nothing to convert: nothing written.
    std::fill(rgb.begin(), rgb.end(), kGuardByte);
    EXPECT_NE(QorinConvertFrameToRgb24(handle_, rgb.data(), row, 0, 4, 0, &params_), 0);
    EXPECT_NE(QorinConvertFrameToRgb24(handle_, rgb.data(), row, 4, 0, 0, &params_), 0);
    EXPECT_TRUE(guardIntact(rgb, 0));
}

TEST_F(SimFrames, ColourConversionOf16BitWords) {
    setColour(true);
    const std::vector<uint8_t> source = words({1000, 3001, 60000, 4});
    std::vector<uint8_t> rgb(24 + kGuard, kGuardByte), grey(8 + kGuard, kGuardByte);
    ASSERT_NE(QorinConvertFrameToRgb48(handle_, rgb.data(), source.data(), 2, 2, 1, &params_), 0);
    // Sums above 16 bits must not wrap: (3001 + 60000) / 2 = 31500.
    EXPECT_EQ(std::vector<uint8_t>(rgb.begin(), rgb.begin() + 6), words({4, 31500, 1000}));
    EXPECT_TRUE(guardIntact(rgb, 24));
    ASSERT_NE(QorinConvertFrameToGreyscale16(handle_, grey.data(), source.data(), 2, 2, 1, &params_), 0);
    EXPECT_EQ(std::vector<uint8_t>(grey.begin(), grey.begin() + 8), words({16001, 16001, 16001, 16001}));
    EXPECT_TRUE(guardIntact(grey, 8));
}

TEST_F(SimFrames, ConversionsRefuseNullBuffersAndNarrowInputTo16Bit) {
    const uint8_t source[4] = {};
    uint8_t out[24] = {};
    EXPECT_EQ(QorinConvertFrameToRgb24(handle_, nullptr, source, 2, 2, 0, &params_), 0);
    EXPECT_EQ(QorinConvertFrameToRgb24(handle_, out, nullptr, 2, 2, 0, &params_), 0);
    EXPECT_EQ(QorinConvertFrameToRgb24(handle_, out, source, 2, 2, 0, nullptr), 0);
    EXPECT_EQ(QorinConvertFrameToRgb48(handle_, out, source, 2, 2, 0, &params_), 0);
    EXPECT_EQ(QorinConvertFrameToGreyscale16(handle_, out, source, 2, 2, 5, &params_), 0);
    EXPECT_EQ(QorinGetLastError(), 1u);
}

// PNM files

class SimPnm : public SimFrames {
protected:
    // A fresh folder under the system's temporary folder, on Linux and Windows alike.
    void SetUp() override {
        SimFrames::SetUp();
        const auto base = std::filesystem::temp_directory_path();
        std::random_device seed;
        for (int attempt = 0; attempt < 100 && directory_.empty(); ++attempt) {
            auto candidate = base / ("qorinsim_pnm_" + std::to_string(seed()));
            if (std::filesystem::create_directory(candidate)) directory_ = candidate;
        }
        ASSERT_FALSE(directory_.empty());
    }
    void TearDown() override {
        std::error_code ignored;
        if (!directory_.empty()) std::filesystem::remove_all(directory_, ignored);
    }
    std::string path(const std::string& name) { return (directory_ / name).string(); }
    static std::string read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path directory_;
};

TEST_F(SimPnm, WritesEachPixelFormat) {
    const uint8_t grey[] = {1, 2, 3, 4, 5, 6};
    std::string file = path("grey.raw");  // the extension does not matter
    ASSERT_NE(QorinSaveImageEx(handle_, 3, 2, 0, grey, file.c_str()), 0);
    EXPECT_EQ(read(file), std::string("P5\n3 2\n255\n\x01\x02\x03\x04\x05\x06", 17));

    const std::vector<uint8_t> grey16 = words({0x1234, 0xABCD});
    file = path("grey16.png");
    ASSERT_NE(QorinSaveImageEx(handle_, 2, 1, 1, grey16.data(), file.c_str()), 0);
    EXPECT_EQ(read(file), std::string("P5\n2 1\n65535\n\x12\x34\xAB\xCD", 17));

    const uint8_t bgr[] = {1, 2, 3, 4, 5, 6};
    file = path("rgb.bmp");
    ASSERT_NE(QorinSaveImageEx(handle_, 1, 2, 2, bgr, file.c_str()), 0);
    EXPECT_EQ(read(file), std::string("P6\n1 2\n255\n\x03\x02\x01\x06\x05\x04", 17));

    const std::vector<uint8_t> bgr16 = words({0x0102, 0x0304, 0x0506});
    file = path("rgb48.tif");
    ASSERT_NE(QorinSaveImageEx(handle_, 1, 1, 7, bgr16.data(), file.c_str()), 0);
    EXPECT_EQ(read(file), std::string("P6\n1 1\n65535\n\x05\x06\x03\x04\x01\x02", 19));
}

TEST_F(SimPnm, RefusesOtherPixelFormatsAndUnwritablePaths) {
    const uint8_t data[6] = {};
    std::string file = path("yuv.pgm");
    EXPECT_EQ(QorinSaveImageEx(handle_, 1, 1, 3, data, file.c_str()), 0);
    EXPECT_EQ(QorinGetLastError(), 1u);
    EXPECT_EQ(std::fopen(file.c_str(), "rb"), nullptr);
    EXPECT_EQ(QorinSaveImageEx(handle_, 1, 1, 0, data, (directory_ / "missing" / "x.pgm").string().c_str()), 0);
    EXPECT_EQ(QorinGetLastError(), 6u);
    EXPECT_EQ(QorinSaveImageEx(handle_, 1, 1, 0, data, nullptr), 0);
    EXPECT_EQ(QorinSaveImageEx(handle_, 1, 1, 0, nullptr, file.c_str()), 0);
}

TEST_F(SimFrames, ImageFormatsDescribeSnapshotAndVideoFormats) {
    ImageFormat image{};
    image.Size = 1234;
    ASSERT_NE(QorinGetStillImageFormat(handle_, &image), 0);  // no snapshot yet: the video format
    EXPECT_EQ(image.Size, 1234u);
    EXPECT_EQ(image.Width, 640u);
    EXPECT_EQ(image.Height, 480u);
    EXPECT_EQ(image.ImageSize, 640u * 480u);

    SnapshotSettings settings = snapshot(100, 50, 1, 2, 1);
    std::vector<uint8_t> buffer(50 * 50 * 2);
    ASSERT_NE(QorinTakeSnapshot(handle_, &settings, buffer.data()), 0);
    ASSERT_NE(QorinGetStillImageFormat(handle_, &image), 0);
    EXPECT_EQ(image.Width, 50u);
    EXPECT_EQ(image.Height, 50u);
    EXPECT_EQ(image.PixelFormat, 1u);
    EXPECT_EQ(image.ImageSize, 5000u);
    ASSERT_NE(QorinGetVideoImageFormat(handle_, &image), 0);
    EXPECT_EQ(image.Width, 640u);
    EXPECT_EQ(QorinGetVideoImageFormat(handle_, nullptr), 0);
}

}  // namespace
