// kernels_picture_in_place_test.cpp - a picture arranged in the slab it lies in, against the reference copy.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "kernels/frame_copy.h"
#include "tests/unit/reference_copy.h"

namespace qorin {
namespace {

struct Size {
    std::size_t rows;
    std::size_t columns;
};

// Single pixels, rows and columns, odd and even sides.
constexpr Size kSmallSizes[] = {{1, 1}, {1, 7}, {7, 1}, {3, 5}, {5, 3}, {4, 6}, {9, 13}};
// Cut into several bands when the work memory is short, with rows left over.
constexpr Size kTallSizes[] = {{70, 11}, {131, 5}};

// The work memory offered, from the least a picture needs up to a whole picture: it decides
// the length of the runs moved at once and whether rows are left over.
std::vector<std::size_t> enoughWork(Size size, unsigned sampleBytes) {
    const std::size_t least = pictureArrangeWorkBytes(size.rows, size.columns, sampleBytes);
    const std::size_t plane = size.rows * size.columns * sampleBytes;
    return {least, least + least / 2, 4 * least, plane, 3 * plane};
}

std::vector<std::size_t> tooLittleWork(Size size, unsigned sampleBytes) {
    return {pictureArrangeWorkBytes(size.rows, size.columns, sampleBytes) - 1};
}

// A blue-green-red picture arranged in place in every orientation with `workBytes` of work
// memory must come out as the reference copy into a separate slab does, or, refused for too
// little work memory, be left as it was.
template <typename Sample>
void checkInPlace(Size size, std::size_t workBytes) {
    const unsigned sampleBytes = sizeof(Sample);
    const std::size_t least = pictureArrangeWorkBytes(size.rows, size.columns, sampleBytes);
    std::vector<Sample> picture(3 * size.rows * size.columns);
    for (std::size_t k = 0; k < picture.size(); ++k) picture[k] = static_cast<Sample>(k * 7919u + 13u);
    for (int flip = 0; flip < 4; ++flip) {
        const Orientation o{(flip & 2) != 0, (flip & 1) != 0};
        std::vector<Sample> expected(picture.size());
        CopyJob job;
        job.source = picture.data();
        job.rows = size.rows;
        job.columns = size.columns;
        job.channels = 3;
        job.orientation = o;
        job.destination = expected.data();
        job.destinationRows = size.rows;
        referenceCopy<Sample>(job);

        std::vector<Sample> slab(picture);
        std::vector<std::uint64_t> work(workBytes / 8 + 1, 0xDEADBEEFu);
        const bool arranged =
            arrangePictureInPlace(slab.data(), size.rows, size.columns, sampleBytes, o, work.data(), workBytes);
        EXPECT_EQ(arranged, workBytes >= least);
        EXPECT_EQ(slab, arranged ? expected : picture)
            << size.rows << "x" << size.columns << " in place, work " << workBytes << " of at least " << least
            << " rows reversed " << o.rowsReversed << " columns reversed " << o.colsReversed << " bytes "
            << sampleBytes;
    }
}

// Every size in 8 and 16 bits, with each work memory `offered` gives it.
template <typename Sizes, typename Offered>
void checkSizes(const Sizes& sizes, Offered offered) {
    for (const Size& size : sizes) {
        for (std::size_t workBytes : offered(size, 1)) checkInPlace<std::uint8_t>(size, workBytes);
        for (std::size_t workBytes : offered(size, 2)) checkInPlace<std::uint16_t>(size, workBytes);
    }
}

TEST(PictureInPlace, SmallPicturesMatchTheCopyIntoASeparateSlab) { checkSizes(kSmallSizes, enoughWork); }

TEST(PictureInPlace, TallPicturesMatchItInBandsWithRowsLeftOver) { checkSizes(kTallSizes, enoughWork); }

TEST(PictureInPlace, TooLittleWorkMemoryLeavesThePictureAsItWas) {
    checkSizes(kSmallSizes, tooLittleWork);
    checkSizes(kTallSizes, tooLittleWork);
}

}  // namespace
}  // namespace qorin
