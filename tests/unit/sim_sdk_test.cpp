// sim_sdk_test.cpp - the simulated SDK's cameras, handles, refusals, fault injection and call log.
#include "sdk/qorinapi.h"
#include "sim/sim_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

class SimSdk : public ::testing::Test {
protected:
    void SetUp() override { qorinsim::reset(); }

    static std::vector<std::string> names() {
        std::vector<std::string> out;
        for (const auto& call : qorinsim::calls()) out.emplace_back(call.name_);
        return out;
    }
};

TEST_F(SimSdk, CameraCountAndItsFailure) {
    EXPECT_EQ(QorinNumCameras(), 1);
    qorinsim::setAttached(3);
    EXPECT_EQ(QorinNumCameras(), 3);
    qorinsim::setAttached(-1);
    EXPECT_EQ(QorinNumCameras(), -1);
    qorinsim::setAttached(2);
    ASSERT_TRUE(qorinsim::failCalls("QorinNumCameras", 77, 1, 0));
    EXPECT_EQ(QorinNumCameras(), -1);
    EXPECT_EQ(QorinGetLastError(), 77u);
    EXPECT_EQ(QorinNumCameras(), 2);
}

TEST_F(SimSdk, OpenRefusesUnattachedAndOpenCameras) {
    qorinsim::setAttached(2);
    EXPECT_EQ(QorinCameraOpen(0), nullptr);
    EXPECT_EQ(QorinCameraOpen(3), nullptr);
    EXPECT_EQ(QorinGetLastError(), 3u);
    QorinHandle one = QorinCameraOpen(1);
    QorinHandle two = QorinCameraOpen(2);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_NE(one, two);
    EXPECT_EQ(QorinCameraOpen(1), nullptr);
    EXPECT_EQ(QorinGetLastError(), 4u);
    EXPECT_EQ(qorinsim::cameraOfHandle(two), 2);
}

TEST_F(SimSdk, StaleAndForeignHandlesFailWithoutCrashing) {
    QorinHandle first = QorinCameraOpen(1);
    ASSERT_NE(QorinCameraClose(first), 0);
    QorinHandle second = QorinCameraOpen(1);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);  // a reopen never reuses the old handle

    float value = 0;
    uint32_t flags = 0;
    int local = 0;
    for (QorinHandle bad : {first, static_cast<QorinHandle>(nullptr), static_cast<QorinHandle>(&local),
                            reinterpret_cast<QorinHandle>(uintptr_t{1})}) {
        EXPECT_EQ(QorinGetProperty(bad, 20, &value, &flags), 0);
        EXPECT_EQ(QorinGetLastError(), 2u);
        EXPECT_EQ(QorinCameraClose(bad), 0);
    }
    EXPECT_NE(QorinGetProperty(second, 20, &value, &flags), 0);
    // A handle from before a reset is stale as well.
    qorinsim::reset();
    EXPECT_EQ(QorinStreamVideoControl(second, QORIN_STREAM_START, nullptr), 0);
}

TEST_F(SimSdk, NullOutputPointersFail) {
    QorinHandle h = QorinCameraOpen(1);
    FrameFormat format{};
    float rate = 0;
    uint32_t word = 0;
    EXPECT_EQ(QorinGetFormat(h, nullptr, &rate), 0);
    EXPECT_EQ(QorinGetFormat(h, &format, nullptr), 0);
    EXPECT_EQ(QorinGetProperty(h, 20, nullptr, &word), 0);
    EXPECT_EQ(QorinTakeVideo(h, 1, nullptr), 0);
    EXPECT_EQ(QorinTakeSnapshot(h, nullptr, &word), 0);
    EXPECT_EQ(QorinQueryVersion(h, nullptr), 0);
    EXPECT_EQ(QorinGetCurrentMatrix(h, nullptr), 0);
    EXPECT_EQ(QorinPermanentBufferRead(h, nullptr, 0, 1), 0);
    EXPECT_EQ(QorinEnumAvailableFrameRates(h, 5, nullptr), 0);
    EXPECT_EQ(QorinGetLastError(), 1u);
}

