// pipeline.cpp - format reads, property reads, buffers and picture building shared by the capture commands.
#include "acquisition/pipeline.h"

#include <cstddef>
#include <limits>
#include <new>

#include "gateway/errors.h"
#include "gateway/truncation.h"

namespace qorin {

bool FrameBuffer::allocate(std::uint64_t bytes) noexcept {
    release();
    // Larger than any object the platform can address: refuse before new[] sees it.
    if (bytes > static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max())) return false;
    // At least one byte, so that an empty frame still has a buffer the SDK can be given.
    const auto count = static_cast<std::size_t>(bytes == 0 ? 1 : bytes);
    data_.reset(new (std::nothrow) std::uint8_t[count]);
    if (!data_) return false;
    size_ = bytes;
    return true;
}

FrameBuffer allocateFrameBuffer(std::uint64_t bytes, const char* failMessage) {
    FrameBuffer buffer;
    if (!buffer.allocate(bytes)) failMemory(failMessage);
    return buffer;
}

float readProperty(QorinHandle handle, std::uint32_t property, std::uint32_t& flags, const char* failMessage) {
    float value = 0.0f;
    if (QorinGetProperty(handle, property, &value, &flags) == 0) failSdk(failMessage);
    return value;
}

float readColourFormat(QorinHandle handle, std::uint32_t& flags) {
    return readProperty(handle, QORIN_PROP_COLOUR_FORMAT, flags, kColourFormatFailed);
}

Orientation readOrientation(QorinHandle handle, std::uint32_t& flags, float colourFormat) {
    const float flipping = readProperty(handle, QORIN_PROP_FLIPPING, flags, "Error getting flipping property.");
    return frameOrientation(flipping, colourFormat);
}

void readVideoFormat(CameraRecord& camera) {
    float frameRate = 0.0f;
    FrameFormat& format = scratchFormat();
    if (QorinGetFormat(camera.handle, &format, &frameRate) == 0) failSdk(kFrameFormatFailed);
    // A zero factor would divide by zero in the geometry: such a format is as good as unread.
    if (format.xBinSub == 0 || format.yBinSub == 0) failSdk(kFrameFormatFailed);
    if (format.pixelFormat == QORIN_PIXEL_YUV422) failState("YUV422 mode is not supported.");
}

void refreshSnapshotFormat(CameraRecord& camera) {
    FrameFormat video{};
    float frameRate = 0.0f;
    if (QorinGetFormat(camera.handle, &video, &frameRate) == 0) failSdk(kFrameFormatFailed);
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
    // Other values would be sized as 8-bit samples but delivered into a uint16 array.
    if (format.pixelFormat != QORIN_PIXEL_8BIT && format.pixelFormat != QORIN_PIXEL_16BIT) {
        failState(formatText("Pixel format %u is not supported.", format.pixelFormat));
    }
    return geometry;
}

ConversionParams readConversionParams(QorinHandle handle, std::uint32_t& flags) {
    ConversionParams params{};
    const float matrix =
        readProperty(handle, QORIN_PROP_CORRECTION_MATRIX, flags, "Error acquiring the correction matrix.");
    const float method =
        readProperty(handle, QORIN_PROP_DEMOSAIC_METHOD, flags, "Error acquiring the demosaic method.");
    params.correctionMatrix = lowWord(matrix);
    params.demosaicMethod = lowWord(method);
    return params;
}

void buildRgbPicture(QorinHandle handle, const void* raw, void* picture, const FrameGeometry& geometry,
                     std::uint32_t pixelFormat, float colourFormat, std::uint32_t flags, ConversionParams& params) {
    if (colourFormat == 0.0f) {
        buildMonoPicture(raw, static_cast<std::size_t>(geometry.samples), geometry.sampleBytes, flags, picture);
        return;
    }
    if (pixelFormat == QORIN_PIXEL_8BIT) {
        if (QorinConvertFrameToRgb24(handle, picture, raw, geometry.columns, geometry.rows, pixelFormat, &params) ==
            0) {
            failSdk("Failed to convert frame to RGB24.");
        }
    } else if (QorinConvertFrameToRgb48(handle, picture, raw, geometry.columns, geometry.rows, pixelFormat,
                                        &params) == 0) {
        failSdk("Failed to convert frame to RGB48.");
    }
}

FrameBuffer allocatePictureBuffer(std::uint64_t bytes, float colourFormat, const char* failMessage) {
    FrameBuffer picture = allocateFrameBuffer(bytes, failMessage);
    if (monochromeSensor(colourFormat)) picture.release();
    return picture;
}

void copyRgbSlab(const FrameBuffer& picture, const FrameBuffer& raw, float colourFormat, std::uint32_t flags,
                 const FrameGeometry& geometry, unsigned arraySampleBytes, Orientation orientation, void* destination,
                 std::size_t destinationRows, std::size_t slab) {
    if (monochromeSensor(colourFormat)) {
        // Widened 8-bit samples keep their values: the rule is the frame's, not the array's.
        copyMonoToPictureArray(raw.data(), geometry.rows, geometry.columns, arraySampleBytes,
                               monoWordRule(geometry.sampleBytes, flags), orientation, destination, destinationRows,
                               slab);
    } else {
        copyPictureToArray(picture.data(), geometry.rows, geometry.columns, arraySampleBytes, orientation, destination,
                           destinationRows, slab);
    }
}

mxClassID imageClass(std::uint32_t pixelFormat) {
    return pixelFormat == QORIN_PIXEL_8BIT ? mxUINT8_CLASS : mxUINT16_CLASS;
}

SnapshotFrame prepareSnapshot(CameraRecord& camera) {
    SnapshotFrame frame;
    frame.colourFormat = readColourFormat(camera.handle, frame.flags);
    refreshSnapshotFormat(camera);
    frame.geometry = captureGeometry(camera.snapshot.format);
    frame.raw = allocateFrameBuffer(frame.geometry.rawBytes, "Not enough memory to make raw buffer.");
    return frame;
}

void captureSnapshot(CameraRecord& camera, SnapshotFrame& frame, const char* errorFormat) {
    if (QorinTakeSnapshot(camera.handle, &camera.snapshot, frame.raw.data()) != 0) return;
    const std::uint32_t error = QorinGetLastError();
    if (error == QORIN_ERROR_TIMEOUT) failSdk("Snapshot timed out.");
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    failSdk(formatText(errorFormat, error, camera.cameraNumber));
#pragma GCC diagnostic pop
}

}  // namespace qorin
