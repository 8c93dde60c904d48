// recording_gate.cpp - the gate of the numbered commands while cameras record, and the turns MATLAB's thread was left holding.
#include "camera/recording_gate.h"

#include "camera/camera_table.h"
#include "gateway/errors.h"

namespace qorin {

HostTurn admitWhileRecording(std::optional<std::int32_t> cameraNumber, bool refused, bool rereads) {
    CameraTable& table = cameraTable();
    CameraRecord* turnOf = nullptr;
    for (std::int32_t slot = 0; slot < table.count(); ++slot) {
        CameraRecord& camera = table.at(slot);
        if (camera.recorder == nullptr || (cameraNumber && camera.cameraNumber != *cameraNumber)) continue;
        camera.recorder->syncCameraRecord();
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
