// frame_readings.h - what a capture reads from the camera about its frames: formats and properties.
#pragma once

#include <cstdint>

#include "camera/camera_table.h"
#include "camera/sdk_readers.h"
#include "kernels/frame_copy.h"
#include "sdk/qorinapi.h"

namespace qorin {

inline constexpr const char* kColourFormatFailed = "An error occured while obtaining the color format.\n";

PropertyReading readColourFormat(QorinHandle handle);  // QORIN_PROP_COLOUR_FORMAT
// QORIN_PROP_FLIPPING, turned into the orientation of the copy.
Orientation readOrientation(QorinHandle handle, float colourFormat);

// QORIN_PROP_CORRECTION_MATRIX, then QORIN_PROP_DEMOSAIC_METHOD, and the flags word of the last
// of the two reads.
struct ConversionReading {
    ConversionParams params{};
    std::uint32_t flags = 0;
};
ConversionReading readConversionParams(QorinHandle handle);

// The video format and its frame rate.  A zero binning factor counts as a failed read; YUV 4:2:2 gives "YUV422
// mode is not supported.".
FormatReading readVideoFormat(const CameraRecord& camera);

// Copies the video format's offsets, size, binning and flags into the snapshot format,
// keeping its pixel format (the snapshot depth).  A failed read, or one with a zero binning
// factor, leaves the snapshot format untouched and raises the frame-format message.
void refreshSnapshotFormat(CameraRecord& camera);

// Geometry of a format about to be captured: a zero binning factor raises the frame-format
// message, a pixel format other than 0 and 1 "Pixel format %u is not supported." (its
// buffer size and sample width would not agree).
FrameGeometry captureGeometry(const FrameFormat& format);

}  // namespace qorin
