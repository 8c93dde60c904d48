// pipeline.cpp - format reads, property reads, buffers and picture building shared by the capture commands.
#include "acquisition/pipeline.h"

#include <cstddef>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "gateway/errors.h"
#include "gateway/truncation.h"
#include "platform/mex_host.h"

namespace qorin {

bool FrameBuffer::allocate(std::uint64_t bytes) noexcept {
    release();
    // Larger than any object the platform can address: refuse before new[] sees it.
    if (bytes > static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max())) return false;
    // At least one byte, so that an empty frame still has a buffer the SDK can be given.
    const auto count = static_cast<std::size_t>(bytes == 0 ? 1 : bytes);
    data_ = new (std::nothrow) std::uint8_t[count];
    if (data_ == nullptr) return false;
    owned_ = true;
    size_ = bytes;
    return true;
}

FrameBuffer allocateFrameBuffer(std::uint64_t bytes, const char* failMessage) {
    FrameBuffer buffer;
    if (!buffer.allocate(bytes)) failMemory(failMessage);
    return buffer;
}

PropertyReading readColourFormat(QorinHandle handle) {
    return readProperty(handle, QORIN_PROP_COLOUR_FORMAT, kColourFormatFailed);
}

Orientation readOrientation(QorinHandle handle, float colourFormat) {
    const float flipping = readProperty(handle, QORIN_PROP_FLIPPING, "Error getting flipping property.").value;
    return frameOrientation(flipping, colourFormat);
}

FrameFormat readVideoFormat(const CameraRecord& camera) {
    const FrameFormat format = readFormat(camera.handle, kFrameFormatFailed).format;
    // A zero factor would divide by zero in the geometry: such a format is as good as unread.
    if (format.xBinSub == 0 || format.yBinSub == 0) failSdk(kFrameFormatFailed);
    if (format.pixelFormat == QORIN_PIXEL_YUV422) failState("YUV422 mode is not supported.");
    return format;
}

void refreshSnapshotFormat(CameraRecord& camera) {
    const FrameFormat video = readFormat(camera.handle, kFrameFormatFailed).format;
    if (video.xBinSub == 0 || video.yBinSub == 0) failSdk(kFrameFormatFailed);
    FrameFormat& snapshot = camera.snapshot.format;
    snapshot.xOffset = video.xOffset;
    snapshot.yOffset = video.yOffset;
    snapshot.width = video.width;
    snapshot.height = video.height;
    snapshot.xBinSub = video.xBinSub;
    snapshot.yBinSub = video.yBinSub;
    snapshot.xFlags = video.xFlags;
    snapshot.yFlags = video.yFlags;
}

FrameGeometry captureGeometry(const FrameFormat& format) {
    FrameGeometry geometry = frameGeometry(format);
    if (!geometry.valid) failSdk(kFrameFormatFailed);
    if (!capturablePixelFormat(format.pixelFormat)) {
        failState(formatText("Pixel format %u is not supported.", format.pixelFormat));
    }
    return geometry;
}

ConversionReading readConversionParams(QorinHandle handle) {
    ConversionReading reading;
    const float matrix =
        readProperty(handle, QORIN_PROP_CORRECTION_MATRIX, "Error acquiring the correction matrix.").value;
    const PropertyReading method = readProperty(handle, QORIN_PROP_DEMOSAIC_METHOD, "Error acquiring the demosaic method.");
    reading.params.correctionMatrix = lowWord(matrix);
    reading.params.demosaicMethod = lowWord(method.value);
    reading.flags = method.flags;
    return reading;
}

CapturedFrame describeFrame(const FrameFormat& format, const PropertyReading& colourFormat) {
    CapturedFrame frame;
    frame.geometry = captureGeometry(format);
    frame.format = &sensorPixelFormat(format.pixelFormat);
    frame.colourFormat = colourFormat.value;
    frame.monoWordFlags = colourFormat.flags;
    return frame;
}

const SdkConversions& sdkConversions(const PixelFormat& format) {
    static const SdkConversions k8Bit{QorinConvertFrameToRgb24, "Failed to convert frame to RGB24.",
                                      QorinConvertFrameToGreyscale8, "Failed to convert to 8-bit monochrome",
                                      "Could not convert to 8-bit grey scale. Image not saved."};
    static const SdkConversions k16Bit{QorinConvertFrameToRgb48, "Failed to convert frame to RGB48.",
                                       QorinConvertFrameToGreyscale16, "Failed to convert to 16-bit monochrome",
                                       "Could not convert to 16-bit grey scale. Image not saved."};
    return format.wide() ? k16Bit : k8Bit;
}

