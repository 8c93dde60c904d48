// camera_table.h - the cameras the module has opened, their CameraRecord records and the connection check.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "sdk/qorinapi.h"
#include "platform/win32.h"

namespace qorin {

// One registered event notification, owned by its camera's event list.
struct CameraEvent {
    HANDLE event = nullptr;
    QorinEventRegistration registration = nullptr;
    std::int32_t id = 0;
};

// Everything the module remembers about one opened camera.
struct CameraRecord {
    std::uint8_t connected = 0;
    std::uint8_t previewing = 0;
    std::uint8_t video16Bit = 0;
    SnapshotSettings snapshot{};
    QorinHandle handle = nullptr;
    std::int32_t cameraNumber = 0;
    std::int32_t eventCounter = 0;
    std::vector<std::unique_ptr<CameraEvent>> events;
};

constexpr int kMaxCameraRecords = 25;

// The module-wide table of CameraRecord records, in slot order.  A record leaves the table only
// when a newer one takes its slot or the module is unloaded.
class CameraTable {
public:
    std::int32_t count() const { return static_cast<std::int32_t>(slots_.size()); }
    CameraRecord& at(std::int32_t slot) { return *slots_[static_cast<std::size_t>(slot)]; }

    // First slot whose record carries camera number n, or -1.
    std::int32_t findCameraSlot(std::int32_t cameraNumber) const;
    // First slot whose record is not connected, or -1.
    std::int32_t findFreeSlot() const;

    // Makes room for one more record, so that a later append cannot fail.
    void reserveSlot() { slots_.reserve(slots_.size() + 1); }
    // Appends a record and returns its slot.
    std::int32_t append(std::unique_ptr<CameraRecord> record);
    // Puts a record into a slot; the record it displaces is released.
    void replace(std::int32_t slot, std::unique_ptr<CameraRecord> record);
    // Empties the table (first call of a freshly loaded module, and unloading).
    void clear() { slots_.clear(); }

private:
    std::vector<std::unique_ptr<CameraRecord>> slots_;
};

CameraTable& cameraTable();

// Module-wide destination of format reads, meaningful only within one command.
FrameFormat& scratchFormat();
float& scratchFrameRate();

// True when camera n is connected; otherwise throws "Invalid camera number.", "Not enough
// cameras connected.", "Camera ID not found." or `message`, in that order of tests.
bool checkConnected(std::int32_t cameraNumber, const char* message);

// The common opening of a command: formats `notConnectedFormat` (one %d) with the camera
// number, runs checkConnected with it and returns the camera's record.
CameraRecord& connectedCamera(std::int32_t cameraNumber, const char* notConnectedFormat);

// Unregisters a camera's events with the SDK, closes their event objects and empties its
// list.  SDK failures are ignored: the records are released whatever the SDK says.
void releaseCameraEvents(CameraRecord& camera) noexcept;

// Stops every preview, closes every camera and releases every record; never throws.
void shutdownCameras() noexcept;

}  // namespace qorin
