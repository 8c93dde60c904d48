// session.h - opening and closing cameras, and the preview steps other commands share.
#pragma once

#include <cstdint>

#include "camera/camera_table.h"

namespace qorin {

void connectCamera(std::int32_t cameraNumber);
void disconnectCamera(std::int32_t cameraNumber);

void startPreview(std::int32_t cameraNumber, std::int32_t width, std::int32_t height);
void stopPreview(std::int32_t cameraNumber);

// Around a format change or a still capture of a previewing camera: stop the stream and
// destroy the window before (PreviewSuspended once the stream stopped), restart the stream
// (without a window) after (Previewing once it runs).  Both do nothing for a camera that is
// not previewing; a failure in between leaves the preview suspended.
void suspendPreview(CameraRecord& camera);
void resumePreview(CameraRecord& camera);

}  // namespace qorin
