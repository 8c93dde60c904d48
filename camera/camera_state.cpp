// camera_state.cpp - the state writer and the camera-number, connection and state checks.
#include "camera/camera_state.h"

#include "camera/camera_table.h"
#include "gateway/errors.h"

namespace qorin {

void setState(CameraRecord& camera, CameraState state) { camera.state_ = state; }

void requireAttached(std::int32_t cameraNumber) {
    if (QorinNumCameras() < cameraNumber) fail(ErrorKind::NotConnected, "Not enough cameras connected.");
}

CameraRecord* findCamera(std::int32_t cameraNumber) {
    if (cameraNumber < 1) fail(ErrorKind::NotConnected, "Invalid camera number.");
    requireAttached(cameraNumber);
    CameraTable& table = cameraTable();
    const std::int32_t slot = table.findCameraSlot(cameraNumber);
    return slot == -1 ? nullptr : &table.at(slot);
}

CameraRecord& connectedCamera(std::int32_t cameraNumber, const char* notConnectedFormat) {
    CameraRecord* camera = findCamera(cameraNumber);
    if (camera == nullptr) fail(ErrorKind::NotConnected, "Camera ID not found.");
    if (!camera->connected()) {
QORIN_FIXED_FORMAT_BEGIN
        fail(ErrorKind::NotConnected, formatText(notConnectedFormat, cameraNumber));
QORIN_FIXED_FORMAT_END
    }
    return *camera;
}

void requireState(const CameraRecord& camera, CameraState state, const char* messageFormat) {
    if (state == CameraState::Previewing ? camera.previewing() : camera.state() == state) return;
QORIN_FIXED_FORMAT_BEGIN
    failState(formatText(messageFormat, camera.cameraNumber));
QORIN_FIXED_FORMAT_END
}

}  // namespace qorin
