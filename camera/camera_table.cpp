// camera_table.cpp - slot lookups, the connection check and the orderly shutdown of all cameras.
#include "camera/camera_table.h"

#include <string>

#include "gateway/errors.h"

namespace qorin {

std::int32_t CameraTable::findCameraSlot(std::int32_t cameraNumber) const {
    for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
        if (slots_[slot]->cameraNumber == cameraNumber) return static_cast<std::int32_t>(slot);
    }
    return -1;
}

std::int32_t CameraTable::findFreeSlot() const {
    for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
        if (slots_[slot]->connected == 0) return static_cast<std::int32_t>(slot);
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

FrameFormat& scratchFormat() {
    static FrameFormat format{};
    return format;
}

float& scratchFrameRate() {
    static float rate = 0.0f;
    return rate;
}

bool checkConnected(std::int32_t cameraNumber, const char* message) {
    if (cameraNumber < 1) fail(ErrorKind::NotConnected, "Invalid camera number.");
    if (QorinNumCameras() < cameraNumber) fail(ErrorKind::NotConnected, "Not enough cameras connected.");
    const std::int32_t slot = cameraTable().findCameraSlot(cameraNumber);
    if (slot == -1) fail(ErrorKind::NotConnected, "Camera ID not found.");
    if (cameraTable().at(slot).connected == 0) fail(ErrorKind::NotConnected, message);
    return true;
}

CameraRecord& connectedCamera(std::int32_t cameraNumber, const char* notConnectedFormat) {
QORIN_FIXED_FORMAT_BEGIN
    const std::string message = formatText(notConnectedFormat, cameraNumber);
QORIN_FIXED_FORMAT_END
    checkConnected(cameraNumber, message.c_str());
    return cameraTable().at(cameraTable().findCameraSlot(cameraNumber));
}

void releaseCameraEvents(CameraRecord& camera) noexcept {
    for (const auto& entry : camera.events) {
        if (camera.handle != nullptr && entry->registration != nullptr) {
            QorinUnregisterEventNotification(camera.handle, entry->registration);
        }
        if (entry->event != nullptr) CloseHandle(entry->event);
    }
    camera.events.clear();
}

void shutdownCameras() noexcept {
    CameraTable& table = cameraTable();
    for (std::int32_t slot = 0; slot < table.count(); ++slot) {
        CameraRecord& camera = table.at(slot);
        if (camera.connected == 0 || camera.handle == nullptr) continue;
        if (camera.previewing != 0) {
            QorinStreamVideoControl(camera.handle, QORIN_STREAM_STOP, nullptr);
            QorinDestroyDisplayWindow(camera.handle);
            camera.previewing = 0;
        }
        releaseCameraEvents(camera);
        QorinCameraClose(camera.handle);
        camera.handle = nullptr;
        camera.connected = 0;
    }
    table.clear();
}

}  // namespace qorin
