// events.cpp - registering and unregistering event notifications, and the camera's time-out.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

#include "camera/camera_table.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"
#include "platform/win32.h"

namespace qorin {
namespace {

constexpr const char* kRegisterFailed = "Could not register event.";
constexpr const char* kRecordMemory = "Could not allocate sufficient memory to register event.";

// Closes an event object on every way out of the registration until the list owns it.
struct EventGuard {
    platform::EventHandle event;
    ~EventGuard() { platform::closeEvent(event); }
};

}  // namespace

ArrayPtr handleRegisterEvent(const Args& args) {
    CameraRecord& camera =
        connectedCamera(args.integer(1), "Could not register event notification. Camera %d is not connected.");
    // An auto-reset event, not signalled; without it the SDK would have nothing to signal.
    EventGuard guard{platform::createEvent()};
    if (guard.event == nullptr) failSdk(kRegisterFailed);

    const QorinEventRegistration registration =
        QorinRegisterEventNotification(camera.handle, args.integer(2), guard.event);
    if (registration == nullptr) failSdk(kRegisterFailed);

    // Room for the record and its list entry, or the registration is undone: nothing could
    // ever unregister it or close its event otherwise.
    std::unique_ptr<CameraEvent> record(new (std::nothrow) CameraEvent);
    bool listReady = record != nullptr;
    if (listReady) {
        try {
            camera.events.reserve(camera.events.size() + 1);
        } catch (const std::bad_alloc&) {
            listReady = false;
        }
    }
    if (!listReady) {
        QorinUnregisterEventNotification(camera.handle, registration);
        failMemory(kRecordMemory);
    }

    record->event = guard.event;
    record->registration = registration;
    record->id = ++camera.eventCounter;
    guard.event = nullptr;
    const std::int32_t id = record->id;
    camera.events.push_back(std::move(record));
    return makeDoubleScalar(static_cast<double>(id));
}

ArrayPtr handleUnregisterEvent(const Args& args) {
    CameraRecord& camera =
        connectedCamera(args.integer(1), "Could not unregister event notification. Camera %d is not connected.");
    const std::int32_t id = args.integer(2);
    auto& events = camera.events;
    const auto entry = std::find_if(events.begin(), events.end(), [id](const auto& record) { return record->id == id; });
    if (entry == events.end()) {
        failValue(formatText("No event with ID of %i has been registered for camera %d.", id, camera.cameraNumber));
    }
    if (QorinUnregisterEventNotification(camera.handle, (*entry)->registration) == 0) {
        failSdk("Error while unregistering event notification.");
    }
    platform::closeEvent((*entry)->event);
    events.erase(entry);
    return nullptr;
}

ArrayPtr handleSetTimeout(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set timeout. Camera %d is not connected.");
    const bool snapshot = args.logical(2);
    const float timeout = args.single(3);
    // Stored before the SDK is asked, and kept even if it refuses.
    if (snapshot) camera.snapshot.timeout = timeout;
    if (QorinSetTimeout(camera.handle, snapshot ? 1 : 0, timeout) == 0) failSdk("Error setting timout value.");
    return nullptr;
}

}  // namespace qorin
