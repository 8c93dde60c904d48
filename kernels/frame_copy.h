// frame_copy.h - frame geometry, orientation and the sample copies into column-major arrays (no MEX types).
#pragma once

#include <cstddef>
#include <cstdint>

#include "sdk/qorinapi.h"

namespace qorin {

// Sizes of one frame as the SDK delivers it.  Byte counts are 64-bit and saturate at
// UINT64_MAX, a size no allocation can satisfy, instead of wrapping to a small number.
struct FrameGeometry {
    bool valid = false;              // false when a binning or subsampling factor is zero
    std::uint32_t columns = 0;       // width / xBinSub, truncated
    std::uint32_t rows = 0;          // height / yBinSub, truncated
    std::uint64_t samples = 0;       // columns * rows
    unsigned sampleBytes = 1;        // sensorPixelFormat's: 2 for pixel format 1, else 1
    std::uint64_t rawBytes = 0;      // samples * sampleBytes
    std::uint64_t pictureBytes = 0;  // 3 * rawBytes: three samples per pixel
};

FrameGeometry frameGeometry(const FrameFormat& format);

// What happens to each 16-bit sample on its way into the array; 8-bit samples are always
// copied unchanged.
enum class WordRule : unsigned char {
    kUnchanged,
    kMask,          // low four bits cleared
    kExchangeMask,  // high and low byte exchanged, then the low four bits cleared
};

// The rule of a monochrome sensor's RGB picture: 16-bit samples are byte-exchanged unless
// `flags` is exactly 0x80000000, and masked either way.
WordRule monoWordRule(unsigned sampleBytes, std::uint32_t flags);

// Which way a frame is mirrored on its way into MATLAB.
struct Orientation {
    bool rowsReversed = false;
    bool colsReversed = false;
};

// Flipping 2 or 3 reverses the rows and 1 or 3 the columns; a colour sensor's rows are
// always reversed.  Both values are compared exactly, so NaN counts as colour and as no flip.
Orientation frameOrientation(float flipping, float colourFormat);

// Copies a rows x columns plane of samples (row by row, `sampleBytes` 1 or 2 bytes each)
// into slab `slab` of a column-major array whose leading dimension is `destinationRows`
// (>= rows): source sample (i, j) lands at row i (or rows - 1 - i) and column j (or
// columns - 1 - j).  Samples are copied unchanged; rows >= `rows` of the slab are not
// touched.  The destination samples have the same width as the source.
void copyPlaneToArray(const void* source, std::size_t rows, std::size_t columns, unsigned sampleBytes,
                      Orientation orientation, void* destination, std::size_t destinationRows, std::size_t slab);

// As copyPlaneToArray for a picture of three samples per pixel in blue, green, red order:
// the slab is [destinationRows, columns, 3] with planes red, green, blue.
void copyPictureToArray(const void* picture, std::size_t rows, std::size_t columns, unsigned sampleBytes,
                        Orientation orientation, void* destination, std::size_t destinationRows, std::size_t slab);

// Work memory arrangePictureInPlace needs at the least for such a picture: a few rows of
// it, and a bit per run of samples moved (0 for an empty picture).
std::size_t pictureArrangeWorkBytes(std::size_t rows, std::size_t columns, unsigned sampleBytes);

// What copyPictureToArray would write into a slab of exactly `rows` rows, made of the picture
// that lies in that slab itself.  `work` (aligned to 8 bytes) is scratch; the more of it, up
// to a few percent of the picture, the longer the runs moved at once.  False, with nothing
// touched, when `workBytes` is less than pictureArrangeWorkBytes.
bool arrangePictureInPlace(void* slab, std::size_t rows, std::size_t columns, unsigned sampleBytes,
                           Orientation orientation, void* work, std::size_t workBytes);

// The RGB slab of a monochrome sensor straight from its raw plane: what copyPictureToArray
// would make of buildMonoPicture's picture, without building it.  Each sample goes
// through `rule` and is written to the same place of the red, green and blue planes.
void copyMonoToPictureArray(const void* raw, std::size_t rows, std::size_t columns, unsigned sampleBytes, WordRule rule,
                            Orientation orientation, void* destination, std::size_t destinationRows, std::size_t slab);

// As copyMonoToPictureArray, for a raw plane that lies in the slab's own blue plane: the
// red plane is written from it, then copied whole into the green and the blue plane, so
// every raw sample is read before the blue plane overwrites it.
void copyMonoWithinSlab(const void* raw, std::size_t rows, std::size_t columns, unsigned sampleBytes, WordRule rule,
                        Orientation orientation, void* destination, std::size_t destinationRows, std::size_t slab);

// Reverses, in place, the order of the columns of `planes` column-major planes of
// rows x columns samples each, one after the other from `data`.
void reverseColumns(void* data, std::size_t rows, std::size_t columns, unsigned sampleBytes, std::size_t planes);

// The picture of a monochrome sensor: every sample written to the three samples of its
// pixel.  16-bit samples are byte-exchanged unless `flags` is exactly 0x80000000, then
// their low four bits are cleared.
void buildMonoPicture(const void* raw, std::size_t samples, unsigned sampleBytes, std::uint32_t flags,
                      void* picture);

// 8-bit samples widened unchanged into 16-bit ones.
void widenSamples(const std::uint8_t* source, std::uint16_t* destination, std::size_t count);

}  // namespace qorin
