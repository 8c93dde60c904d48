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

// A table of `count` empty buffers, or null when it cannot be had.
std::unique_ptr<FrameBuffer[]> bufferTable(std::size_t count) {
    return std::unique_ptr<FrameBuffer[]>(new (std::nothrow) FrameBuffer[count]);
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
    const std::int32_t frames = args.integer(2);
    if (frames <= 0) failValue("Number of frames must be 1 or more.");
    const auto n = static_cast<std::size_t>(frames);
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not take fast frames. Camera %d is not connected.");
    // The flags of this read govern the 16-bit picture rule: no conversion property is read.
    std::uint32_t flags = 0;
    const float colourFormat = readColourFormat(camera.handle, flags);
    suspendPreview(camera);
    refreshSnapshotFormat(camera);
    const FrameGeometry g = captureGeometry(camera.snapshot.format);
    const std::uint32_t pixelFormat = camera.snapshot.format.pixelFormat;

    // Every raw buffer exists before fast-frame mode is enabled, so the capture loop makes
    // nothing but SDK calls.
    // A burst that could never fit is refused before its table is built and touched.
    if (!fitsAddressSpace(n, g.rawBytes) || !fitsMemory(n, g.rawBytes)) failMemory(kBufferFailed);
    std::unique_ptr<FrameBuffer[]> raws = bufferTable(n);
    if (!raws) failMemory(kTableFailed);
    for (std::size_t f = 0; f < n; ++f) {
        if (!raws[f].allocate(g.rawBytes)) failMemory(kBufferFailed);
    }

    FastFrameMode mode(camera.handle, camera.snapshot);
    for (std::size_t f = 0; f < n; ++f) {
        if (QorinTakeFastFrame(camera.handle, raws[f].data()) == 0) failSdk("Error taking fast frames.");
    }
    if (!mode.disable()) failSdk(kEnableFailed);

    if (!fitsAddressSpace(n, g.pictureBytes)) failMemory(kPictureFailed);
    std::unique_ptr<FrameBuffer[]> pictures = bufferTable(n);
    if (!pictures) failMemory(kPictureFailed);
    for (std::size_t f = 0; f < n; ++f) {
        if (!pictures[f].allocate(g.pictureBytes)) failMemory(kPictureFailed);
    }
    if (monochromeSensor(colourFormat)) {
        // The raw frames go straight into the array: the pictures were only an allocation
        // check, and their pages were never touched.
        for (std::size_t f = 0; f < n; ++f) pictures[f].release();
    } else {
        ConversionParams params{};
        params.demosaicMethod = 3;
        params.correctionMatrix = 1;
        for (std::size_t f = 0; f < n; ++f) {
            buildRgbPicture(camera.handle, raws[f].data(), pictures[f].data(), g, pixelFormat, colourFormat, flags,
                            params);
        }
        raws.reset();
    }

    ArrayPtr array = makeNumericArray({g.rows, g.columns, 3, n}, imageClass(pixelFormat), kArrayFailed, true);
    // The flipping read overwrites the word the 16-bit rule goes by.
    const std::uint32_t pictureFlags = flags;
    const Orientation orientation = readOrientation(camera.handle, flags, colourFormat);
    void* data = mxGetData(array.get());
    const FrameBuffer released;
    for (std::size_t f = 0; f < n; ++f) {
        copyRgbSlab(pictures[f], raws ? raws[f] : released, colourFormat, pictureFlags, g, g.sampleBytes, orientation, data,
                    g.rows, f);
        // Each frame's memory goes as soon as it is in the array.
        pictures[f].release();
        if (raws) raws[f].release();
    }
    pictures.reset();
    raws.reset();
    resumePreview(camera);
    return array;
}

}  // namespace qorin
