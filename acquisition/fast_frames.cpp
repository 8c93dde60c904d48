// fast_frames.cpp - code 87: a burst of N frames in the SDK's fast-frame mode, as one [rows, columns, 3, N] array.
#include <cstddef>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "acquisition/pipeline.h"
#include "camera/session.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"
#include "platform/mex_host.h"

namespace qorin {
namespace {

constexpr const char* kTableFailed = "Error creating buffer. Not enough memory.";
constexpr const char* kBufferFailed = "Out of memory. Unable to create buffer.";
constexpr const char* kEnableFailed = "Error enabling fast frames.";
constexpr const char* kPictureFailed = "Error allocating picture buffer. Not enough memory.";

// A table of `count` frames without buffers, or null when it cannot be had.
std::unique_ptr<CapturedFrame[]> frameTable(std::size_t count) {
    return std::unique_ptr<CapturedFrame[]>(new (std::nothrow) CapturedFrame[count]);
}

// True when `count` buffers of `bytes` each could exist together in one address space.
bool fitsAddressSpace(std::size_t count, std::uint64_t bytes) {
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max());
    return bytes == 0 || count <= limit / bytes;
}

// True when a burst of `count` raw frames of `bytes` each, with their pictures (three
// times as large), fits the machine's memory; an unknown memory size does not refuse.
bool fitsMemory(std::size_t count, std::uint64_t bytes) {
    const std::uint64_t memory = host::physicalMemoryBytes();
    return memory == 0 || bytes == 0 || count <= memory / 4 / bytes;
}

// A camera's fast-frame mode, left again on every way out of the burst: left on, it would
// hold the camera for every later command.  A preview stopped for the burst is not the
// mode's to restart.
class FastFrameMode {
public:
    FastFrameMode(QorinHandle handle, SnapshotSettings& settings) {
        if (QorinEnableFastFrames(handle, &settings) == 0) failSdk(kEnableFailed);
        handle_ = handle;
    }
    FastFrameMode(const FastFrameMode&) = delete;
    FastFrameMode& operator=(const FastFrameMode&) = delete;
    ~FastFrameMode() {
        if (handle_ != nullptr) QorinDisableFastFrames(handle_);
    }
    // Leaves the mode; false when the SDK refuses, which is then not asked again.
    bool disable() { return QorinDisableFastFrames(std::exchange(handle_, nullptr)) != 0; }

private:
    QorinHandle handle_ = nullptr;
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

    // Every raw buffer exists before fast-frame mode is enabled, so the capture loop makes
    // nothing but SDK calls.
    // A burst that could never fit is refused before its table is built and touched.
    if (!fitsAddressSpace(n, g.rawBytes) || !fitsMemory(n, g.rawBytes)) failMemory(kBufferFailed);
    std::unique_ptr<CapturedFrame[]> frames = frameTable(n);
    if (!frames) failMemory(kTableFailed);
    for (std::size_t f = 0; f < n; ++f) {
        frames[f] = burst.sameKind();
        if (!frames[f].raw.allocate(g.rawBytes)) failMemory(kBufferFailed);
    }

    FastFrameMode mode(camera.handle, camera.snapshot);
    for (std::size_t f = 0; f < n; ++f) {
        if (QorinTakeFastFrame(camera.handle, frames[f].raw.data()) == 0) failSdk("Error taking fast frames.");
    }
    if (!mode.disable()) failSdk(kEnableFailed);

    if (!fitsAddressSpace(n, g.pictureBytes)) failMemory(kPictureFailed);
    for (std::size_t f = 0; f < n; ++f) {
        if (!frames[f].picture.allocate(g.pictureBytes)) failMemory(kPictureFailed);
    }
    if (burst.monochrome()) {
        // The raw frames go straight into the array: the pictures were only an allocation
        // check, and their pages were never touched.
        for (std::size_t f = 0; f < n; ++f) frames[f].picture.release();
    } else {
        ConversionParams params{};
        params.demosaicMethod = 3;
        params.correctionMatrix = 1;
        for (std::size_t f = 0; f < n; ++f) {
            buildRgbPicture(camera.handle, frames[f], frames[f].picture.data(), params);
        }
        for (std::size_t f = 0; f < n; ++f) frames[f].raw.release();
    }

    ArrayPtr array = makeNumericArray({g.rows, g.columns, 3, n}, arrayClass(*burst.format), kArrayFailed, true);
    const Orientation orientation = readOrientation(camera.handle, burst.colourFormat);
    void* data = mxGetData(array.get());
    for (std::size_t f = 0; f < n; ++f) {
        copyRgbSlab(frames[f], ArraySlab{data, g.rows, g.sampleBytes, f}, orientation);
        // Each frame's memory goes as soon as it is in the array.
        frames[f].picture.release();
        frames[f].raw.release();
    }
    frames.reset();
    resumePreview(camera);
    return array;
}

}  // namespace qorin
