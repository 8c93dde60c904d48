// pipeline.h - the SDK-facing steps every capture command shares: formats, properties, buffers, pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>

#include "acquisition/frame_copy.h"
#include "acquisition/pixel_format.h"
#include "camera/camera_table.h"
#include "camera/sdk_readers.h"
#include "gateway/results.h"
#include "sdk/qorinapi.h"
#include "mex.h"

namespace qorin {

inline constexpr const char* kColourFormatFailed = "An error occured while obtaining the color format.\n";
inline constexpr const char* kArrayFailed = "An error occured while creating the Matlab array.";

// A temporary frame or picture buffer, released on every path out of the command; or a
// view of memory someone else owns (part of a result array), never released by the view.
class FrameBuffer {
public:
    FrameBuffer() = default;
    FrameBuffer(FrameBuffer&& other) noexcept { *this = std::move(other); }
    FrameBuffer& operator=(FrameBuffer&& other) noexcept {
        if (this != &other) {
            release();
            data_ = other.data_;
            size_ = other.size_;
            owned_ = other.owned_;
            other.data_ = nullptr;
            other.size_ = 0;
        }
        return *this;
    }
    ~FrameBuffer() { release(); }

    // Allocates `bytes` bytes without throwing; false (and the buffer empty) when a size
    // cannot be represented or the memory is not there.
    bool allocate(std::uint64_t bytes) noexcept;
    // Refers to `bytes` bytes at `data` without owning them.
    void view(std::uint8_t* data, std::uint64_t bytes) noexcept {
        release();
        data_ = data;
        size_ = bytes;
        owned_ = false;
    }
    std::uint8_t* data() const { return data_; }
    std::uint64_t size() const { return size_; }
    void release() noexcept {
        if (owned_) delete[] data_;
        data_ = nullptr;
        size_ = 0;
    }

private:
    std::uint8_t* data_ = nullptr;
    std::uint64_t size_ = 0;
    bool owned_ = false;
};

// A buffer of `bytes` bytes, or the command's allocation message.
FrameBuffer allocateFrameBuffer(std::uint64_t bytes, const char* failMessage);

PropertyReading readColourFormat(QorinHandle handle);  // property 80
// Property 66, turned into the orientation of the copy.
Orientation readOrientation(QorinHandle handle, float colourFormat);

// The video format.  A zero binning factor counts as a failed read; YUV 4:2:2 gives "YUV422
// mode is not supported.".
FrameFormat readVideoFormat(const CameraRecord& camera);

// Copies the video format's offsets, size, binning and flags into the snapshot format,
// keeping its pixel format (the snapshot depth).  A failed read, or one with a zero binning
// factor, leaves the snapshot format untouched and raises the frame-format message.
void refreshSnapshotFormat(CameraRecord& camera);

// Geometry of a format about to be captured: a zero binning factor raises the frame-format
// message, a pixel format other than 0 and 1 "Pixel format %u is not supported." (its
// buffer size and sample width would not agree).
FrameGeometry captureGeometry(const FrameFormat& format);

// Properties 65, then 64, and the flags word of the last of the two reads.
struct ConversionReading {
    ConversionParams params{};
    std::uint32_t flags = 0;
};
ConversionReading readConversionParams(QorinHandle handle);

// One frame on its way from the camera into an array: its samples and what they mean.
struct CapturedFrame {
    const PixelFormat* format = &kPixel8Bit;  // of the samples in `raw`
    FrameGeometry geometry;
    float colourFormat = 0.0f;  // property 80
    // The word the 16-bit rule of a monochrome picture goes by: that of the last property
    // read before the picture is made (the colour format, or the conversion parameters).
    std::uint32_t monoWordFlags = 0;
    FrameBuffer raw;      // geometry.rawBytes
    FrameBuffer picture;  // geometry.pictureBytes, where a picture is built or kept

    // A monochrome sensor (colour format exactly 0.0; NaN counts as colour) needs no picture:
    // its samples go from the raw frame straight into the three planes of the array.
    bool monochrome() const { return colourFormat == 0.0f; }