TEST_F(SimSdk, SetFormatRefusals) {
    QorinHandle h = QorinCameraOpen(1);
    const FrameFormat good{0, 0, 1280, 1024, 1, 1, 0, 1, 0};
    EXPECT_NE(QorinSetFormat(h, &good, 15.0f), 0);

    FrameFormat bad = good;
    bad.xBinSub = 0;
    EXPECT_EQ(QorinSetFormat(h, &bad, 15.0f), 0);
    bad = good;
    bad.yBinSub = 0;
    EXPECT_EQ(QorinSetFormat(h, &bad, 15.0f), 0);
    bad = good;
    bad.width = 1281;
    EXPECT_EQ(QorinSetFormat(h, &bad, 15.0f), 0);
    bad = good;
    bad.height = 1025;
    EXPECT_EQ(QorinSetFormat(h, &bad, 15.0f), 0);
    for (uint32_t pixelFormat : {2u, 4u, 7u}) {
        bad = good;
        bad.pixelFormat = pixelFormat;
        EXPECT_EQ(QorinSetFormat(h, &bad, 15.0f), 0) << pixelFormat;
    }
    EXPECT_EQ(QorinSetFormat(h, &good, 0.0f), 0);
    EXPECT_EQ(QorinSetFormat(h, &good, -1.0f), 0);
    EXPECT_EQ(QorinGetLastError(), 1u);

    FrameFormat read{};
    float rate = 0;
    ASSERT_NE(QorinGetFormat(h, &read, &rate), 0);
    EXPECT_EQ(std::memcmp(&read, &good, sizeof read), 0);
    EXPECT_EQ(rate, 15.0f);

    // Formats may change while streaming, and a YUV format is accepted here.
    ASSERT_NE(QorinStreamVideoControl(h, QORIN_STREAM_START, nullptr), 0);
    bad = good;
    bad.pixelFormat = 3;
    EXPECT_NE(QorinSetFormat(h, &bad, 60.0f), 0);
}

TEST_F(SimSdk, PropertiesHonourTheirRanges) {
    QorinHandle h = QorinCameraOpen(1);
    float minimum = 0, maximum = 0, value = 0;
    uint32_t steps = 0, flags = 0;
    ASSERT_NE(QorinPropertyRange(h, QORIN_PROP_GAIN, &minimum, &maximum, &steps, &flags), 0);
    EXPECT_NE(QorinSetProperty(h, QORIN_PROP_GAIN, maximum, 5), 0);
    EXPECT_EQ(QorinSetProperty(h, QORIN_PROP_GAIN, maximum + 1, 0), 0);
    EXPECT_EQ(QorinSetProperty(h, QORIN_PROP_GAIN, minimum - 1, 0), 0);
    ASSERT_NE(QorinGetProperty(h, QORIN_PROP_GAIN, &value, &flags), 0);
    EXPECT_EQ(value, maximum);
    EXPECT_EQ(flags, 5u);

    ASSERT_NE(QorinGetProperty(h, QORIN_PROP_COLOUR_FORMAT, &value, &flags), 0);
    EXPECT_EQ(value, 1.0f);
    ASSERT_NE(QorinGetProperty(h, QORIN_PROP_MAX_WIDTH, &value, &flags), 0);
    EXPECT_EQ(value, 1280.0f);
}

TEST_F(SimSdk, StreamAndWindowStateIsNeverRefused) {
    QorinHandle h = QorinCameraOpen(1);
    EXPECT_NE(QorinStreamVideoControl(h, QORIN_STREAM_STOP, nullptr), 0);
    EXPECT_NE(QorinStreamVideoControl(h, QORIN_STREAM_START, nullptr), 0);
    EXPECT_NE(QorinStreamVideoControl(h, QORIN_STREAM_START, nullptr), 0);
    EXPECT_TRUE(qorinsim::camera(1)->streaming_);
    EXPECT_NE(QorinCreateDisplayWindow(h, "a", 0, 0, 0, 320, 240, nullptr, nullptr), 0);
    EXPECT_NE(QorinCreateDisplayWindow(h, "b", 0, 0, 0, 640, 480, nullptr, nullptr), 0);
    EXPECT_EQ(qorinsim::camera(1)->windowWidth_, 640);
    EXPECT_NE(QorinDestroyDisplayWindow(h), 0);
    EXPECT_NE(QorinDestroyDisplayWindow(h), 0);
    EXPECT_FALSE(qorinsim::camera(1)->window_);
    // Closing ends the stream but keeps the camera's format.
    qorinsim::camera(1)->format_.width = 320;
    ASSERT_NE(QorinCameraClose(h), 0);
    EXPECT_FALSE(qorinsim::camera(1)->streaming_);
    EXPECT_EQ(qorinsim::camera(1)->format_.width, 320u);
}

