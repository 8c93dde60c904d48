// array_slabs.cpp - frames into their slabs of a multi-frame result: copied, or pictures built in place.
#include "acquisition/array_slabs.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "acquisition/sdk_conversions.h"
#include "gateway/errors.h"
#include "platform/mex_host.h"

namespace qorin {
namespace {

std::uint8_t* slabStart(const ArraySlab& slab, std::size_t columns) {
    return static_cast<std::uint8_t*>(slab.data) + slab.index * 3 * slab.rows * columns * slab.sampleBytes;
}

// A colour frame whose raw samples lie in its own slab of the result (frame.raw views them):
// they move into `work` (geometry.rawBytes), the picture is built in the slab, and `work`
// lends its memory to the arrangement there.
void buildPictureInSlab(QorinHandle handle, CapturedFrame& frame, const FrameBuffer& work, const ArraySlab& slab,
                        ConversionParams& params, Orientation orientation) {
    const FrameGeometry& g = frame.geometry;
    std::memcpy(work.data(), frame.raw.data(), static_cast<std::size_t>(g.rawBytes));
    frame.raw.view(work.data(), g.rawBytes);
    std::uint8_t* start = slabStart(slab, g.columns);
    frame.picture.view(start, g.pictureBytes);
    buildRgbPicture(handle, frame, frame.picture.data(), params);
    copyRgbSlab(frame, slab, orientation);
}

}  // namespace

std::uint8_t* rawFrameInSlab(void* slabs, const FrameGeometry& geometry, std::size_t index) {
    return static_cast<std::uint8_t*>(slabs) + static_cast<std::size_t>((3 * index + 2) * geometry.rawBytes);
}

void copyRgbSlab(const CapturedFrame& frame, const ArraySlab& slab, Orientation orientation) {
    const FrameGeometry& g = frame.geometry;
    if (frame.monochrome()) {
        // Widened 8-bit samples keep their values: the rule is the frame's, not the array's.
        copyMonoToPictureArray(frame.raw.data(), g.rows, g.columns, slab.sampleBytes,
                               monoWordRule(g.sampleBytes, frame.monoWordFlags), orientation, slab.data, slab.rows,
                               slab.index);
        return;
    }
    std::uint8_t* start = slabStart(slab, g.columns);
    if (frame.picture.data() == start) {
        // Chosen by picturesInPlace, which made sure the raw buffer holds at least the work
        // memory the arrangement needs (pictureArrangeWorkBytes): an internal error rather than
        // a picture left in the wrong layout, should that ever not hold.
        if (!arrangePictureInPlace(start, g.rows, g.columns, slab.sampleBytes, orientation, frame.raw.data(),
                                   static_cast<std::size_t>(frame.raw.size()))) {
            throw std::logic_error("too little work memory to arrange a picture in place");
        }
    } else {
        copyPictureToArray(frame.picture.data(), g.rows, g.columns, slab.sampleBytes, orientation, slab.data,
                           slab.rows, slab.index);
    }
}

bool picturesInPlace(const FrameGeometry& geometry, std::size_t frames) {
    const std::uint64_t result = geometry.pictureBytes * frames;  // the array exists: no overflow
    if (geometry.pictureBytes <= geometry.rawBytes + result / 10) return false;
    return geometry.rawBytes >= pictureArrangeWorkBytes(geometry.rows, geometry.columns, geometry.sampleBytes);
}

SlabFiller::SlabFiller(void* slabs, const FrameGeometry& geometry, std::size_t frames, bool colourPictures,
                       const char* failMessage)
    : slabs_(slabs), inSlabs_(slabs != nullptr && colourPictures && picturesInPlace(geometry, frames)) {
    if (!(inSlabs_ ? work_.allocate(geometry.rawBytes) : picture_.allocate(geometry.pictureBytes))) {
        failMemory(failMessage);
    }
    if (!colourPictures) picture_.release();  // the raw frames go straight into the array
}

void SlabFiller::fill(QorinHandle handle, CapturedFrame& frame, std::size_t index, ConversionParams& params,
                      Orientation orientation) {
    const FrameGeometry& g = frame.geometry;
    if (frame.monochrome()) {
        copyMonoWithinSlab(frame.raw.data(), g.rows, g.columns, g.sampleBytes,
                           monoWordRule(g.sampleBytes, frame.monoWordFlags), orientation, slabs_, g.rows, index);
    } else if (inSlabs_) {
        buildPictureInSlab(handle, frame, work_, ArraySlab{slabs_, g.rows, g.sampleBytes, index}, params, orientation);
    } else {
        buildRgbPicture(handle, frame, picture_.data(), params);
        if (slabs_ != nullptr) {
            copyPictureToArray(picture_.data(), g.rows, g.columns, g.sampleBytes, orientation, slabs_, g.rows, index);
        }
    }
}

ArrayPtr tryImageArray(std::initializer_list<std::size_t> dimensions, mxClassID classId) {
    return ArrayPtr(host::createUninitNumericArray(dimensions.size(), dimensions.begin(), classId));
}

mxClassID arrayClass(const PixelFormat& format) {
    return format.sampleClass == SampleClass::kUint8 ? mxUINT8_CLASS : mxUINT16_CLASS;
}

}  // namespace qorin
