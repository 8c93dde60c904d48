// camera_state.cpp - the connection check and the state gate every command's camera passes.
#include "camera/camera_state.h"

#include <string>

#include "camera/camera_table.h"
#include "gateway/errors.h"

namespace qorin {

CameraRecord& connectedCamera(std::int32_t cameraNumber, const char* notConnectedFormat) {
QORIN_FIXED_FORMAT_BEGIN
    std::string message = formatText(notConnectedFormat, cameraNumber);
QORIN_FIXED_FORMAT_END
    if (cameraNumber < 1) fail(ErrorKind::NotConnected, "Invalid camera number.");
    if (QorinNumCameras() < cameraNumber) fail(ErrorKind::NotConnected, "Not enough cameras connected.");
    CameraTable& table = cameraTable();
    const std::int32_t slot = table.findCameraSlot(cameraNumber);
    if (slot == -1) fail(ErrorKind::NotConnected, "Camera ID not found.");
    CameraRecord& camera = table.at(slot);
    if (!camera.connected()) fail(ErrorKind::NotConnected, std::move(message));
    return camera;
}

void requireState(const CameraRecord& camera, CameraState state, const char* messageFormat) {
    if (camera.state == state) return;
QORIN_FIXED_FORMAT_BEGIN
    failState(formatText(messageFormat, camera.cameraNumber));
QORIN_FIXED_FORMAT_END
}

}  // namespace qorin
