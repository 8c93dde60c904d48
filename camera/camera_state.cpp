// camera_state.cpp - the state writer, the camera-number and connection checks, and the state gate.
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

HostTurn admitWhileRecording(std::optional<std::int32_t> cameraNumber, bool refused, bool rereads) {
    CameraTable& table = cameraTable();
    CameraRecord* turnOf = nullptr;
    for (std::int32_t slot = 0; slot < table.count(); ++slot) {
        CameraRecord& camera = table.at(slot);
        if (camera.recorder == nullptr || (cameraNumber && camera.cameraNumber != *cameraNumber)) continue;
        camera.recorder->settle();
        if (!camera.recording()) continue;
        if (refused) failState(formatText("Camera %d is recording. Stop the recording first.", camera.cameraNumber));
        if (cameraNumber) turnOf = &camera;
    }
    if (turnOf == nullptr) return HostTurn();
    return HostTurn(turnOf->sdkTurns, rereads ? turnOf->recorder.get() : nullptr);
}

void giveBackHostTurns() noexcept {
    CameraTable& table = cameraTable();
    for (std::int32_t slot = 0; slot < table.count(); ++slot) table.at(slot).sdkTurns.giveBackHostTurn();
}

}  // namespace qorin
