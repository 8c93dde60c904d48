// capture_modes.h - camera modes a capture puts a camera in and must leave on every way out: fast frames and a started stream.
#pragma once

#include <utility>

#include "gateway/errors.h"
#include "sdk/qorinapi.h"

namespace qorin {

// A camera's fast-frame mode, left again on every way out of the capture: left on, it would
// hold the camera for every later command.  A preview stopped for the capture is not the
// mode's to restart.
class FastFrameMode {
public:
    static constexpr const char* kEnableFailed = "Error enabling fast frames.";

    FastFrameMode() = default;
    FastFrameMode(QorinHandle handle, SnapshotSettings& settings) {
        if (QorinEnableFastFrames(handle, &settings) == 0) failSdk(kEnableFailed);
        handle_ = handle;
    }
    FastFrameMode(FastFrameMode&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    FastFrameMode& operator=(FastFrameMode&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    ~FastFrameMode() {
        if (handle_ != nullptr) QorinDisableFastFrames(handle_);
    }
    // Leaves the mode; false when the SDK refuses, which is then not asked again.
    bool disable() { return handle_ == nullptr || QorinDisableFastFrames(std::exchange(handle_, nullptr)) != 0; }

private:
    QorinHandle handle_ = nullptr;
};

// A video stream started without a window for a capture of its own, stopped again on every
// way out of it.
class StartedStream {
public:
    static constexpr const char* kStartFailed = "An error occured while opening the video preview.\n";

    StartedStream() = default;
    explicit StartedStream(QorinHandle handle) {
        if (QorinStreamVideoControl(handle, QORIN_STREAM_START, nullptr) == 0) failSdk(kStartFailed);
        handle_ = handle;
    }
    StartedStream(StartedStream&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    StartedStream& operator=(StartedStream&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    ~StartedStream() {
        if (handle_ != nullptr) QorinStreamVideoControl(handle_, QORIN_STREAM_STOP, nullptr);
    }

private:
    QorinHandle handle_ = nullptr;
};

}  // namespace qorin
