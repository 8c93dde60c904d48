// kernels_copy_kernels_test.cpp - every copy kernel against the plain element-by-element copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "kernels/copy_kernels.h"
#include "kernels/frame_copy.h"
#include "tests/unit/reference_copy.h"

namespace qorin {
namespace {

std::vector<const CopyKernelSet*> runnableKernels() {
    std::vector<const CopyKernelSet*> sets{&portableCopyKernels()};
    if (sse2CopyKernels() != nullptr && processorRunsSse2()) sets.push_back(sse2CopyKernels());
    if (avx2CopyKernels() != nullptr && processorRunsAvx2()) sets.push_back(avx2CopyKernels());
    if (avx512CopyKernels() != nullptr && processorRunsAvx512()) sets.push_back(avx512CopyKernels());
    return sets;
}

struct Shape {
    std::size_t rows;
    std::size_t columns;
};

constexpr std::size_t kGuardBytes = 256;
constexpr std::uint8_t kUntouched = 0xA5;

// Runs one kernel and the reference into identical guarded buffers and compares every
// byte, guards and rows below the frame included.  Returns an empty string on success.
std::string compareOne(const CopyKernelSet& kernels, unsigned sampleBytes, unsigned channels, Shape shape,
                       Orientation orientation, std::size_t extraRows, std::size_t offsetSamples, bool streaming,
                       std::mt19937& random, WordRule rule = WordRule::kUnchanged, unsigned copies = 1) {
    const std::size_t sourceBytes = shape.rows * shape.columns * channels * sampleBytes;
    std::vector<std::uint8_t> source(sourceBytes);
    for (auto& byte : source) byte = static_cast<std::uint8_t>(random());

    const std::size_t destinationRows = shape.rows + extraRows;
    const std::size_t slabBytes = destinationRows * shape.columns * channels * copies * sampleBytes;
    const std::size_t total = 64 + offsetSamples * sampleBytes + slabBytes + 2 * kGuardBytes;
    std::vector<std::uint8_t> expected(total, kUntouched);
    std::vector<std::uint8_t> actual(total + 64, kUntouched);
    // Both slabs start at the same offset from a 64-byte boundary.
    std::uint8_t* actualBase = actual.data() + (64 - reinterpret_cast<std::uintptr_t>(actual.data()) % 64) % 64;
    const std::size_t slabStart = kGuardBytes + offsetSamples * sampleBytes;

    CopyJob job;
    job.source = source.data();
    job.rows = shape.rows;
    job.columns = shape.columns;
    job.channels = channels;
    job.orientation = orientation;
    job.destinationRows = destinationRows;
    job.streaming = streaming;
    job.rule = rule;
    job.copies = copies;

    job.destination = expected.data() + slabStart;
    if (sampleBytes == 2) {
        referenceCopy<std::uint16_t>(job);
    } else {
        referenceCopy<std::uint8_t>(job);
    }
    job.destination = actualBase + slabStart;
    (sampleBytes == 2 ? kernels.copy16 : kernels.copy8)(job);

    if (std::memcmp(expected.data(), actualBase, total) == 0) return {};
    std::size_t first = 0;
    while (expected[first] == actualBase[first]) ++first;
    std::ostringstream message;
    message << kernels.name << " " << 8 * sampleBytes << "-bit " << (channels == 3 ? "picture " : "plane ") << shape.rows
            << "x" << shape.columns << " rowsReversed " << orientation.rowsReversed << " colsReversed "
            << orientation.colsReversed << " extra rows " << extraRows << " offset " << offsetSamples << " streaming "
            << streaming << " rule " << static_cast<int>(rule) << " copies " << copies << ": first difference at byte "
            << static_cast<long>(first) - static_cast<long>(slabStart) << " of the slab";
    return message.str();
}

// Runs every kernel over every combination and reports the first mismatch of each kernel.
void checkAll(unsigned sampleBytes, unsigned channels, const std::vector<Shape>& shapes,
              const std::vector<std::size_t>& extraRows, const std::vector<std::size_t>& offsets,
              const std::vector<bool>& streaming, WordRule rule = WordRule::kUnchanged, unsigned copies = 1) {
    std::mt19937 random(12345);
    for (const CopyKernelSet* kernels : runnableKernels()) {
        std::string failure;
        for (const Shape& shape : shapes) {
            for (int o = 0; o < 4 && failure.empty(); ++o) {
                const Orientation orientation{(o & 2) != 0, (o & 1) != 0};
                for (std::size_t extra : extraRows) {
                    for (std::size_t offset : offsets) {
                        for (bool stream : streaming) {
                            if (failure.empty()) {
                                failure = compareOne(*kernels, sampleBytes, channels, shape, orientation, extra, offset,
                                                     stream, random, rule, copies);
                            }
                        }
                    }
                }
            }
        }
        EXPECT_EQ(failure, "");
    }
}

// Degenerate and tile-edge sizes: empty frames, single rows and columns, one short of and
// one past the tile sizes, and sizes that leave every kind of edge tile.
const std::vector<Shape> kSmallShapes{{0, 0},   {0, 7},   {7, 0},   {1, 1},   {1, 40},  {40, 1},  {3, 5},
                                      {7, 9},   {15, 17}, {16, 16}, {17, 15}, {8, 8},   {31, 33}, {32, 16},
                                      {33, 17}, {47, 31}, {64, 64}, {65, 63}, {1, 300}, {300, 1}, {100, 37}};
// Sizes with several whole destination lines per column and several source lines per row,
// so the blocked and streaming paths run with lines before, between and after the edges.
const std::vector<Shape> kLargeShapes{{128, 64}, {191, 45}, {200, 130}, {257, 19}, {300, 97}, {131, 200}};

TEST(CopyKernels, Planes8BitMatchTheReference) {
    checkAll(1, 1, kSmallShapes, {0, 3}, {0, 1, 5}, {false, true});
    checkAll(1, 1, kLargeShapes, {0, 64 - 1}, {0, 1, 17, 63}, {false, true});
}

TEST(CopyKernels, Planes16BitMatchTheReference) {
    checkAll(2, 1, kSmallShapes, {0, 3}, {0, 1, 5}, {false, true});
    checkAll(2, 1, kLargeShapes, {0, 32 - 1}, {0, 1, 9, 31}, {false, true});
}

TEST(CopyKernels, Pictures8BitMatchTheReference) {
    checkAll(1, 3, kSmallShapes, {0, 2}, {0, 3}, {false, true});
    checkAll(1, 3, kLargeShapes, {0, 64 - 1}, {0, 17}, {false, true});
}

TEST(CopyKernels, Pictures16BitMatchTheReference) {
    checkAll(2, 3, kSmallShapes, {0, 2}, {0, 3}, {false, true});
    checkAll(2, 3, kLargeShapes, {0, 32 - 1}, {0, 9}, {false, true});
}

// A monochrome plane written into all three planes of a picture slab, 16-bit samples
// through each rule: the three copies must agree to the sample, guards untouched.
TEST(CopyKernels, PlanesCopiedThreeTimesMatchTheReference) {
    checkAll(1, 1, kSmallShapes, {0, 3}, {0, 5}, {false, true}, WordRule::kUnchanged, 3);
    checkAll(1, 1, kLargeShapes, {0, 64 - 1}, {0, 17}, {false, true}, WordRule::kUnchanged, 3);
    for (WordRule rule : {WordRule::kUnchanged, WordRule::kMask, WordRule::kExchangeMask}) {
        checkAll(2, 1, kSmallShapes, {0, 3}, {0, 5}, {false, true}, rule, 3);
        checkAll(2, 1, kLargeShapes, {0, 32 - 1}, {0, 9}, {false, true}, rule, 3);
    }
    std::vector<std::size_t> everyOffset;
    for (std::size_t k = 0; k < 64; k += 5) everyOffset.push_back(k);
    checkAll(1, 1, {{100, 40}}, {128 - 100}, everyOffset, {true}, WordRule::kUnchanged, 3);
    checkAll(2, 1, {{70, 20}}, {96 - 70}, everyOffset, {true}, WordRule::kExchangeMask, 3);
}

// The rules also hold for single planes and for pictures.
TEST(CopyKernels, WordRulesMatchTheReference) {
    for (WordRule rule : {WordRule::kMask, WordRule::kExchangeMask}) {
        checkAll(2, 1, kLargeShapes, {0, 31}, {0, 9}, {false, true}, rule);
        checkAll(2, 3, {{7, 9}, {33, 17}, {131, 200}}, {0}, {0, 9}, {false, true}, rule);
    }
}

// destinationRows that make every column line-aligned (rows a multiple of 64 bytes) while
// the frame itself ends mid-line, with the slab at each offset within a line.
TEST(CopyKernels, AlignedColumnsWithPartialLinesMatchTheReference) {
    std::vector<std::size_t> everyOffset;
    for (std::size_t k = 0; k < 64; k += 3) everyOffset.push_back(k);
    checkAll(1, 1, {{100, 40}, {150, 33}}, {128 - 100, 256 - 150}, everyOffset, {true});
    checkAll(2, 3, {{70, 20}}, {96 - 70}, everyOffset, {true});
}

// Line-aligned columns long and wide enough for the blocked bands of the widest tiles (up
// to 128 rows by 64 source elements, or four source lines when streamed), ending in a band
// of one line, a partial line or both, with the slab at each offset within a line: the
// partial lines at both ends of each column are written around whole lines that may be
// streamed.
TEST(CopyKernels, BandsBetweenPartialLinesMatchTheReference) {
    std::vector<std::size_t> offsets;
    for (std::size_t k = 0; k < 64; k += 7) offsets.push_back(k);
    const std::vector<Shape> shapes{{250, 70}, {192, 66}, {320, 64}, {250, 300}};
    checkAll(1, 1, shapes, {256 - 250, 0}, offsets, {false, true});
    checkAll(1, 3, {{250, 23}, {250, 90}}, {256 - 250}, offsets, {false, true});
    checkAll(1, 1, {{250, 70}}, {256 - 250}, offsets, {true}, WordRule::kUnchanged, 3);
    for (WordRule rule : {WordRule::kUnchanged, WordRule::kExchangeMask}) {
        checkAll(2, 1, shapes, {256 - 250, 0}, offsets, {false, true}, rule);
        checkAll(2, 3, {{250, 23}, {250, 45}}, {256 - 250}, offsets, {false, true}, rule);
        checkAll(2, 1, {{250, 70}}, {256 - 250}, offsets, {true}, rule, 3);
    }
}

TEST(CopyKernels, BestKernelsAreRunnableAndStreamOnlyLargeArrays) {
    const std::vector<const CopyKernelSet*> sets = runnableKernels();
    EXPECT_EQ(&bestCopyKernels(), sets.back());
    EXPECT_FALSE(streamingPays(640 * 480));
    EXPECT_TRUE(streamingPays(std::size_t{4096} * 3072));
}

// The frame copies place each slab of a 4-D array and leave the other slabs alone.
TEST(CopyKernels, FrameCopiesWriteOnlyTheirSlab) {
    std::mt19937 random(99);
    const std::size_t rows = 37;
    const std::size_t columns = 29;
    const std::size_t destinationRows = 41;
    for (unsigned sampleBytes : {1u, 2u}) {
        for (int o = 0; o < 4; ++o) {
            const Orientation orientation{(o & 2) != 0, (o & 1) != 0};
            std::vector<std::uint8_t> picture(3 * rows * columns * sampleBytes);
            for (auto& byte : picture) byte = static_cast<std::uint8_t>(random());
            const std::size_t slabBytes = 3 * destinationRows * columns * sampleBytes;
            std::vector<std::uint8_t> expected(3 * slabBytes, kUntouched);
            std::vector<std::uint8_t> actual(3 * slabBytes, kUntouched);

            CopyJob job;
            job.source = picture.data();
            job.rows = rows;
            job.columns = columns;
            job.channels = 3;
            job.orientation = orientation;
            job.destinationRows = destinationRows;
            job.destination = expected.data() + slabBytes;
            if (sampleBytes == 2) {
                referenceCopy<std::uint16_t>(job);
            } else {
                referenceCopy<std::uint8_t>(job);
            }
            copyPictureToArray(picture.data(), rows, columns, sampleBytes, orientation, actual.data(), destinationRows,
                               1);
            EXPECT_EQ(expected, actual) << "picture, " << sampleBytes << " bytes, orientation " << o;

            std::fill(expected.begin(), expected.end(), kUntouched);
            std::fill(actual.begin(), actual.end(), kUntouched);
            job.channels = 1;
            job.destination = expected.data() + 2 * destinationRows * columns * sampleBytes;
            if (sampleBytes == 2) {
                referenceCopy<std::uint16_t>(job);
            } else {
                referenceCopy<std::uint8_t>(job);
            }
            copyPlaneToArray(picture.data(), rows, columns, sampleBytes, orientation, actual.data(), destinationRows, 2);
            EXPECT_EQ(expected, actual) << "plane, " << sampleBytes << " bytes, orientation " << o;
        }
    }
}

}  // namespace
}  // namespace qorin
