// camera_handle.h - an SDK camera handle that closes the camera it opened.
#pragma once

#include <utility>

#include "sdk/qorinapi.h"

namespace qorin {

// Owns one open camera: the camera is closed when the owner is reset or destroyed, so that
// every way out of a command that opened it closes it.
class CameraHandle {
public:
    CameraHandle() = default;
    explicit CameraHandle(QorinHandle handle) noexcept : handle_(handle) {}
    CameraHandle(CameraHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    CameraHandle& operator=(CameraHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    CameraHandle(const CameraHandle&) = delete;
    CameraHandle& operator=(const CameraHandle&) = delete;
    ~CameraHandle() { reset(); }

    // Closes the camera now.  The SDK's answer is not looked at: the handle is gone either way.
    void reset() noexcept {
        if (handle_ != nullptr) QorinCameraClose(std::exchange(handle_, nullptr));
    }

    QorinHandle get() const noexcept { return handle_; }
    // Every SDK call takes the handle as it is, so the owner stands in for it.
    operator QorinHandle() const noexcept { return handle_; }

private:
    QorinHandle handle_ = nullptr;
};

}  // namespace qorin
