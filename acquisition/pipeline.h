// pipeline.h - the SDK-facing steps every capture command shares: formats, properties, buffers, pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "acquisition/frame_copy.h"
#include "camera/camera_table.h"
#include "sdk/qorinapi.h"
#include "mex.h"

namespace qorin {

inline constexpr const char* kFrameFormatFailed = "An error occured while obtaining the frame format.\n";
inline constexpr const char* kColourFormatFailed = "An error occured while obtaining the color format.\n";
inline constexpr const char* kArrayFailed = "An error occured while creating the Matlab array.";

// A temporary frame or picture buffer, released on every path out of the command.
class FrameBuffer {
public:
    FrameBuffer() = default;
    // Allocates `bytes` bytes without throwing; false (and the buffer empty) when a size
    // cannot be represented or the memory is not there.
    bool allocate(std::uint64_t bytes) noexcept;
    std::uint8_t* data() const { return data_.get(); }
    std::uint64_t size() const { return size_; }
    void release() noexcept {
        data_.reset();
        size_ = 0;
    }

private:
    std::unique_ptr<std::uint8_t[]> data_;
    std::uint64_t size_ = 0;
};

// A buffer of `bytes` bytes, or the command's allocation message.
FrameBuffer allocateFrameBuffer(std::uint64_t bytes, const char* failMessage);

// QorinGetProperty into a float.  Every read of one command passes the same `flags`, so it
// holds what the last read returned (the 16-bit picture rule depends on that).
float readProperty(QorinHandle handle, std::uint32_t property, std::uint32_t& flags, const char* failMessage);
float readColourFormat(QorinHandle handle, std::uint32_t& flags);  // property 80
// Property 66, turned into the orientation of the copy.
Orientation readOrientation(QorinHandle handle, std::uint32_t& flags, float colourFormat);

// The video format into the scratch FrameFormat.  A zero binning factor counts as a failed
// read; YUV 4:2:2 gives "YUV422 mode is not supported.".
void readVideoFormat(CameraRecord& camera);

// Copies the video format's offsets, size, binning and flags into the snapshot format,
// keeping its pixel format (the snapshot depth).  A failed read, or one with a zero binning
// factor, leaves the snapshot format untouched and raises the frame-format message.
void refreshSnapshotFormat(CameraRecord& camera);

// Geometry of a format about to be captured: a zero binning factor raises the frame-format
// message, a pixel format other than 0 and 1 "Pixel format %u is not supported." (its
// buffer size and sample width would not agree).
FrameGeometry captureGeometry(const FrameFormat& format);

// Properties 65, then 64.
ConversionParams readConversionParams(QorinHandle handle, std::uint32_t& flags);

// Turns a raw frame into a blue-green-red picture of geometry.pictureBytes: replicated
// samples for a monochrome sensor (colourFormat 0), the SDK's RGB24/RGB48 conversion
// otherwise.  `flags` is the word left by the last property read.
void buildRgbPicture(QorinHandle handle, const void* raw, void* picture, const FrameGeometry& geometry,
                     std::uint32_t pixelFormat, float colourFormat, std::uint32_t flags, ConversionParams& params);

// A monochrome sensor (colour format exactly 0.0; NaN counts as colour) needs no picture:
// its samples go from the raw frame straight into the three planes of the array.
inline bool monochromeSensor(float colourFormat) { return colourFormat == 0.0f; }

// The picture buffer of a capture, or the command's allocation message.  For a monochrome
// sensor the memory is only shown to be there: the buffer comes back empty, untouched.
FrameBuffer allocatePictureBuffer(std::uint64_t bytes, float colourFormat, const char* failMessage);

// One [rows, columns, 3] slab of an RGB array of `arraySampleBytes`-byte samples: a colour
// sensor's built `picture`, or a monochrome sensor's `raw` frame, each sample into all
// three planes, through the 16-bit rule that buildRgbPicture applies for the frame's own
// sample width and `flags`.  Either buffer holds samples of the array's width.
void copyRgbSlab(const FrameBuffer& picture, const FrameBuffer& raw, float colourFormat, std::uint32_t flags,
                 const FrameGeometry& geometry, unsigned arraySampleBytes, Orientation orientation, void* destination,
                 std::size_t destinationRows, std::size_t slab);

// uint8 for pixel format 0, uint16 for any other value.
mxClassID imageClass(std::uint32_t pixelFormat);

// A snapshot up to its raw frame, shared by the snapshot and white balance from snapshot.
struct SnapshotFrame {
    float colourFormat = 0.0f;
    std::uint32_t flags = 0;  // left by the colour-format read; the command's shared flags word
    FrameGeometry geometry;   // of the refreshed snapshot format
    FrameBuffer raw;          // geometry.rawBytes
};

// After suspendPreview: colour format (property 80), refreshSnapshotFormat, geometry and
// the raw frame buffer ("Not enough memory to make raw buffer.").
SnapshotFrame prepareSnapshot(CameraRecord& camera);

// QorinTakeSnapshot with the camera's SnapshotSettings into frame.raw.  Error 19 raises
// "Snapshot timed out."; any other error raises `errorFormat` formatted with the error
// number (%u) and the camera number (%d).
void captureSnapshot(CameraRecord& camera, SnapshotFrame& frame, const char* errorFormat);

}  // namespace qorin
