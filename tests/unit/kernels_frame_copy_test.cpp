// kernels_frame_copy_test.cpp - the copies against a reference loop; the geometry, orientation and mono rules.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "kernels/frame_copy.h"

namespace qorin {
namespace {

// Reference: element (row, col, plane, slab) of a column-major [destRows, columns, planes, slabs] array.
std::size_t referenceIndex(std::size_t row, std::size_t col, std::size_t plane, std::size_t slab,
                           std::size_t destRows, std::size_t columns, std::size_t planes) {
    return ((slab * planes + plane) * columns + col) * destRows + row;
}

// The copies written out the slow, obvious way, from the rules rather than from the code.
template <typename Sample>
std::vector<Sample> referenceCopy(const std::vector<Sample>& source, std::size_t rows, std::size_t columns,
                                  bool picture, Orientation o, std::size_t destRows, std::size_t slab,
                                  std::size_t slabs, Sample fill) {
    const std::size_t planes = picture ? 3 : 1;
    std::vector<Sample> out(destRows * columns * planes * slabs, fill);
    for (std::size_t i = 0; i < rows; ++i) {
        for (std::size_t j = 0; j < columns; ++j) {
            std::size_t row = o.rowsReversed ? rows - 1 - i : i;
            std::size_t col = o.colsReversed ? columns - 1 - j : j;
            for (std::size_t p = 0; p < planes; ++p) {
                // Picture samples are blue, green, red; MATLAB planes red, green, blue.
                Sample v = picture ? source[3 * (i * columns + j) + (2 - p)] : source[i * columns + j];
                out[referenceIndex(row, col, p, slab, destRows, columns, planes)] = v;
            }
        }
    }
    return out;
}

template <typename Sample>
void checkAgainstReference(std::size_t rows, std::size_t columns, std::size_t destRows, std::size_t slab,
                           std::size_t slabs) {
    const unsigned sampleBytes = sizeof(Sample);
    const Sample fill = static_cast<Sample>(0xA5A5u);  // marks elements the copy must not touch
    for (bool picture : {false, true}) {
        std::vector<Sample> source(rows * columns * (picture ? 3 : 1));
        for (std::size_t k = 0; k < source.size(); ++k) source[k] = static_cast<Sample>(k * 7919u + 13u);
        for (int flip = 0; flip < 4; ++flip) {
            Orientation o;
            o.rowsReversed = (flip & 2) != 0;
            o.colsReversed = (flip & 1) != 0;
            std::vector<Sample> expected =
                referenceCopy(source, rows, columns, picture, o, destRows, slab, slabs, fill);
            std::vector<Sample> actual(expected.size(), fill);
            if (picture) {
                copyPictureToArray(source.data(), rows, columns, sampleBytes, o, actual.data(), destRows, slab);
            } else {
                copyPlaneToArray(source.data(), rows, columns, sampleBytes, o, actual.data(), destRows, slab);
            }
            EXPECT_EQ(actual, expected) << rows << "x" << columns << " dest rows " << destRows << " slab " << slab
                                        << " picture " << picture << " flip " << flip << " bytes " << sampleBytes;
        }
    }
}

TEST(FrameCopy, MatchesTheReferenceOnOddAndDegenerateSizes) {
    const std::size_t sizes[][2] = {{1, 1}, {1, 7}, {7, 1}, {3, 5}, {5, 3}, {4, 6}, {9, 13}, {70, 11}, {131, 5}};
    for (const auto& s : sizes) {
        checkAgainstReference<std::uint8_t>(s[0], s[1], s[0], 0, 1);
        checkAgainstReference<std::uint16_t>(s[0], s[1], s[0], 0, 1);
        // Later slabs of a 4-D array, leaving earlier ones alone.
        checkAgainstReference<std::uint8_t>(s[0], s[1], s[0], 2, 3);
        checkAgainstReference<std::uint16_t>(s[0], s[1], s[0], 1, 2);
        // A taller array (synchronous snapshots): the rows the frame lacks are not written.
        checkAgainstReference<std::uint8_t>(s[0], s[1], s[0] + 2, 1, 2);
        checkAgainstReference<std::uint16_t>(s[0], s[1], s[0] + 3, 0, 2);
    }
}

TEST(FrameCopy, EmptyFramesWriteNothing) {
    std::vector<std::uint8_t> out(4, 9);
    copyPlaneToArray(nullptr, 0, 5, 1, Orientation{true, true}, out.data(), 0, 0);
    copyPictureToArray(nullptr, 3, 0, 2, Orientation{true, true}, out.data(), 3, 0);
    EXPECT_EQ(out, std::vector<std::uint8_t>(4, 9));
}

TEST(FrameOrientation, FollowsFlippingAndAlwaysReversesColourRows) {
    struct Case {
        float flipping, colour;
        bool rows, cols;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {{0, 0, false, false}, {1, 0, false, true},  {2, 0, true, false},  {3, 0, true, true},
                          {1.5f, 0, false, false}, {-1, 0, false, false}, {nan, 0, false, false},
                          {0, 1, true, false},  {1, 1, true, true},   {2, 1, true, false},  {3, 1, true, true},
                          {0, nan, true, false}, {0, -0.0f, false, false}};
    for (const Case& c : cases) {
        Orientation o = frameOrientation(c.flipping, c.colour);
        EXPECT_EQ(o.rowsReversed, c.rows) << c.flipping << " " << c.colour;
        EXPECT_EQ(o.colsReversed, c.cols) << c.flipping << " " << c.colour;
    }
}

FrameFormat format(std::uint32_t width, std::uint32_t height, std::uint16_t xBin, std::uint16_t yBin,
                   std::uint32_t pixelFormat) {
    FrameFormat f{};
    f.width = width;
    f.height = height;
    f.xBinSub = xBin;
    f.yBinSub = yBin;
    f.pixelFormat = pixelFormat;
    return f;
}

TEST(FrameGeometry, DividesTruncatesAndCountsBytes) {
    FrameGeometry g = frameGeometry(format(1280, 1024, 2, 2, 0));
    EXPECT_TRUE(g.valid);
    EXPECT_EQ(g.columns, 640u);
    EXPECT_EQ(g.rows, 512u);
    EXPECT_EQ(g.rawBytes, 640u * 512u);
    EXPECT_EQ(g.pictureBytes, 3u * 640u * 512u);
    g = frameGeometry(format(641, 481, 2, 3, 1));
    EXPECT_EQ(g.columns, 320u);
    EXPECT_EQ(g.rows, 160u);
    EXPECT_EQ(g.sampleBytes, 2u);
    EXPECT_EQ(g.rawBytes, 2u * 320u * 160u);
}

TEST(FrameGeometry, ZeroFactorsAreInvalidAndHugeSizesSaturate) {
    EXPECT_FALSE(frameGeometry(format(640, 480, 0, 1, 0)).valid);
    EXPECT_FALSE(frameGeometry(format(640, 480, 1, 0, 0)).valid);
    const std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    FrameGeometry g = frameGeometry(format(0xFFFFFFFFu, 0xFFFFFFFFu, 1, 1, 1));
    EXPECT_EQ(g.samples, 0xFFFFFFFFull * 0xFFFFFFFFull);
    EXPECT_EQ(g.rawBytes, max);
    EXPECT_EQ(g.pictureBytes, max);
    g = frameGeometry(format(0xFFFFFFFFu, 0x7FFFFFFFu, 1, 1, 0));  // raw fits, picture does not
    EXPECT_EQ(g.rawBytes, 0xFFFFFFFFull * 0x7FFFFFFFull);
    EXPECT_EQ(g.pictureBytes, max);
}

TEST(MonoPicture, ReplicatesBytesAndExchangesOrMasksWords) {
    const std::uint8_t bytes[] = {10, 200};
    std::uint8_t picture8[6] = {};
    buildMonoPicture(bytes, 2, 1, 0x80000000u, picture8);
    EXPECT_EQ(std::vector<std::uint8_t>(picture8, picture8 + 6), (std::vector<std::uint8_t>{10, 10, 10, 200, 200, 200}));

    const std::uint16_t words[] = {0x1234, 0xFFFF};
    std::uint16_t picture16[6] = {};
    for (std::uint32_t flags : {0u, 1u, 0x80000001u, 0xFFFFFFFFu}) {
        buildMonoPicture(words, 2, 2, flags, picture16);
        EXPECT_EQ(std::vector<std::uint16_t>(picture16, picture16 + 6),
                  (std::vector<std::uint16_t>{0x3410, 0x3410, 0x3410, 0xFFF0, 0xFFF0, 0xFFF0}))
            << flags;
    }
    buildMonoPicture(words, 2, 2, 0x80000000u, picture16);
    EXPECT_EQ(std::vector<std::uint16_t>(picture16, picture16 + 6),
              (std::vector<std::uint16_t>{0x1230, 0x1230, 0x1230, 0xFFF0, 0xFFF0, 0xFFF0}));
}

TEST(WidenSamples, KeepsValues) {
    const std::uint8_t in[] = {0, 1, 255};
    std::uint16_t out[3] = {7, 7, 7};
    widenSamples(in, out, 3);
    EXPECT_EQ(std::vector<std::uint16_t>(out, out + 3), (std::vector<std::uint16_t>{0, 1, 255}));
}

}  // namespace
}  // namespace qorin
