// captured_frame.h - one frame on its way from the camera into an array: its samples and what they mean.
#pragma once

#include <cstdint>

#include "acquisition/frame_buffer.h"
#include "camera/sdk_readers.h"
#include "kernels/frame_copy.h"
#include "sdk/pixel_format.h"
#include "sdk/qorinapi.h"

namespace qorin {

struct CapturedFrame {
    const PixelFormat* format = &kPixel8Bit;  // of the samples in `raw`
    FrameGeometry geometry;
    float colourFormat = 0.0f;  // QORIN_PROP_COLOUR_FORMAT
    // The word the 16-bit rule of a monochrome picture goes by: that of the last property
    // read before the picture is made (the colour format, or the conversion parameters).
    std::uint32_t monoWordFlags = 0;
    FrameBuffer raw;      // geometry.rawBytes
    FrameBuffer picture;  // geometry.pictureBytes, where a picture is built or kept

    // A monochrome sensor (colour format exactly 0.0; NaN counts as colour) needs no picture:
    // its samples go from the raw frame straight into the three planes of the array.
    bool monochrome() const { return colourFormat == 0.0f; }

    // A frame of the same description, without buffers: the next frame of a burst.
    CapturedFrame sameKind() const {
        CapturedFrame frame;
        frame.format = format;
        frame.geometry = geometry;
        frame.colourFormat = colourFormat;
        frame.monoWordFlags = monoWordFlags;
        return frame;
    }
};

// A frame of the captured `format` with the colour-format reading taken for it: its sample
// description and geometry (captureGeometry's checks), no buffers yet.
CapturedFrame describeFrame(const FrameFormat& format, const PropertyReading& colourFormat);

// The picture buffer of a capture, or the command's allocation message.  A monochrome sensor
// needs no picture (its samples go straight into the array), but the buffer is still allocated,
// so that a capture that lacks the memory fails with the same message at the same step as a
// colour one, and released at once: it comes back empty, its pages never touched.
FrameBuffer allocatePictureBuffer(const CapturedFrame& frame, const char* failMessage);

}  // namespace qorin
