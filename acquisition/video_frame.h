// video_frame.h - the opening the video grabs and the save command share: one frame of a running preview.
#pragma once

#include <cstdint>

#include "acquisition/pipeline.h"

namespace qorin {

// One frame taken from a running preview, in the video format (left in the scratch format).
struct VideoFrame {
    CameraRecord* camera = nullptr;
    float colourFormat = 0.0f;
    std::uint32_t flags = 0;  // the command's shared property flags word
    std::uint32_t pixelFormat = 0;
    FrameGeometry geometry;
    FrameBuffer raw;
};

// Connection and preview checks, the video format, the colour format, the raw frame buffer
// and QorinTakeVideo, each with its message.
VideoFrame grabVideoFrame(std::int32_t cameraNumber);

// The RGB picture of a grabbed frame ("Not enough memory to make rgb frame buffer.",
// properties 65 and 64, then buildRgbPicture); `params` receives the conversion parameters.
// Without `monoPicture` a monochrome sensor's picture is neither kept nor built (see
// allocatePictureBuffer): its raw frame is copied into the array instead.
FrameBuffer buildVideoPicture(VideoFrame& frame, ConversionParams& params, bool monoPicture);

}  // namespace qorin