TEST_F(SimSdk, PermanentBufferBounds) {
    QorinHandle h = QorinCameraOpen(1);
    const uint8_t data[4] = {1, 2, 3, 4};
    uint8_t out[4] = {};
    EXPECT_NE(QorinPermanentBufferWrite(h, data, 1020, 4), 0);
    EXPECT_EQ(QorinPermanentBufferWrite(h, data, 1021, 4), 0);
    EXPECT_EQ(QorinGetLastError(), 5u);
    EXPECT_EQ(QorinPermanentBufferRead(h, out, 0xFFFFFFFFu, 2), 0);  // offset + count must not wrap
    EXPECT_EQ(QorinPermanentBufferRead(h, out, 1021, 4), 0);
    ASSERT_NE(QorinPermanentBufferRead(h, out, 1020, 4), 0);
    EXPECT_EQ(std::memcmp(out, data, 4), 0);
    EXPECT_NE(QorinPermanentBufferRead(h, out, 1024, 0), 0);
}

TEST_F(SimSdk, FaultsHonourCountAndSkip) {
    QorinHandle h = QorinCameraOpen(1);
    float value = 0;
    uint32_t flags = 0;
    ASSERT_TRUE(qorinsim::failCalls("QorinGetProperty", 0xDEADBEEF, 2, 1));
    EXPECT_NE(QorinGetProperty(h, 80, &value, &flags), 0);  // skipped
    EXPECT_EQ(QorinGetProperty(h, 65, &value, &flags), 0);
    EXPECT_EQ(QorinGetLastError(), 0xDEADBEEFu);
    EXPECT_EQ(QorinGetProperty(h, 64, &value, &flags), 0);
    EXPECT_NE(QorinGetProperty(h, 64, &value, &flags), 0);  // count used up

    // Only successful calls use up the skip.
    ASSERT_TRUE(qorinsim::failCalls("QorinSetProperty", 9, 1, 1));
    EXPECT_EQ(QorinSetProperty(h, QORIN_PROP_GAIN, 1000.0f, 0), 0);  // refused by range, skip stays
    EXPECT_EQ(QorinGetLastError(), 1u);
    EXPECT_NE(QorinSetProperty(h, QORIN_PROP_GAIN, 3.0f, 0), 0);
    EXPECT_EQ(QorinSetProperty(h, QORIN_PROP_GAIN, 3.0f, 0), 0);
    EXPECT_EQ(QorinGetLastError(), 9u);

    // Faults apply on any camera and to handle-returning calls as null.
    qorinsim::setAttached(2);
    ASSERT_TRUE(qorinsim::failCalls("QorinCameraOpen", 42, 1, 0));
    EXPECT_EQ(QorinCameraOpen(2), nullptr);
    EXPECT_EQ(QorinGetLastError(), 42u);
    EXPECT_NE(QorinCameraOpen(2), nullptr);

    EXPECT_FALSE(qorinsim::failCalls("QorinNoSuchCall", 1, 1, 0));
    EXPECT_FALSE(qorinsim::failCalls("QorinGetLastError", 1, 1, 0));
    // A reset drops pending faults.
    ASSERT_TRUE(qorinsim::failCalls("QorinNumCameras", 1, 5, 0));
    qorinsim::reset();
    EXPECT_EQ(QorinNumCameras(), 1);
}

