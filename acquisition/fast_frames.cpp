// fast_frames.cpp - TAKE_FAST_FRAMES: a burst of N frames in the SDK's fast-frame mode, as one [rows, columns, 3, N] array.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "acquisition/array_slabs.h"
#include "acquisition/capture_modes.h"
#include "acquisition/frame_readings.h"
#include "acquisition/sdk_conversions.h"
#include "camera/session.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"
#include "platform/memory.h"
#include "platform/mex_host.h"

namespace qorin {
namespace {

constexpr const char* kTableFailed = "Error creating buffer. Not enough memory.";
constexpr const char* kBufferFailed = "Out of memory. Unable to create buffer.";
constexpr const char* kPictureFailed = "Error allocating picture buffer. Not enough memory.";

// A burst reads no conversion property (QORIN_PROP_DEMOSAIC_METHOD, QORIN_PROP_CORRECTION_MATRIX):
// its colour frames are always converted with the last of the demosaic methods offered (0 to 3)
// and with the colour-correction matrix switched on (1; 0 is off).
constexpr std::uint32_t kBurstDemosaicMethod = 3;
constexpr std::uint32_t kBurstCorrectionMatrixOn = 1;

// True when `count` buffers of `bytes` each could exist together in one address space.
bool fitsAddressSpace(std::size_t count, std::uint64_t bytes) {
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max());
    return bytes == 0 || count <= limit / bytes;
}

// True when a burst of `count` raw frames of `bytes` each fits the machine's memory with
// room to spare: its result (three times the frames) within three quarters of it.  An
// unknown memory size does not refuse.
bool fitsMemory(std::size_t count, std::uint64_t bytes) {
    const std::uint64_t memory = platform::physicalMemoryBytes();
    return memory == 0 || bytes == 0 || count <= memory / 4 / bytes;
}

// Where the raw frames of a burst wait for their conversion: in the blue plane of their own
// slab of the result array, or in buffers of their own when there is no array yet.
class BurstFrames {
public:
    BurstFrames(const CapturedFrame& burst, std::size_t count, mxArray* array) : burst_(burst.sameKind()) {
        if (array != nullptr) {
            slabs_ = mxGetData(array);
            return;
        }
        frames_.reset(new (std::nothrow) CapturedFrame[count]);
        if (!frames_) failMemory(kTableFailed);
        for (std::size_t f = 0; f < count; ++f) {
            frames_[f] = burst.sameKind();
            if (!frames_[f].raw.allocate(burst.geometry.rawBytes)) failMemory(kBufferFailed);
        }
    }

    void* raw(std::size_t f) { return frame(f).raw.data(); }

    // Frame f: its own, or the burst's description viewing the frame where it lies in its slab.
    CapturedFrame& frame(std::size_t f) {
        if (frames_) return frames_[f];
        burst_.raw.view(rawFrameInSlab(slabs_, burst_.geometry, f), burst_.geometry.rawBytes);
        return burst_;
    }

    // A frame of its own is released once converted.
    void converted(std::size_t f) {
        if (frames_) frames_[f].raw.release();
    }

private:
    CapturedFrame burst_;
    void* slabs_ = nullptr;
    std::unique_ptr<CapturedFrame[]> frames_;
};

}  // namespace

ArrayPtr handleTakeFastFrames(const Args& args) {
    const std::int32_t frameCount = args.integer(2);
    if (frameCount <= 0) failValue("Number of frames must be 1 or more.");
    const auto n = static_cast<std::size_t>(frameCount);
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not take fast frames. Camera %d is not connected.");
    // The flags of this read govern the 16-bit picture rule: no conversion property is read.
    const PropertyReading colourFormat = readColourFormat(camera.handle);
    suspendPreview(camera);
    refreshSnapshotFormat(camera);
    // Describes every frame of the burst; its own buffers stay empty.
    const CapturedFrame burst = describeFrame(camera.snapshot.format, colourFormat);
    const FrameGeometry& g = burst.geometry;

    // The result array comes first, its pages untouched, and each raw frame waits for its
    // conversion in its own slab: a burst then holds little more than its result.  Without
    // the array the frames get buffers of their own, and the failed creation is reported at
    // its usual step, after the conversions.
    // A burst that could never fit is refused before its table is built and touched.
    if (!fitsAddressSpace(n, g.rawBytes) || !fitsMemory(n, g.rawBytes)) failMemory(kBufferFailed);
    const mxClassID arrayClassId = arrayClass(*burst.format);
    ArrayPtr array;
    if (fitsAddressSpace(n, g.pictureBytes)) array = tryImageArray({g.rows, g.columns, 3, n}, arrayClassId);
    BurstFrames frames(burst, n, array.get());

    FastFrameMode mode(camera.handle, camera.snapshot);
    for (std::size_t f = 0; f < n; ++f) {
        if (QorinTakeFastFrame(camera.handle, frames.raw(f)) == 0) failSdk("Error taking fast frames.");
    }
    if (!mode.disable()) failSdk(FastFrameMode::kEnableFailed);

    if (!fitsAddressSpace(n, g.pictureBytes)) failMemory(kPictureFailed);
    void* slabs = array ? mxGetData(array.get()) : nullptr;
    SlabFiller filler(slabs, g, n, !burst.monochrome(), kPictureFailed);

    // A colour sensor's rows are reversed whatever the flipping; its columns are reversed,
    // if at all, once the flipping has been read after the last conversion.
    Orientation picturesOrientation;
    picturesOrientation.rowsReversed = true;
    if (!burst.monochrome()) {
        ConversionParams params{};
        params.demosaicMethod = kBurstDemosaicMethod;
        params.correctionMatrix = kBurstCorrectionMatrixOn;
        for (std::size_t f = 0; f < n; ++f) {
            filler.fill(camera.handle, frames.frame(f), f, params, picturesOrientation);
            frames.converted(f);
        }
        filler.release();
    }

    // The creation above was the command's one attempt; its failure is reported here.
    if (!array) failMemory(kArrayFailed);
    const Orientation orientation = readOrientation(camera.handle, burst.colourFormat);
    if (burst.monochrome()) {
        ConversionParams none{};
        for (std::size_t f = 0; f < n; ++f) filler.fill(camera.handle, frames.frame(f), f, none, orientation);
    } else if (orientation.colsReversed) {
        reverseColumns(slabs, g.rows, g.columns, g.sampleBytes, 3 * n);
    }
    resumePreview(camera);
    return array;
}

}  // namespace qorin
