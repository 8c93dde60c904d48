// pipeline.cpp - format reads, property reads, buffers and picture building shared by the capture commands.
#include "acquisition/sdk_conversions.h"

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

FormatReading readVideoFormat(const CameraRecord& camera) {
    const FormatReading reading = readFormat(camera.handle, kFrameFormatFailed);
    const FrameFormat& format = reading.format;
    // A zero factor would divide by zero in the geometry: such a format is as good as unread.
    if (format.xBinSub == 0 || format.yBinSub == 0) failSdk(kFrameFormatFailed);
    if (format.pixelFormat == QORIN_PIXEL_YUV422) failState("YUV422 mode is not supported.");
    return reading;
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

ConversionParams readFrameConversion(QorinHandle handle, CapturedFrame& frame) {
    const ConversionReading conversion = readConversionParams(handle);
    frame.monoWordFlags = conversion.flags;
    return conversion.params;
}

FrameBuffer allocatePictureBuffer(const CapturedFrame& frame, const char* failMessage) {
    FrameBuffer picture = allocateFrameBuffer(frame.geometry.pictureBytes, failMessage);
    if (frame.monochrome()) picture.release();
    return picture;
}

}  // namespace qorin
