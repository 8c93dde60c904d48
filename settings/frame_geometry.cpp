// frame_geometry.cpp - frame size, offsets, 16-bit video and the frame format as a MATLAB structure.
#include <array>
#include <cstdint>
#include <iterator>
#include <string>
#include <utility>

#include "camera/sdk_readers.h"
#include "camera/session.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"
#include "gateway/truncation.h"
#include "platform/mex_host.h"
#include "sdk/frame_format_fields.h"
#include "sdk/pixel_format.h"

namespace qorin {
namespace {

// Field order of the MATLAB frame-format structure: the FrameFormat fields in the table's order,
// then the frame rate; GET_FRAME_FORMAT builds it in this order and SET_FRAME_FORMAT reads it so.
constexpr std::size_t kFormatFieldCount = std::size(kFrameFormatFields) + 1;
constexpr std::array<const char*, kFormatFieldCount> kFormatFields = [] {
    std::array<const char*, kFormatFieldCount> names{};
    for (std::size_t k = 0; k < std::size(kFrameFormatFields); ++k) names[k] = kFrameFormatFields[k].name_;
    names.back() = kFrameRateField;
    return names;
}();

// The structure with kFormatFields as its names, which makeStructArray takes as a braced list.
template <std::size_t... kField>
ArrayPtr makeFormatStruct(std::index_sequence<kField...>) {
    return makeStructArray(1, 1, {kFormatFields[kField]...});
}

constexpr const char* kGet16BitNotConnected = "Could not get 16-bit status. Camera %d is not connected.";

// The code-11 procedure: whether the camera's video format has 16-bit samples, as the SDK says.
bool read16BitVideo(std::int32_t cameraNumber) {
    CameraRecord& camera = connectedCamera(cameraNumber, kGet16BitNotConnected);
    const FrameFormat format = readFormat(camera.handle, "Unable to get current frame format.").format;
    // Every format but 8-bit counts, YUV 4:2:2 included.
    return format.pixelFormat != kPixel8Bit.code;
}

// The ten fields of a frame-format structure, each checked to be there and to be a real
// numeric scalar before any is read, so a malformed structure never reaches the SDK.
std::array<double, kFormatFieldCount> formatStructValues(const mxArray* structure) {
    // One message for both refusals; a structure array of another size is a wrong size.
    constexpr const char* kNotOneStructure = "Frame format must be a 1-by-1 structure.";
    if (structure == nullptr || !mxIsStruct(structure)) failUsage(kNotOneStructure);
    if (host::rowsTimesColumns(structure) != 1 || mxGetNumberOfDimensions(structure) != 2) failValue(kNotOneStructure);
    std::array<double, kFormatFieldCount> values{};
    for (std::size_t k = 0; k < kFormatFields.size(); ++k) {
        const mxArray* field = host::structField(structure, 0, kFormatFields[k]);
        if (field == nullptr) {
            fail(ErrorKind::Usage, std::string("Frame format field '") + kFormatFields[k] + "' is missing.");
        }
        if (!isIntegerScalar(field)) {
            fail(ErrorKind::Usage, std::string("Frame format field '") + kFormatFields[k] + "' must be a real numeric scalar.");
        }
        values[k] = host::elementValue(field, 0);
    }
    return values;
}

// A pair of the format's fields as a 2-by-1 column, read from the camera now.
ArrayPtr formatPair(const Args& args, const char* notConnected, std::uint32_t FrameFormat::*first,
                    std::uint32_t FrameFormat::*second) {
    CameraRecord& camera = connectedCamera(args.integer(1), notConnected);
    const FrameFormat format = readFormat(camera.handle, "Failed to get the frame format.").format;
    return makeDoubleMatrix(2, 1, {static_cast<double>(format.*first), static_cast<double>(format.*second)});
}

}  // namespace

ArrayPtr handleSetFrameSize(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set frame size. Camera %d is not connected.");
    constexpr const char* kMaxResolutionFailed = "An error occured wile obtaining the maximum resolution.\n";
    const float maxWidth = readProperty(camera.handle, QORIN_PROP_MAX_WIDTH, kMaxResolutionFailed).value;
    const float maxHeight = readProperty(camera.handle, QORIN_PROP_MAX_HEIGHT, kMaxResolutionFailed).value;
    // Unsigned on purpose: a negative size reads as a huge one and is refused here.
    const auto width = static_cast<std::uint32_t>(args.integer(2));
    const auto height = static_cast<std::uint32_t>(args.integer(3));
    if (width > lowWordSaturated(maxWidth) || height > lowWordSaturated(maxHeight)) {
        failValue("Invalid resolution selected.");
    }
    suspendPreview(camera);
    FormatReading current = readFormat(camera.handle, kFrameFormatFailed);
    FrameFormat& format = current.format;
    format.width = width;
    format.height = height;
    format.xBinSub = 1;
    format.yBinSub = 1;
    // The snapshot format follows before the SDK is asked, and keeps the new geometry even
    // if the SDK refuses it; its depth and flags are the snapshot commands' business.
    FrameFormat& snapshot = camera.snapshot.format;
    snapshot.width = format.width;
    snapshot.height = format.height;
    snapshot.xOffset = format.xOffset;
    snapshot.yOffset = format.yOffset;
    snapshot.xBinSub = 1;
    snapshot.yBinSub = 1;
    if (QorinSetFormat(camera.handle, &format, current.frameRate) == 0) {
        failSdk("An error occured while setting the frame size.\n");
    }
    resumePreview(camera);
    return nullptr;
}

ArrayPtr handleGetFrameSize(const Args& args) {
    return formatPair(args, "Could not get frame size. Camera %d is not connected.", &FrameFormat::width,
                      &FrameFormat::height);
}

ArrayPtr handleGetOffset(const Args& args) {
    return formatPair(args, "Could not get offset. Camera %d is not connected.", &FrameFormat::xOffset,
                      &FrameFormat::yOffset);
}

ArrayPtr handleSetOffset(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set the offset. Camera %d is not connected.");
    const std::int32_t xOffset = args.integer(2);
    const std::int32_t yOffset = args.integer(3);
    if (xOffset < 0 || yOffset < 0) failValue("Offsets need to be positive.");
    // Read while the preview still runs: a failed read leaves the preview untouched.
    FormatReading current = readFormat(camera.handle, "Failed to get the frame format.");
    FrameFormat& format = current.format;
    suspendPreview(camera);
    format.xOffset = static_cast<std::uint32_t>(xOffset);
    format.yOffset = static_cast<std::uint32_t>(yOffset);
    if (QorinSetFormat(camera.handle, &format, current.frameRate) == 0) {
        failSdk("Failed to set the new offset. Offset may be invalid.");
    }
    camera.snapshot.format.xOffset = format.xOffset;
    camera.snapshot.format.yOffset = format.yOffset;
    resumePreview(camera);
    return nullptr;
}

ArrayPtr handleGet16BitVideo(const Args& args) {
    return makeLogicalScalar(read16BitVideo(args.integer(1)));
}

ArrayPtr handleSet16BitVideo(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set 16-bit. Camera %d is not connected.");
    const bool enable = args.logical(2);
    // Asking for the depth the camera already has must not interrupt its preview.
    if (read16BitVideo(args.integer(1)) == enable) return nullptr;
    FormatReading current = readFormat(camera.handle, "Failed to get the frame format.");
    FrameFormat& format = current.format;
    suspendPreview(camera);
    format.pixelFormat = (enable ? kPixel16Bit : kPixel8Bit).code;
    if (QorinSetFormat(camera.handle, &format, current.frameRate) == 0) {
        failSdk("Failed to enable 16-bit mode. Mode may not be supported.");
    }
    resumePreview(camera);
    return nullptr;
}

ArrayPtr handleGetFrameFormat(const Args& args) {
    CameraRecord& camera =
        connectedCamera(args.integer(1), "Could not get current frame format. Camera %d is not connected.");
    const FormatReading current = readFormat(camera.handle, "Failed to get frame format.");
    ArrayPtr structure = makeFormatStruct(std::make_index_sequence<kFormatFieldCount>());
    int k = 0;
    for (const FrameFormatField& field : kFrameFormatFields) {
        setStructField(structure.get(), 0, k++, makeDoubleScalar(static_cast<double>(field.get(current.format))));
    }
    setStructField(structure.get(), 0, k, makeDoubleScalar(static_cast<double>(current.frameRate)));
    return structure;
}

// Writes every field as given: no preview interruption, no read of the current format, and
// neither the snapshot format nor the 16-bit flag follows.
ArrayPtr handleSetFrameFormat(const Args& args) {
    CameraRecord& camera =
        connectedCamera(args.integer(1), "Could not set new frame format. Camera %d is not connected.");
    const std::array<double, kFormatFieldCount> values = formatStructValues(args.array(2));
    FrameFormat format{};
    for (std::size_t k = 0; k < std::size(kFrameFormatFields); ++k) {
        const FrameFormatField& field = kFrameFormatFields[k];
        field.set(format, field.halfWord() ? lowHalfWordSaturated(values[k]) : lowWordSaturated(values[k]));
    }
    const auto frameRate = static_cast<float>(values.back());
    if (QorinSetFormat(camera.handle, &format, frameRate) == 0) failSdk("Failed to set new frame format.");
    return nullptr;
}

}  // namespace qorin
