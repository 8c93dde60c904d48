// events.cpp - registering and unregistering event notifications, and the camera's time-out.
#include <algorithm>
#include <cstdint>
#include <new>

#include "camera/camera_table.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"

namespace qorin {
namespace {

constexpr const char* kRegisterFailed = "Could not register event.";
constexpr const char* kRecordMemory = "Could not allocate sufficient memory to register event.";

}  // namespace

ArrayPtr handleRegisterEvent(const Args& args) {
    CameraRecord& camera =
        connectedCamera(args.integer(1), "Could not register event notification. Camera %d is not connected.");
    // Without an event object the SDK would have nothing to signal.
    CameraEvent event(camera.handle, camera.eventCounter + 1);
    if (event.event() == nullptr) failSdk(kRegisterFailed);
    if (!event.registerFor(args.integer(2))) failSdk(kRegisterFailed);

    // The record owns the registration before any result array exists: a host that ends the
    // call at a refused allocation runs no destructor here, and the record still releases it.
    try {
        camera.events.push_back(std::move(event));
    } catch (const std::bad_alloc&) {
        failMemory(kRecordMemory);
    }
    ++camera.eventCounter;
    return makeDoubleScalar(static_cast<double>(camera.events.back().id()));
}

ArrayPtr handleUnregisterEvent(const Args& args) {
    CameraRecord& camera =
        connectedCamera(args.integer(1), "Could not unregister event notification. Camera %d is not connected.");
    const std::int32_t id = args.integer(2);
    auto& events = camera.events;
    const auto entry = std::find_if(events.begin(), events.end(), [id](const CameraEvent& event) { return event.id() == id; });
    if (entry == events.end()) {
        failValue(formatText("No event with ID of %i has been registered for camera %d.", id, camera.cameraNumber));
    }
    if (!entry->unregister()) failSdk("Error while unregistering event notification.");
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
