// camera_table.cpp - slot lookups, closing a camera and the orderly shutdown of all cameras.
#include "camera/camera_table.h"

namespace qorin {

std::int32_t CameraTable::findCameraSlot(std::int32_t cameraNumber) const {
    for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
        if (slots_[slot]->cameraNumber == cameraNumber) return static_cast<std::int32_t>(slot);
    }
    return -1;
}

std::int32_t CameraTable::findFreeSlot() const {
    for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
        if (!slots_[slot]->connected()) return static_cast<std::int32_t>(slot);
    }
    return -1;
}

std::int32_t CameraTable::append(std::unique_ptr<CameraRecord> record) {
    slots_.push_back(std::move(record));
    return static_cast<std::int32_t>(slots_.size() - 1);
}

void CameraTable::replace(std::int32_t slot, std::unique_ptr<CameraRecord> record) {
    slots_[static_cast<std::size_t>(slot)] = std::move(record);
}

CameraTable& cameraTable() {
    static CameraTable table;
    return table;
}

void closeCamera(CameraRecord& camera) noexcept {
    camera.recorder.reset();
    // Events are unregistered and closed, in the order they were registered, while the handle
    // is still open in the SDK.
    for (CameraEvent& event : camera.events) event.reset();
    camera.events.clear();
    camera.handle.reset();
    setState(camera, CameraState::Disconnected);
}

void shutdownCameras() noexcept {
    CameraTable& table = cameraTable();
    // Every worker first, so that no camera is closed under another's recording.
    for (std::int32_t slot = 0; slot < table.count(); ++slot) {
        if (table.at(slot).recorder != nullptr) table.at(slot).recorder->stopForUnload();
    }
    for (std::int32_t slot = 0; slot < table.count(); ++slot) {
        CameraRecord& camera = table.at(slot);
        if (!camera.connected()) continue;
        if (camera.previewing()) {
            QorinStreamVideoControl(camera.handle, QORIN_STREAM_STOP, nullptr);
            QorinDestroyDisplayWindow(camera.handle);
        }
        closeCamera(camera);
    }
    table.clear();
}

}  // namespace qorin
