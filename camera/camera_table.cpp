// camera_table.cpp - slot lookups, closing a camera and the orderly shutdown of all cameras.
#include "camera/camera_table.h"

#include <cstdio>

#include "camera/recording_gate.h"
#include "platform/mex_host.h"

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
    // A turn MATLAB's thread was left holding would keep a worker from its end for good.
    giveBackHostTurns();
    // Every worker is asked first and then waited for, so that cameras waiting for a trigger
    // cost one time-out in all, and no camera is closed under another's recording.
    bool wasRunning[kMaxCameraRecords] = {};
    for (std::int32_t slot = 0; slot < table.count(); ++slot) {
        BackgroundRecording* recording = table.at(slot).recorder.get();
        if (recording == nullptr) continue;
        wasRunning[static_cast<std::size_t>(slot)] = recording->running();
        recording->requestStop(true);
    }
    for (std::int32_t slot = 0; slot < table.count(); ++slot) {
        CameraRecord& camera = table.at(slot);
        if (camera.recorder == nullptr) continue;
        camera.recorder->awaitEnd();
        // Frames nobody took go with the module: said, not silently.
        const std::uint64_t notTaken = camera.recorder->framesNotTaken();
        const bool running = wasRunning[static_cast<std::size_t>(slot)];
        if (running || notTaken != 0) {
            char line[128];
            std::snprintf(line, sizeof line,
                          "qorincam: unloading %s camera %d's recording; %llu frames not taken were discarded.\n",
                          running ? "stopped" : "ended", camera.cameraNumber, static_cast<unsigned long long>(notTaken));
            host::printText(line);
        }
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
