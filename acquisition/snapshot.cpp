// snapshot.cpp - TAKE_SNAPSHOT: one still image with the camera's snapshot settings, as an RGB array.
#include "acquisition/frame_result.h"
#include "camera/session.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"

namespace qorin {

ArrayPtr handleTakeSnapshot(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not take snapshot. Camera %d is not connected.");
    suspendPreview(camera);
    CapturedFrame frame = describeSnapshot(camera);
    ReservedPicture reserved(frame);
    frame.raw = allocateFrameBuffer(frame.geometry.rawBytes, kSnapshotRawFailed);
    PlacedPicture placed = std::move(reserved).placePicture(frame, "Not enough memory to make picture buffer.");
    // The message speaks of a fast frame; callers may match on it, so it stays.
    captureSnapshot(camera, frame, "Error %u occured while attempting to take a fast frame with camera %d.");
    ArrayPtr array = std::move(placed).finish(camera.handle, frame);
    resumePreview(camera);
    return array;
}

}  // namespace qorin
