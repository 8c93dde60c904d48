// camera_table.h - the cameras the module has opened and their CameraRecord records.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "camera/background_recording.h"
#include "camera/camera_event.h"
#include "camera/camera_handle.h"
#include "camera/camera_state.h"
#include "camera/sdk_turns.h"
#include "sdk/qorinapi.h"
#include "platform/win32.h"

namespace qorin {

// Everything the module remembers about one opened camera.
struct CameraRecord {
    SnapshotSettings snapshot{};
    CameraHandle handle;
    std::int32_t cameraNumber = 0;
    std::int32_t eventCounter = 0;
    // The connection's token (connectCamera): no other connection in the process had it, of this
    // load of the module or an earlier one, so that an object that kept it tells its own
    // connection from a newer one.
    std::uint64_t connectionToken = 0;
    // Declared after `handle`, so that a record going away unregisters its events while the
    // camera is still open.
    std::vector<CameraEvent> events;
    // Turns at the camera's SDK calls while a recording worker makes some of them.
    SdkTurns sdkTurns;
    // The camera's latest recording, running or ended with its frames still held; declared
    // last, so that a record going away stops its worker before anything else goes.
    std::unique_ptr<BackgroundRecording> recorder;

    CameraState state() const { return state_; }
    bool connected() const { return state_ != CameraState::Disconnected; }
    // Previewing, with its stream running or suspended.
    bool previewing() const { return state_ == CameraState::Previewing || state_ == CameraState::PreviewSuspended; }
    // A recording worker takes this camera's frames.
    bool recording() const { return recorder != nullptr && recorder->running(); }

private:
    friend void setState(CameraRecord& camera, CameraState state);
    // `handle` is open exactly while the state is not Disconnected.
    CameraState state_ = CameraState::Disconnected;
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

// Stops and releases the camera's recording, releases its events, closes it and marks its
// record disconnected; never throws.
void closeCamera(CameraRecord& camera) noexcept;

// Stops every recording and every preview, closes every camera and releases every record;
// never throws.
void shutdownCameras() noexcept;

}  // namespace qorin