    // A frame of the same description, without buffers: the next frame of a burst.
    CapturedFrame sameKind() const {
        CapturedFrame frame;
        frame.format = format;
        frame.geometry = geometry;
        frame.colourFormat = colourFormat;
        frame.monoWordFlags = monoWordFlags;
        return frame;
    }
};

// A frame of the captured `format` with the colour-format reading taken for it: its sample
// description and geometry (captureGeometry's checks), no buffers yet.
CapturedFrame describeFrame(const FrameFormat& format, const PropertyReading& colourFormat);

// The SDK's conversions of one sample width, and the messages of their failures.
struct SdkConversions {
    using Convert = std::int32_t(QORIN_CALL*)(QorinHandle, void*, const void*, std::uint32_t, std::uint32_t,
                                              std::uint32_t, ConversionParams*);
    Convert rgb;
    const char* rgbFailed;
    Convert grey;
    const char* greyFailed;      // of a grabbed grey frame
    const char* greySaveFailed;  // of a grey image about to be saved
};
const SdkConversions& sdkConversions(const PixelFormat& format);

// Converts the frame's raw samples with one of the SDK's conversions into `destination`
// ("columns, rows, pixel format" as the frame has them); `failMessage` when the SDK refuses.
void convertFrame(QorinHandle handle, SdkConversions::Convert convert, const CapturedFrame& frame,
                  void* destination, ConversionParams& params, const char* failMessage);

// Turns the raw frame into a blue-green-red picture of geometry.pictureBytes at `picture`:
// replicated samples for a monochrome sensor (through the 16-bit rule of the frame's
// flags), the SDK's RGB24/RGB48 conversion otherwise.
void buildRgbPicture(QorinHandle handle, const CapturedFrame& frame, void* picture, ConversionParams& params);

// The picture buffer of a capture, or the command's allocation message.  A monochrome sensor
// needs no picture (its samples go straight into the array), but the buffer is still allocated,
// so that a capture that lacks the memory fails with the same message at the same step as a
// colour one, and released at once: it comes back empty, its pages never touched.
FrameBuffer allocatePictureBuffer(const CapturedFrame& frame, const char* failMessage);

// Slab `index` of a [rows, columns, 3, ...] array of `sampleBytes`-byte samples.
struct ArraySlab {
    void* data = nullptr;  // first sample of the array
    std::size_t rows = 0;
    unsigned sampleBytes = 1;
    std::size_t index = 0;
};

// Copies a frame into its slab: a colour sensor's built picture, or a monochrome sensor's
// raw frame, each sample into all three planes, through the 16-bit rule that
// buildRgbPicture applies for the frame's own sample width and flags.  The buffer copied
// holds samples of the slab's width.  A picture built in the slab itself is arranged there,
// with the frame's raw buffer as work memory.
void copyRgbSlab(const CapturedFrame& frame, const ArraySlab& slab, Orientation orientation);

// A colour frame whose raw samples lie in its own slab of the result (frame.raw views them):
// they move into `work` (geometry.rawBytes), the picture is built in the slab, and `work`
// lends its memory to the arrangement there.
void buildPictureInSlab(QorinHandle handle, CapturedFrame& frame, const FrameBuffer& work, const ArraySlab& slab,
                        ConversionParams& params, Orientation orientation);

// Whether the colour pictures of `frames` frames are built in their slabs of the result and
// arranged there, the raw frame's buffer lending its memory, rather than built in a picture
// buffer and copied.  The buffer is faster (a copy, where the arrangement costs about two
// passes) but costs three raw frames beside the result: it is used only where that stays
// within one raw frame and a tenth of the result, from seven frames on.
bool picturesInPlace(const FrameGeometry& geometry, std::size_t frames);

// The [rows, columns, 3] result of a single frame.  Its array is created before the frame has
// a buffer (see ReservedArray).  A colour picture that can be arranged in place is built in
// the array itself: beyond its result the frame then holds its raw buffer only.
class FrameResult {
public:
    // Reserves the array once the frame is described and before any buffer of it is allocated.
    void reserve(const CapturedFrame& frame);
    // Before the picture buffer is allocated: readies the array when the frame's picture is to
    // be built there (creating it now if it was left to its step).
    void ready(const CapturedFrame& frame);
    // Once the picture buffer has been allocated (its failure reported): points frame.picture
    // at the array, when the picture is built there, and gives the buffer back.
    void placePicture(CapturedFrame& frame);
    // After placePicture, until take: true when frame.picture is the array, whose
    // arrangement then borrows the raw buffer as work memory.
    bool holdsPicture() const { return placed_; }
    // After the conversion: the array, its memory readied.  A creation that failed is reported
    // here, at the step where the array was always created.
    ArrayPtr take();

private:
    // A colour picture that can be arranged in place.
    static bool builtInArray(const CapturedFrame& frame);

    ReservedArray array_;
    bool placed_ = false;
};

// A capture's result array is reserved (ReservedArray) once its frames are described, before
// any buffer or camera mode: a call MATLAB ends there leaves nothing behind but a preview
// stopped for it, which stays stopped as after any failed capture.

// A result array created ahead of its step, its elements unwritten and its memory readied at
// once (its slabs receive raw frames): null when it cannot be had (the command then creates
// it, and reports the failure, at its usual step).
ArrayPtr tryImageArray(std::initializer_list<std::size_t> dimensions, mxClassID classId);

// The MATLAB class of an array of the format's samples.
mxClassID arrayClass(const PixelFormat& format);

// After suspendPreview: colour format (property 80), refreshSnapshotFormat, geometry, the
// result reserved (with `result`), and the raw frame buffer ("Not enough memory to make raw
// buffer.").
CapturedFrame prepareSnapshot(CameraRecord& camera, FrameResult* result = nullptr);

// QorinTakeSnapshot with the camera's SnapshotSettings into frame.raw.  Error 19 raises
// "Snapshot timed out."; any other error raises `errorFormat` formatted with the error
// number (%u) and the camera number (%d).
void captureSnapshot(CameraRecord& camera, CapturedFrame& frame, const char* errorFormat);

}  // namespace qorin
