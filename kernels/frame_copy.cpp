// frame_copy.cpp - frame geometry, orientation and the sample copies (the copies run on the fastest kernels).
#include "kernels/frame_copy.h"

#include "kernels/copy_kernels.h"
#include "sdk/pixel_format.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace qorin {
namespace {

constexpr std::uint64_t kSaturated = std::numeric_limits<std::uint64_t>::max();

std::uint64_t saturatingMultiply(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > kSaturated / a) return kSaturated;
    return a * b;
}

}  // namespace

FrameGeometry frameGeometry(const FrameFormat& format) {
    FrameGeometry geometry;
    geometry.sampleBytes = sensorPixelFormat(format.pixelFormat).sampleBytes;
    if (format.xBinSub == 0 || format.yBinSub == 0) return geometry;
    geometry.valid = true;
    geometry.columns = format.width / format.xBinSub;
    geometry.rows = format.height / format.yBinSub;
    geometry.samples = std::uint64_t{geometry.columns} * geometry.rows;  // cannot exceed 64 bits
    geometry.rawBytes = saturatingMultiply(geometry.samples, geometry.sampleBytes);
    geometry.pictureBytes = saturatingMultiply(geometry.rawBytes, 3);
    return geometry;
}

Orientation frameOrientation(float flipping, float colourFormat) {
    Orientation orientation;
    orientation.rowsReversed = flipping == 2.0f || flipping == 3.0f || colourFormat != 0.0f;
    orientation.colsReversed = flipping == 1.0f || flipping == 3.0f;
    return orientation;
}

WordRule monoWordRule(unsigned sampleBytes, std::uint32_t flags) {
    if (sampleBytes != 2) return WordRule::kUnchanged;
    // The flags word of the last property read says whether the camera already sends its
    // words in host order; the comparison is on the whole word, not on one bit.
    return flags == 0x80000000u ? WordRule::kMask : WordRule::kExchangeMask;
}

namespace {

// `copies` 3 with one channel writes the plane into all three planes of a picture slab.
void copyIntoSlab(const void* source, std::size_t rows, std::size_t columns, unsigned channels, unsigned sampleBytes,
                  Orientation orientation, void* destination, std::size_t destinationRows, std::size_t slab,
                  WordRule rule = WordRule::kUnchanged, unsigned copies = 1) {
    const std::size_t slabBytes = channels * copies * destinationRows * columns * (sampleBytes == 2 ? 2 : 1);
    CopyJob job;
    job.source = source;
    job.rows = rows;
    job.columns = columns;
    job.channels = channels;
    job.orientation = orientation;
    job.destination = static_cast<std::uint8_t*>(destination) + slab * slabBytes;
    job.destinationRows = destinationRows;
    job.rule = rule;
    job.copies = copies;
    copyIntoArray(job, sampleBytes);
}

}  // namespace

void copyPlaneToArray(const void* source, std::size_t rows, std::size_t columns, unsigned sampleBytes,
                      Orientation orientation, void* destination, std::size_t destinationRows, std::size_t slab) {
    copyIntoSlab(source, rows, columns, 1, sampleBytes, orientation, destination, destinationRows, slab);
}

void copyPictureToArray(const void* picture, std::size_t rows, std::size_t columns, unsigned sampleBytes,
                        Orientation orientation, void* destination, std::size_t destinationRows, std::size_t slab) {
    copyIntoSlab(picture, rows, columns, 3, sampleBytes, orientation, destination, destinationRows, slab);
}

void copyMonoToPictureArray(const void* raw, std::size_t rows, std::size_t columns, unsigned sampleBytes, WordRule rule,
                            Orientation orientation, void* destination, std::size_t destinationRows, std::size_t slab) {
    copyIntoSlab(raw, rows, columns, 1, sampleBytes, orientation, destination, destinationRows, slab, rule, 3);
}

void copyMonoWithinSlab(const void* raw, std::size_t rows, std::size_t columns, unsigned sampleBytes, WordRule rule,
                        Orientation orientation, void* destination, std::size_t destinationRows, std::size_t slab) {
    copyIntoSlab(raw, rows, columns, 1, sampleBytes, orientation, destination, destinationRows, slab * 3, rule);
    const std::size_t planeBytes = destinationRows * columns * (sampleBytes == 2 ? 2 : 1);
    auto* red = static_cast<std::uint8_t*>(destination) + slab * 3 * planeBytes;
    std::memcpy(red + planeBytes, red, planeBytes);
    std::memcpy(red + 2 * planeBytes, red, planeBytes);
}

void reverseColumns(void* data, std::size_t rows, std::size_t columns, unsigned sampleBytes, std::size_t planes) {
    const std::size_t columnBytes = rows * (sampleBytes == 2 ? 2 : 1);
    auto* plane = static_cast<std::uint8_t*>(data);
    for (std::size_t p = 0; p < planes; ++p, plane += columns * columnBytes) {
        for (std::size_t left = 0, right = columns; left + 1 < right; ++left, --right) {
            std::swap_ranges(plane + left * columnBytes, plane + (left + 1) * columnBytes,
                             plane + (right - 1) * columnBytes);
        }
    }
}

void buildMonoPicture(const void* raw, std::size_t samples, unsigned sampleBytes, std::uint32_t flags, void* picture) {
    if (sampleBytes != 2) {
        const auto* in = static_cast<const std::uint8_t*>(raw);
        auto* out = static_cast<std::uint8_t*>(picture);
        for (std::size_t k = 0; k < samples; ++k) out[3 * k] = out[3 * k + 1] = out[3 * k + 2] = in[k];
        return;
    }
    const bool exchange = monoWordRule(sampleBytes, flags) == WordRule::kExchangeMask;
    const auto* in = static_cast<const std::uint16_t*>(raw);
    auto* out = static_cast<std::uint16_t*>(picture);
    for (std::size_t k = 0; k < samples; ++k) {
        std::uint16_t word = in[k];
        if (exchange) word = static_cast<std::uint16_t>((word << 8) | (word >> 8));
        word = static_cast<std::uint16_t>(word & 0xFFF0u);
        out[3 * k] = out[3 * k + 1] = out[3 * k + 2] = word;
    }
}

void widenSamples(const std::uint8_t* source, std::uint16_t* destination, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) destination[k] = source[k];
}

}  // namespace qorin
