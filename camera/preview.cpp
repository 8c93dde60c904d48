// preview.cpp - live preview: start, stop, resize, adjust, and the suspend/resume steps.
#include "camera/sdk_readers.h"
#include "camera/session.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"

namespace qorin {
namespace {

constexpr const char* kStopFailed = "An error occured while stopping the video preview.\n";
constexpr const char* kCloseFailed = "An error occured while closing the preview windows.\n";
constexpr const char* kOpenFailed = "An error occured while opening the video preview.\n";

}  // namespace

void startPreview(std::int32_t cameraNumber, std::int32_t width, std::int32_t height) {
    CameraRecord* found = findCamera(cameraNumber);
    if (found == nullptr || !found->connected()) {
        connectCamera(cameraNumber);
        found = &cameraTable().at(cameraTable().findCameraSlot(cameraNumber));
    }
    CameraRecord& camera = *found;
    requireState(camera, CameraState::Idle,
                 "Camera may already be previewing. Stop the preview before calling this function.\n");
    FormatReading current = readFormat(camera.handle, kFrameFormatFailed);
    if (QorinSetFormat(camera.handle, &current.format, current.frameRate) == 0) {
        failSdk("An error occured while setting the frame size.\n");
    }
    if (QorinCreateDisplayWindow(camera.handle, nullptr, static_cast<std::uint32_t>(platform::kDisplayWindowStyle), 0, 0,
                                 width, height, nullptr, nullptr) == 0) {
        failSdk("A display window could not be created.");
    }
    if (QorinStreamVideoControl(camera.handle, QORIN_STREAM_START, nullptr) == 0) {
        // Without the Previewing state no stop would ever destroy this window: it would stay
        // open, orphaned, until the camera is closed, and the next start would make another.
        QorinDestroyDisplayWindow(camera.handle);
        failSdk(kOpenFailed);
    }
    setState(camera, CameraState::Previewing);
}

void stopPreview(std::int32_t cameraNumber) {
    CameraRecord& camera = connectedCamera(cameraNumber, "Camera %d already disconnected.");
    requireState(camera, CameraState::Previewing, "Preview for camera %d is already closed.");
    // The preview ends whatever the SDK answers: one that failed to stop cleanly can still be
    // started again.
    setState(camera, CameraState::Idle);
    if (QorinStreamVideoControl(camera.handle, QORIN_STREAM_STOP, nullptr) == 0) failSdk(kStopFailed);
    if (QorinDestroyDisplayWindow(camera.handle) == 0) failSdk(kCloseFailed);
}

void suspendPreview(CameraRecord& camera) {
    if (!camera.previewing()) return;
    // A suspended preview is stopped again: its window may have outlived a failed destroy.
    if (QorinStreamVideoControl(camera.handle, QORIN_STREAM_STOP, nullptr) == 0) failSdk(kStopFailed);
    setState(camera, CameraState::PreviewSuspended);
    if (QorinDestroyDisplayWindow(camera.handle) == 0) failSdk(kCloseFailed);
}

void resumePreview(CameraRecord& camera) {
    if (!camera.previewing()) return;
    if (QorinStreamVideoControl(camera.handle, QORIN_STREAM_START, nullptr) == 0) failSdk(kOpenFailed);
    setState(camera, CameraState::Previewing);
}

ArrayPtr handleStartPreview(const Args& args) {
    startPreview(args.integer(1), 0, 0);
    return nullptr;
}

ArrayPtr handleStopPreview(const Args& args) {
    stopPreview(args.integer(1));
    return nullptr;
}

ArrayPtr handleSetPreviewSize(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set preview size. Camera %d is not connected.");
    requireState(camera, CameraState::Previewing, "Could not set preview size. Camera %d is not previewing.");
    const std::int32_t cameraNumber = camera.cameraNumber;
    stopPreview(cameraNumber);
    startPreview(cameraNumber, args.integer(2), args.integer(3));
    return nullptr;
}

ArrayPtr handleAdjustDisplayWindow(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could adjust display window. Camera %d is not connected.");
    requireState(camera, CameraState::Previewing, "Could not adjust display window. Camera %d is not previewing.");
    if (QorinAdjustDisplayWindow(camera.handle, nullptr, args.integer(2), args.integer(3), args.integer(4),
                                 args.integer(5)) == 0) {
        failSdk("Error encountered while adjusting display window.");
    }
    return nullptr;
}

}  // namespace qorin
