// picture_in_place.cpp - a blue-green-red picture turned into the red, green and blue planes of the slab it lies in.
//
// The SDK converts a whole frame at once, so a picture built straight into its slab of the
// result would otherwise need a second picture-sized buffer to be copied from.  Here the slab
// is cut into bands of k rows.  Each band is transposed within its own bytes through a
// band-sized scratch, which leaves every run of k samples of one column of one plane
// contiguous, only not yet where it belongs; the runs are then moved to their places along
// the cycles of that permutation, a bitmap recording the runs already placed.  Rows that do
// not fill a last band wait, transposed, in the work memory; at the end the columns are
// spread out to their full length to make room for them.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "acquisition/copy_kernels.h"
#include "acquisition/frame_copy.h"

namespace qorin {
namespace {

// Runs of up to 1 KiB: the longer the runs, the fewer the jumps of the cycles across the
// slab, each a cache miss, while a band (3 * columns KiB) still stays in the last-level
// cache while it is transposed.  Measured faster than 256- and 512-byte runs at 2048x1536
// and 4096x3072, 8- and 16-bit.
constexpr std::size_t kRunBytes = 1024;
// Runs placed ahead of the one being moved whose lines are asked for early: the cycles jump
// across the whole slab, so every source line would otherwise be a full miss.
constexpr std::size_t kPrefetchRuns = 8;

// How the work memory is used for runs of `runRows` rows.
struct Layout {
    std::size_t runRows = 0;
    std::size_t bands = 0;         // whole bands of runRows rows
    std::size_t leftoverRows = 0;  // rows below the last whole band
    std::size_t leftoverBytes = 0; // those rows, transposed, at the start of the work memory
    std::size_t bandBytes = 0;     // one band; its scratch follows the leftover rows
    std::size_t bitmapOffset = 0;  // the placed-runs bitmap, over the band scratch once it is done
    std::size_t bitmapWords = 0;
    std::size_t workBytes = 0;
};

Layout layout(std::size_t rows, std::size_t columns, unsigned sampleSize, std::size_t runRows) {
    Layout l;
    l.runRows = runRows;
    l.bands = rows / runRows;
    l.leftoverRows = rows % runRows;
    const std::size_t rowBytes = 3 * columns * sampleSize;
    l.leftoverBytes = l.leftoverRows * rowBytes;
    l.bandBytes = runRows * rowBytes;
    l.bitmapOffset = (l.leftoverBytes + 7) / 8 * 8;
    l.bitmapWords = (l.bands * 3 * columns + 63) / 64;
    l.workBytes = std::max(l.leftoverBytes + l.bandBytes, l.bitmapOffset + 8 * l.bitmapWords);
    return l;
}

std::size_t longestRunRows(std::size_t rows, unsigned sampleSize) {
    return std::min<std::size_t>(std::max<std::size_t>(kRunBytes / sampleSize, 1), rows);
}

// The layout with the longest runs that fits `workBytes`, preferring runs that divide the
// rows (no spreading of the columns at the end) unless they would be less than half as long.
// runRows is 0 when nothing fits.
Layout chooseLayout(std::size_t rows, std::size_t columns, unsigned sampleSize, std::size_t workBytes) {
    const std::size_t longest = longestRunRows(rows, sampleSize);
    Layout chosen;
    for (std::size_t k = longest; k >= 1; --k) {
        const Layout l = layout(rows, columns, sampleSize, k);
        if (l.workBytes > workBytes) continue;
        if (chosen.runRows == 0) chosen = l;
        if (l.leftoverRows == 0 && 2 * k > longest) return l;
        if (2 * k <= longest) break;
    }
    return chosen;
}

bool placed(const std::uint64_t* bitmap, std::size_t run) { return ((bitmap[run / 64] >> (run % 64)) & 1u) != 0; }
void markPlaced(std::uint64_t* bitmap, std::size_t run) { bitmap[run / 64] |= std::uint64_t{1} << (run % 64); }

// Moves the runs of `bands` x `runsPerBand` (band-major, each band one place early, the
// first band last) into runsPerBand x bands order, the bands reversed when `reversed`.
void placeRuns(std::uint8_t* data, std::size_t bands, std::size_t runsPerBand, std::size_t runBytes, bool reversed,
               std::uint64_t* bitmap, std::size_t bitmapWords) {
    std::fill(bitmap, bitmap + bitmapWords, std::uint64_t{0});
    // The run that belongs at `target`.
    const auto sourceOf = [&](std::size_t target) {
        const std::size_t run = target / bands;
        const std::size_t band = target - run * bands;
        const std::size_t wanted = reversed ? bands - 1 - band : band;
        return (wanted == 0 ? bands - 1 : wanted - 1) * runsPerBand + run;
    };
    const auto prefetch = [&](std::size_t run) {
        const std::uint8_t* line = data + run * runBytes;
        for (std::size_t b = 0; b < runBytes; b += 64) QORIN_PREFETCH(line + b);
    };
    alignas(64) std::uint8_t held[kRunBytes];
    const std::size_t count = bands * runsPerBand;
    for (std::size_t start = 0; start < count; ++start) {
        if (placed(bitmap, start)) continue;
        std::size_t from = sourceOf(start);
        if (from == start) continue;
        std::size_t ahead = from;
        for (std::size_t d = 0; d < kPrefetchRuns && ahead != start; ++d) {
            prefetch(ahead);
            ahead = sourceOf(ahead);
        }
        std::memcpy(held, data + start * runBytes, runBytes);
        std::size_t to = start;
        while (from != start) {
            std::memcpy(data + to * runBytes, data + from * runBytes, runBytes);
            markPlaced(bitmap, to);
            to = from;
            from = sourceOf(to);
            if (ahead != start) {
                prefetch(ahead);
                ahead = sourceOf(ahead);
            }
        }
        std::memcpy(data + to * runBytes, held, runBytes);
        markPlaced(bitmap, to);
    }
}

}  // namespace

std::size_t pictureArrangeWorkBytes(std::size_t rows, std::size_t columns, unsigned sampleSize) {
    if (rows == 0 || columns == 0) return 0;
    std::size_t least = layout(rows, columns, sampleSize, 1).workBytes;
    for (std::size_t k = 2, longest = longestRunRows(rows, sampleSize); k <= longest; ++k) {
        least = std::min(least, layout(rows, columns, sampleSize, k).workBytes);
    }
    return least;
}

bool arrangePictureInPlace(void* slab, std::size_t rows, std::size_t columns, unsigned sampleSize,
                           Orientation orientation, void* work, std::size_t workBytes) {
    if (rows == 0 || columns == 0) return true;
    const Layout l = chooseLayout(rows, columns, sampleSize, workBytes);
    if (l.runRows == 0) return false;
    auto* data = static_cast<std::uint8_t*>(slab);
    auto* scratch = static_cast<std::uint8_t*>(work);
    const std::size_t mainRows = l.bands * l.runRows;
    const std::size_t runsPerBand = 3 * columns;

    // The rows below the last band leave first: the columns will be spread over their place.
    if (l.leftoverRows != 0) {
        copyPictureToArray(data + l.bands * l.bandBytes, l.leftoverRows, columns, sampleSize, orientation, scratch,
                           l.leftoverRows, 0);
    }
    // The first band waits in the scratch; every later one is transposed into the place of
    // the one before it, and the first into the last place: one pass over the bands.
    std::uint8_t* bandScratch = scratch + l.leftoverBytes;
    if (l.bands != 0) std::memcpy(bandScratch, data, l.bandBytes);
    for (std::size_t b = 1; b < l.bands; ++b) {
        copyPictureToArray(data + b * l.bandBytes, l.runRows, columns, sampleSize, orientation,
                           data + (b - 1) * l.bandBytes, l.runRows, 0);
    }
    if (l.bands != 0) {
        copyPictureToArray(bandScratch, l.runRows, columns, sampleSize, orientation,
                           data + (l.bands - 1) * l.bandBytes, l.runRows, 0);
    }
    if (l.bands > 1) {  // a single band is in place already
        placeRuns(data, l.bands, runsPerBand, l.runRows * sampleSize, orientation.rowsReversed,
                  reinterpret_cast<std::uint64_t*>(scratch + l.bitmapOffset), l.bitmapWords);
    }
    if (l.leftoverRows == 0) return true;

    // Columns of mainRows samples become columns of `rows`, the last first so that none is
    // overwritten before it has moved; reversed rows put the leftover rows at the top.
    const std::size_t mainBytes = mainRows * sampleSize;
    const std::size_t leftoverColumnBytes = l.leftoverRows * sampleSize;
    const std::size_t columnBytes = rows * sampleSize;
    const std::size_t mainAt = orientation.rowsReversed ? leftoverColumnBytes : 0;
    const std::size_t leftoverAt = orientation.rowsReversed ? 0 : mainBytes;
    for (std::size_t j = runsPerBand; j-- > 0;) {
        std::uint8_t* column = data + j * columnBytes;
        if (mainBytes != 0) std::memmove(column + mainAt, data + j * mainBytes, mainBytes);
        std::memcpy(column + leftoverAt, scratch + j * leftoverColumnBytes, leftoverColumnBytes);
    }
    return true;
}

}  // namespace qorin
