// camera_event.h - an event notification that unregisters itself and closes its event object.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/win32.h"
#include "sdk/qorinapi.h"

namespace qorin {

// Owns one event object and its registration with the SDK: both are released when the owner is
// reset or destroyed, as CameraHandle closes its camera, so that every way out of a command that
// made them releases them.  The camera must still be open then: a record releases its events
// before its handle.
class CameraEvent {
public:
    // Creates an auto-reset event, not signalled, for camera `camera`; event() is null when the
    // system refuses one.
    CameraEvent(QorinHandle camera, std::int32_t id) noexcept
        : camera_(camera), event_(platform::createEvent()), id_(id) {}
    CameraEvent(CameraEvent&& other) noexcept
        : camera_(other.camera_),
          event_(std::exchange(other.event_, nullptr)),
          registration_(std::exchange(other.registration_, nullptr)),
          id_(other.id_) {}
    CameraEvent& operator=(CameraEvent&& other) noexcept {
        if (this != &other) {
            reset();
            camera_ = other.camera_;
            event_ = std::exchange(other.event_, nullptr);
            registration_ = std::exchange(other.registration_, nullptr);
            id_ = other.id_;
        }
        return *this;
    }
    CameraEvent(const CameraEvent&) = delete;
    CameraEvent& operator=(const CameraEvent&) = delete;
    ~CameraEvent() { reset(); }

    // Asks the SDK to signal the event on events of `kind`; false when it refuses.
    bool registerFor(std::int32_t kind) noexcept {
        registration_ = QorinRegisterEventNotification(camera_, kind, event_);
        return registration_ != nullptr;
    }
    // Ends the registration; false, and still registered, when the SDK refuses.  The event
    // object stays open until the owner goes.
    bool unregister() noexcept {
        if (QorinUnregisterEventNotification(camera_, registration_) == 0) return false;
        registration_ = nullptr;
        return true;
    }
    // Unregisters and closes now.  The SDK's answer is not looked at: the camera is about to be
    // closed, or the registration to be forgotten, either way.
    void reset() noexcept {
        if (registration_ != nullptr) QorinUnregisterEventNotification(camera_, std::exchange(registration_, nullptr));
        if (event_ != nullptr) platform::closeEvent(std::exchange(event_, nullptr));
    }

    platform::EventHandle event() const noexcept { return event_; }
    QorinEventRegistration registration() const noexcept { return registration_; }
    std::int32_t id() const noexcept { return id_; }

private:
    QorinHandle camera_ = nullptr;
    platform::EventHandle event_ = nullptr;
    QorinEventRegistration registration_ = nullptr;
    std::int32_t id_ = 0;
};

}  // namespace qorin
