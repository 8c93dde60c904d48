// video_frame.h - the opening the video grabs and the save command share: one frame of a running preview.
#pragma once

#include <cstdint>

#include "acquisition/pipeline.h"

namespace qorin {

// One frame taken from a running preview, in the video format.
struct VideoFrame : CapturedFrame {
    CameraRecord* camera = nullptr;
};

// Connection and preview checks, the video format, the colour format, the result array (a
// [rows, columns] `plane`, or a `picture`, reserved before any buffer: see ReservedArray),
// the raw frame buffer and QorinTakeVideo, each with its message.
VideoFrame grabVideoFrame(std::int32_t cameraNumber, ReservedArray* plane = nullptr, FrameResult* picture = nullptr);

// The RGB picture of a grabbed frame into frame.picture ("Not enough memory to make rgb
// frame buffer.", properties 65 and 64, then buildRgbPicture); `params` receives the
// conversion parameters.  Without `monoPicture` a monochrome sensor's picture is neither
// kept nor built (see allocatePictureBuffer): its raw frame is copied into the array instead.
// With a `result` (reserved by grabVideoFrame), the picture is built in the result array when
// it can be arranged there.
void buildVideoPicture(VideoFrame& frame, ConversionParams& params, bool monoPicture, FrameResult* result = nullptr);

}  // namespace qorin
