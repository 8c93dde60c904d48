// frame_result.h - the [rows, columns, 3] result of a single frame, in steps that come only in their order.
#pragma once

#include <utility>

#include "acquisition/captured_frame.h"
#include "camera/camera_table.h"
#include "gateway/results.h"
#include "sdk/qorinapi.h"

namespace qorin {

// A capture's result array is reserved (ReservedArray) once its frames are described, before
// any buffer or camera mode: a call MATLAB ends there leaves nothing behind but a preview
// stopped for it, which stays stopped as after any failed capture.  Each step below is a
// method of the object the step before returns, so the steps cannot be taken out of order.
// A colour picture that can be arranged in place is built in the array itself: beyond its
// result the frame then holds its raw buffer only.

class PlacedPicture;

// Step one: the array reserved for a frame described, none of its buffers allocated yet.
class ReservedPicture {
public:
    explicit ReservedPicture(const CapturedFrame& frame);
    // Step two, once the raw frame has its buffer: the array readied when the picture is to
    // be built there (created now if it was left to this step), the picture buffer allocated
    // (allocatePictureBuffer, `failMessage`) and given back when the array takes its place.
    PlacedPicture placePicture(CapturedFrame& frame, const char* failMessage) &&;

private:
    ReservedArray array_;
};

class PlacedPicture {
public:
    // Step three, once the raw frame holds its samples: the conversion parameters, the picture
    // built (the raw buffer given back unless it is the arrangement's work memory), the array
    // claimed (a creation that failed is reported here, where the array was always created),
    // the flipping, the copy, and the frame's buffers given back.
    ArrayPtr finish(QorinHandle handle, CapturedFrame& frame) &&;

private:
    friend class ReservedPicture;
    PlacedPicture(ReservedArray array, bool inArray) : array_(std::move(array)), inArray_(inArray) {}

    ReservedArray array_;
    bool inArray_;  // frame.picture is the array
};

inline constexpr const char* kSnapshotRawFailed = "Not enough memory to make raw buffer.";

// After suspendPreview: colour format (QORIN_PROP_COLOUR_FORMAT), refreshSnapshotFormat and the geometry.
CapturedFrame describeSnapshot(CameraRecord& camera);

// QorinTakeSnapshot with the camera's SnapshotSettings into frame.raw.  Error 19 raises
// "Snapshot timed out."; any other error raises `errorFormat` formatted with the error
// number (%u) and the camera number (%d).
void captureSnapshot(CameraRecord& camera, CapturedFrame& frame, const char* errorFormat);

}  // namespace qorin