TEST_F(SimSdk, SynchronousSnapshotsCaptureEveryParticipant) {
    qorinsim::setAttached(2);
    QorinHandle handles[] = {QorinCameraOpen(2), QorinCameraOpen(1)};
    SnapshotSettings one{}, two{};
    one.format = FrameFormat{0, 0, 4, 2, 0, 1, 0, 1, 0};
    two.format = FrameFormat{0, 0, 4, 2, 1, 1, 0, 1, 0};
    qorinsim::camera(2)->frames_ = {qorinsim::Frame{2, 4, 1, {1, 2, 3, 4, 5, 6, 7, 8}}};
    SnapshotSettings* settings[] = {&one, &two};
    qorinsim::clearCalls();

    QorinSyncHandle sync = QorinEnableSynchronousSnapshots(2, handles, settings);
    ASSERT_NE(sync, nullptr);
    EXPECT_TRUE(qorinsim::inSyncSession(1));
    std::vector<uint8_t> a(8), b(16);
    void* buffers[] = {a.data(), b.data()};
    ASSERT_NE(QorinTakeSynchronousSnapshots(sync, buffers), 0);
    EXPECT_EQ(a, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_NE(QorinDisableSynchronousSnapshots(sync), 0);
    EXPECT_FALSE(qorinsim::inSyncSession(1));
    EXPECT_EQ(QorinDisableSynchronousSnapshots(sync), 0);
    EXPECT_EQ(QorinGetLastError(), 2u);

    const auto& log = qorinsim::calls();
    ASSERT_EQ(log.size(), 5u);  // enable, take, disable twice, the error query
    EXPECT_EQ(log[0].camera_, 0);
    ASSERT_EQ(log[0].args_.size(), 3u);
    EXPECT_EQ(log[0].args_[1].doubles_, (std::vector<double>{2, 1}));
    EXPECT_EQ(log[0].args_[2].kind_, qorinsim::LogValue::Kind::kSettings);
    EXPECT_EQ(log[0].args_[2].bytes_.size(), 2 * sizeof(SnapshotSettings));
    EXPECT_EQ(log[1].args_.size(), 1u);  // the buffer table, not the sync handle
}

TEST_F(SimSdk, CallLogRecordsArgumentsInSdkOrder) {
    QorinHandle h = QorinCameraOpen(1);
    const FrameFormat format{1, 2, 320, 240, 0, 1, 0, 1, 0};
    QorinSetFormat(h, &format, 0.1f);
    const uint8_t table[] = {9, 8, 7};
    QorinSetup8bitsColorLUT(h, table, 3, 1, 0, 1, 0);
    const uint8_t image[] = {1, 2, 3, 4};
    QorinSaveImageEx(h, 2, 2, 0, image, "/nonexistent/dir/file.pgm");
    QorinGetLastError();

    EXPECT_EQ(names(), (std::vector<std::string>{"QorinCameraOpen", "QorinSetFormat", "QorinSetup8bitsColorLUT",
                                                 "QorinSaveImageEx", "QorinGetLastError"}));
    const auto& log = qorinsim::calls();
    EXPECT_EQ(log[0].camera_, 0);
    EXPECT_EQ(log[0].args_[0].number_, 1.0);
    EXPECT_EQ(log[1].camera_, 1);
    ASSERT_EQ(log[1].args_[0].kind_, qorinsim::LogValue::Kind::kFrameFormat);
    FrameFormat logged;
    std::memcpy(&logged, log[1].args_[0].bytes_.data(), sizeof logged);
    EXPECT_EQ(logged.yOffset, 2u);
    EXPECT_EQ(log[1].args_[1].number_, 0.10000000149011612);  // the float, widened exactly
    EXPECT_EQ(log[2].args_[0].bytes_, (std::vector<uint8_t>{9, 8, 7}));
    EXPECT_EQ(log[2].args_.size(), 6u);
    EXPECT_EQ(log[3].args_[3].bytes_, (std::vector<uint8_t>{1, 2, 3, 4}));  // the image as handed over
    EXPECT_EQ(std::string(log[3].args_[4].bytes_.begin(), log[3].args_[4].bytes_.end()), "/nonexistent/dir/file.pgm");
    EXPECT_TRUE(log[4].args_.empty());
}

TEST_F(SimSdk, CallLogIsBounded) {
    for (std::size_t k = 0; k < qorinsim::kCallLogLimit + 10; ++k) QorinNumCameras();
    EXPECT_EQ(qorinsim::calls().size(), qorinsim::kCallLogLimit);
    qorinsim::clearCalls();
    EXPECT_TRUE(qorinsim::calls().empty());
    // Frames handed in are kept as their bytes, within a budget of bytes as well.
    std::vector<uint8_t> frame(std::size_t{4096} * 1024 * 2, 0x5A);
    frame.back() = 7;
    for (std::size_t k = 0; k <= qorinsim::kCallLogByteLimit / frame.size(); ++k)
        QorinConvertFrameToGreyscale16(nullptr, nullptr, frame.data(), 4096, 1024, 1, nullptr);
    EXPECT_EQ(qorinsim::calls().size(), qorinsim::kCallLogByteLimit / frame.size());
    EXPECT_EQ(qorinsim::calls().back().args_[1].bytes_, frame);
}

TEST_F(SimSdk, EventRegistrationsAreTracked) {
    QorinHandle h = QorinCameraOpen(1);
    int eventObject = 0;
    QorinEventRegistration first = QorinRegisterEventNotification(h, 1, &eventObject);
    QorinEventRegistration second = QorinRegisterEventNotification(h, 2, &eventObject);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, first);
    EXPECT_EQ(QorinRegisterEventNotification(h, 1, nullptr), nullptr);
    EXPECT_EQ(qorinsim::camera(1)->registrations_.size(), 2u);
    EXPECT_NE(QorinUnregisterEventNotification(h, first), 0);
    EXPECT_EQ(QorinUnregisterEventNotification(h, first), 0);
    EXPECT_EQ(qorinsim::camera(1)->registrations_.size(), 1u);
}

