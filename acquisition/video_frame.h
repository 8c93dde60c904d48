// video_frame.h - the opening the video grabs and the save command share: one frame of a running preview.
#pragma once

#include <cstdint>

#include "acquisition/captured_frame.h"
#include "camera/camera_table.h"
#include "gateway/results.h"
#include "sdk/qorinapi.h"

namespace qorin {

// One frame taken from a running preview, in the video format.
struct VideoFrame : CapturedFrame {
    CameraRecord* camera = nullptr;
};

// Connection and preview checks, the video format and the colour format, each with its
// message: the frame described, before its result array is reserved (see ReservedArray).
VideoFrame describeVideoFrame(std::int32_t cameraNumber);

// Once the result is reserved: the raw frame buffer and QorinTakeVideo, each with its message.
void takeVideoFrame(VideoFrame& frame);

// describeVideoFrame, a [rows, columns] `plane` reserved, if given, then takeVideoFrame.
VideoFrame grabVideoFrame(std::int32_t cameraNumber, ReservedArray* plane = nullptr);

// The RGB picture of a grabbed frame, also of a monochrome sensor's, into frame.picture ("Not
// enough memory to make rgb frame buffer.", QORIN_PROP_CORRECTION_MATRIX and
// QORIN_PROP_DEMOSAIC_METHOD, then buildRgbPicture); the conversion parameters are returned.
ConversionParams buildVideoPicture(VideoFrame& frame);

}  // namespace qorin