void convertFrame(QorinHandle handle, SdkConversions::Convert convert, const CapturedFrame& frame,
                  void* destination, ConversionParams& params, const char* failMessage) {
    const FrameGeometry& g = frame.geometry;
    if (convert(handle, destination, frame.raw.data(), g.columns, g.rows, frame.format->code, &params) == 0) {
        failSdk(failMessage);
    }
}

void buildRgbPicture(QorinHandle handle, const CapturedFrame& frame, void* picture, ConversionParams& params) {
    const FrameGeometry& g = frame.geometry;
    if (frame.monochrome()) {
        buildMonoPicture(frame.raw.data(), static_cast<std::size_t>(g.samples), g.sampleBytes, frame.monoWordFlags, picture);
        return;
    }
    const SdkConversions& sdk = sdkConversions(*frame.format);
    convertFrame(handle, sdk.rgb, frame, picture, params, sdk.rgbFailed);
}

FrameBuffer allocatePictureBuffer(const CapturedFrame& frame, const char* failMessage) {
    FrameBuffer picture = allocateFrameBuffer(frame.geometry.pictureBytes, failMessage);
    if (frame.monochrome()) picture.release();
    return picture;
}

namespace {

std::uint8_t* slabStart(const ArraySlab& slab, std::size_t columns) {
    return static_cast<std::uint8_t*>(slab.data) + slab.index * 3 * slab.rows * columns * slab.sampleBytes;
}

}  // namespace

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

bool picturesInPlace(const FrameGeometry& geometry, std::size_t frames) {
    const std::uint64_t result = geometry.pictureBytes * frames;  // the array exists: no overflow
    if (geometry.pictureBytes <= geometry.rawBytes + result / 10) return false;
    return geometry.rawBytes >= pictureArrangeWorkBytes(geometry.rows, geometry.columns, geometry.sampleBytes);
}

bool FrameResult::builtInArray(const CapturedFrame& frame) {
    return !frame.monochrome() && picturesInPlace(frame.geometry, 1);
}

void FrameResult::reserve(const CapturedFrame& frame) {
    const FrameGeometry& g = frame.geometry;
    array_.reserve({g.rows, g.columns, 3}, arrayClass(*frame.format));
}

void FrameResult::ready(const CapturedFrame& frame) {
    if (builtInArray(frame)) array_.ready();
}

void FrameResult::placePicture(CapturedFrame& frame) {
    placed_ = builtInArray(frame) && array_.get() != nullptr;
    if (placed_) frame.picture.view(static_cast<std::uint8_t*>(mxGetData(array_.get())), frame.geometry.pictureBytes);
}

ArrayPtr FrameResult::take() { return array_.claim(kArrayFailed); }

ArrayPtr tryImageArray(std::initializer_list<std::size_t> dimensions, mxClassID classId) {
    return ArrayPtr(host::createUninitNumericArray(dimensions.size(), dimensions.begin(), classId));
}

mxClassID arrayClass(const PixelFormat& format) {
    return format.sampleClass == SampleClass::kUint8 ? mxUINT8_CLASS : mxUINT16_CLASS;
}

CapturedFrame prepareSnapshot(CameraRecord& camera, FrameResult* result) {
    const PropertyReading colourFormat = readColourFormat(camera.handle);
    refreshSnapshotFormat(camera);
    CapturedFrame frame = describeFrame(camera.snapshot.format, colourFormat);
    if (result != nullptr) result->reserve(frame);
    frame.raw = allocateFrameBuffer(frame.geometry.rawBytes, "Not enough memory to make raw buffer.");
    return frame;
}

void captureSnapshot(CameraRecord& camera, CapturedFrame& frame, const char* errorFormat) {
    if (QorinTakeSnapshot(camera.handle, &camera.snapshot, frame.raw.data()) != 0) return;
    const std::uint32_t error = QorinGetLastError();
    if (error == QORIN_ERROR_TIMEOUT) failSdk("Snapshot timed out.");
QORIN_FIXED_FORMAT_BEGIN
    failSdk(formatText(errorFormat, error, camera.cameraNumber));
QORIN_FIXED_FORMAT_END
}

}  // namespace qorin
