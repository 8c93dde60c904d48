// array_slabs.h - the [rows, columns, 3, N] result of a multi-frame capture, one frame to a slab.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "acquisition/captured_frame.h"
#include "acquisition/frame_buffer.h"
#include "gateway/results.h"
#include "kernels/frame_copy.h"
#include "sdk/qorinapi.h"
#include "mex.h"

namespace qorin {

inline constexpr const char* kArrayFailed = "An error occured while creating the Matlab array.";

// Slab `index` of a [rows, columns, 3, ...] array of `sampleBytes`-byte samples.
struct ArraySlab {
    void* data = nullptr;  // first sample of the array
    std::size_t rows = 0;
    unsigned sampleBytes = 1;
    std::size_t index = 0;
};

// Where raw frame `index` of a multi-frame capture waits for its conversion: in the blue plane
// of its own slab of the result at `slabs`, where its picture does not yet need the room.
std::uint8_t* rawFrameInSlab(void* slabs, const FrameGeometry& geometry, std::size_t index);

// Copies a frame into its slab: a colour sensor's built picture, or a monochrome sensor's
// raw frame, each sample into all three planes, through the 16-bit rule that
// buildRgbPicture applies for the frame's own sample width and flags.  The buffer copied
// holds samples of the slab's width.  A picture built in the slab itself is arranged there,
// with the frame's raw buffer as work memory.
void copyRgbSlab(const CapturedFrame& frame, const ArraySlab& slab, Orientation orientation);

// Whether the colour pictures of `frames` frames are built in their slabs of the result and
// arranged there, the raw frame's buffer lending its memory, rather than built in a picture
// buffer and copied.  The buffer is faster (a copy, where the arrangement costs about two
// passes) but costs three raw frames beside the result: it is used only where that stays
// within one raw frame and a tenth of the result, from seven frames on.
bool picturesInPlace(const FrameGeometry& geometry, std::size_t frames);

// The pictures of a multi-frame capture whose raw frames wait in the blue planes of their own
// slabs, one at a time, each in its slab before the next frame's turn: built in a picture
// buffer and copied, or built in the slab itself (picturesInPlace), the frame then moved into
// work memory of one raw frame that lends itself to the arrangement there.  A monochrome
// frame's samples are copied within their slab.
class SlabFiller {
public:
    // `slabs` is the first sample of the [rows, columns, 3, frames] result, or null when it
    // could not be had: the pictures are then built in the buffer and not copied.  Without
    // `colourPictures` no picture is built, and the picture buffer, allocated so that the
    // capture fails for lack of memory as a colour one would, is given back at once.  Neither
    // buffer to be had raises `failMessage`.
    SlabFiller(void* slabs, const FrameGeometry& geometry, std::size_t frames, bool colourPictures,
               const char* failMessage);
    // Frame `index` into its slab; `params` are a colour frame's conversion parameters.
    void fill(QorinHandle handle, CapturedFrame& frame, std::size_t index, ConversionParams& params,
              Orientation orientation);
    // Gives the picture buffer and the work memory back.
    void release() {
        picture_.release();
        work_.release();
    }

private:
    void* slabs_;
    bool inSlabs_;
    FrameBuffer picture_;
    FrameBuffer work_;
};

// A result array created ahead of its step, its elements unwritten and its memory readied at
// once (its slabs receive raw frames): null when it cannot be had (the command then creates
// it, and reports the failure, at its usual step).
ArrayPtr tryImageArray(std::initializer_list<std::size_t> dimensions, mxClassID classId);

// The MATLAB class of an array of the format's samples.
mxClassID arrayClass(const PixelFormat& format);

}  // namespace qorin