TEST_F(SimSdk, CamerasCaptureOnTheirOwnThreadsWhileAnotherSetsProperties) {
    qorinsim::setAttached(2);
    QorinHandle one = QorinCameraOpen(1);
    QorinHandle two = QorinCameraOpen(2);
    const FrameFormat small{0, 0, 64, 48, 0, 1, 0, 1, 0};
    ASSERT_NE(QorinSetFormat(one, &small, 30.0f), 0);
    ASSERT_NE(QorinSetFormat(two, &small, 1000.0f), 0);
    SnapshotSettings settings{};
    settings.format = small;
    ASSERT_NE(QorinEnableFastFrames(two, &settings), 0);
    qorinsim::camera(2)->timing_ = qorinsim::Timing::kRealtime;
    // Camera 1 fails after 50 frames, in its own thread's last error only.
    ASSERT_TRUE(qorinsim::failCalls("QorinTakeVideo", 77, 1, 50));

    std::atomic<int> running{2};
    int videoFrames = 0;
    uint32_t videoError = 0;
    std::vector<uint64_t> fastCounters;
    std::thread video([&] {
        std::vector<uint8_t> frame(64 * 48);
        while (QorinTakeVideo(one, 1, frame.data()) != 0) ++videoFrames;
        videoError = QorinGetLastError();
        --running;
    });
    std::thread fast([&] {
        std::vector<uint8_t> frame(64 * 48);
        for (int k = 0; k < 40; ++k) {
            ASSERT_NE(QorinTakeFastFrame(two, frame.data()), 0);
            std::lock_guard<std::recursive_mutex> lock(qorinsim::mutex());
            fastCounters.push_back(qorinsim::camera(2)->frameCounter_);
        }
        --running;
    });
    int changes = 0;
    while (running > 0 || changes < 10) {
        EXPECT_NE(QorinSetProperty(one, QORIN_PROP_GAIN, static_cast<float>(1 + changes % 8), 0), 0);
        EXPECT_NE(QorinSetProperty(two, QORIN_PROP_EXPOSURE, static_cast<float>(changes % 100), 0), 0);
        {
            std::lock_guard<std::recursive_mutex> lock(qorinsim::mutex());
            qorinsim::camera(1 + changes % 2)->noise_ = changes % 5;
        }
        ++changes;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));  // keeps the log short of its bound
    }
    video.join();
    fast.join();
    EXPECT_EQ(videoFrames, 50);
    EXPECT_EQ(videoError, 77u);
    EXPECT_EQ(QorinGetLastError(), 0u);
    EXPECT_TRUE(std::is_sorted(fastCounters.begin(), fastCounters.end()));
    EXPECT_EQ(std::adjacent_find(fastCounters.begin(), fastCounters.end()), fastCounters.end());
    EXPECT_EQ(std::count_if(qorinsim::calls().begin(), qorinsim::calls().end(),
                            [](const auto& call) { return call.name_ == std::string("QorinTakeVideo"); }),
              51);
}

}  // namespace
