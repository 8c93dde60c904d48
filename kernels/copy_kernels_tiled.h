// copy_kernels_tiled.h - the blocked transpose driver shared by the copy kernels.
//
// Everything here has internal linkage on purpose: each kernel file is compiled with its
// own instruction set, and a shared inline definition could let the linker hand AVX2 code
// to a processor without it.  For the same reason these files use no standard-library
// templates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kernels/copy_kernels.h"

namespace qorin {
namespace {

inline std::size_t smaller(std::size_t a, std::size_t b) { return a < b ? a : b; }

// One 16-bit sample through a rule.
template <WordRule kRule>
inline std::uint16_t ruledWord(std::uint16_t word) {
    if (kRule == WordRule::kExchangeMask) word = static_cast<std::uint16_t>((word << 8) | (word >> 8));
    if (kRule != WordRule::kUnchanged) word = static_cast<std::uint16_t>(word & 0xFFF0u);
    return word;
}

// Rows [first, last) of every column of the first plane, copied into the job's other
// copies of it.  The plane is still cached when this runs right after it was written.
template <typename Sample>
void replicateRows(const CopyJob& job, std::size_t first, std::size_t last) {
    if (job.copies <= 1 || first >= last) return;
    auto* base = static_cast<Sample*>(job.destination);
    const std::size_t plane = job.destinationRows * job.columns;
    for (unsigned copy = 1; copy < job.copies; ++copy) {
        Sample* to = base + copy * plane;
        if (first == 0 && last == job.destinationRows) {
            std::memcpy(to, base, plane * sizeof(Sample));
            continue;
        }
        for (std::size_t j = 0; j < job.columns; ++j) {
            const std::size_t at = j * job.destinationRows + first;
            std::memcpy(to + at, base + at, (last - first) * sizeof(Sample));
        }
    }
}

// Where the destination column of source element e (sample e of a row) starts, in
// samples from the slab base.  For a picture, element e is channel e % 3 of pixel e / 3,
// and channel 0 (blue) belongs in plane 2.
template <bool kPicture>
struct ColumnMap {
    std::size_t columns;
    std::size_t destinationRows;
    std::size_t planeSamples;
    bool reversed;

    std::size_t offset(std::size_t e) const {
        std::size_t column = e;
        std::size_t plane = 0;
        if (kPicture) {
            column = e / 3;
            plane = 2 - (e - 3 * column);
        }
        if (reversed) column = columns - 1 - column;
        return plane * planeSamples + column * destinationRows;
    }
};

template <bool kPicture>
ColumnMap<kPicture> columnMap(const CopyJob& job) {
    return {job.columns, job.destinationRows, job.destinationRows * job.columns, job.orientation.colsReversed};
}

// Source row feeding destination row r is sourceRow0 + r * rowStep.
template <typename Sample>
struct SourceRows {
    const Sample* row0;
    std::ptrdiff_t step;
};

template <typename Sample>
SourceRows<Sample> sourceRows(const CopyJob& job, std::size_t elements) {
    const auto* source = static_cast<const Sample*>(job.source);
    const auto width = static_cast<std::ptrdiff_t>(elements);
    if (job.orientation.rowsReversed) return {source + (job.rows - 1) * elements, -width};
    return {source, width};
}

// Where a tile's columns go, computed in the tile from a pointer and steps rather than read
// from a table of places: with a table, filling and reading it cost nearly as much as the
// unpacks.  A plane's columns and the staged lines are evenly spaced.
template <typename Sample>
struct ColumnStride {
    Sample* first;
    std::ptrdiff_t step;
    Sample* operator()(std::size_t k) const { return first + static_cast<std::ptrdiff_t>(k) * step; }
};

// A picture's columns for a tile whose first element is channel kPhase of its pixel: the
// places follow from the red place of that pixel, so no table is read per column.
template <typename Sample, std::size_t kPhase>
struct ColumnPicture {
    Sample* red;  // the first pixel's column in plane 0
    std::ptrdiff_t step;
    std::ptrdiff_t plane;
    Sample* operator()(std::size_t k) const {
        const auto pixel = static_cast<std::ptrdiff_t>((kPhase + k) / 3);
        const auto toPlane = static_cast<std::ptrdiff_t>(2 - (kPhase + k) % 3);
        return red + pixel * step + toPlane * plane;
    }
};

// Tile supplies:
//   Sample, kRows, kElements: one register transpose of kRows destination rows by
//     kElements source elements;
//   transpose(first, step, out): loads rows first, first + step, ... and writes kRows
//     samples to each of out(0) .. out(kElements - 1), each through the job's word rule;
//   fence(): orders the streamed lines before the copy returns;
//   kWholeLines: whether each column a transpose writes is exactly one 64-byte line.
//   Tiles that are not whole lines stage the lines they stream and supply
//     streamLine(destination, line): one 64-byte line past the caches (both 64-byte aligned).
//   Tiles of whole lines need no staging, each register going out as it is, and supply
//     streamLines(first, step, out, copies, copyStep): the transpose writing every column
//     past the caches to out(k) and to the `copies` - 1 places copyStep samples after it;
//     transposeRows(first, step, out, keepFirst, keepLast), which writes only rows
//     [keepFirst, keepLast) of the tile, so the partial lines at the ends of a column never
//     touch the whole lines streamed between them.
// Tiles at the right and bottom edges are moved back to overlap the previous ones, so
// every tile lies inside the frame and no sample is written outside rows [0, rows).
// The fallback handles frames smaller than one tile, copies and rule included.
// kSourceLines is the number of lines of each source row gathered in one visit.
template <typename Tile, bool kPicture, std::size_t kSourceLines = 1>
void tiledCopy(const CopyJob& job, CopyKernel fallback) {
    using Sample = typename Tile::Sample;
    constexpr std::size_t kTileRows = Tile::kRows;
    constexpr std::size_t kTileElements = Tile::kElements;
    constexpr std::size_t kLine = 64 / sizeof(Sample);   // destination rows per cache line
    constexpr std::size_t kChunk = kSourceLines * 64 / sizeof(Sample);  // source elements per visit
    // Two lines of every destination column per visit: the longer runs suit the memory
    // better than one, and four no longer fit the first-level cache with their source block.
    constexpr std::size_t kBand = 2 * kLine;
    static_assert(kLine % kTileRows == 0 && kChunk % kTileElements == 0, "tiles must make up whole lines");
    static_assert(kSourceLines == 1 || Tile::kWholeLines, "lines are staged for one source line at a time");

    const std::size_t rows = job.rows;
    const std::size_t elements = job.columns * (kPicture ? 3 : 1);
    if (rows == 0 || elements == 0) return;
    if (rows < kTileRows || elements < kTileElements) {
        fallback(job);
        return;
    }
    const SourceRows<Sample> source = sourceRows<Sample>(job, elements);
    const ColumnMap<kPicture> map = columnMap<kPicture>(job);
    auto* base = static_cast<Sample*>(job.destination);

    // Distance between the places of neighbouring source elements of a plane.
    const std::ptrdiff_t columnStep = job.orientation.colsReversed ? -static_cast<std::ptrdiff_t>(job.destinationRows)
                                                                   : static_cast<std::ptrdiff_t>(job.destinationRows);

    const auto planeStep = static_cast<std::ptrdiff_t>(map.planeSamples);
    // `write(out)` with the places of a tile at element e and destination row r (the staged
    // lines aside).
    auto placeTile = [&](std::size_t e, std::size_t r, const auto& write) {
        if (!kPicture) return write(ColumnStride<Sample>{base + map.offset(e) + r, columnStep});
        const std::size_t phase = e % 3;
        Sample* const red = base + map.offset(e - phase + 2) + r;
        switch (phase) {
            case 0: return write(ColumnPicture<Sample, 0>{red, columnStep, planeStep});
            case 1: return write(ColumnPicture<Sample, 1>{red, columnStep, planeStep});
            default: return write(ColumnPicture<Sample, 2>{red, columnStep, planeStep});
        }
    };
    auto pictureTile = [&](const Sample* first, std::ptrdiff_t step, std::size_t e, std::size_t r) {
        placeTile(e, r, [&](const auto& out) { Tile::transpose(first, step, out); });
    };
    // Destination rows [first, last) straight from the registers, a line's worth of rows
    // at a time so that each destination line is finished while it is still cached.
    auto direct = [&](std::size_t first, std::size_t last) {
        for (std::size_t band = first; band < last; band += kLine) {
            const std::size_t bandEnd = smaller(band + kLine, last);
            for (std::size_t e = 0; e < elements; e += kTileElements) {
                const std::size_t es = e + kTileElements <= elements ? e : elements - kTileElements;
                for (std::size_t r = band; r < bandEnd; r += kTileRows) {
                    const std::size_t rs = r + kTileRows <= rows ? r : rows - kTileRows;
                    const Sample* tile =
                        source.row0 + static_cast<std::ptrdiff_t>(rs) * source.step + static_cast<std::ptrdiff_t>(es);
                    if constexpr (Tile::kWholeLines) {
                        const std::size_t keepFirst = r - rs;
                        const std::size_t keepLast = smaller(r + kTileRows, bandEnd) - rs;
                        placeTile(es, rs, [&](const auto& out) {
                            Tile::transposeRows(tile, source.step, out, keepFirst, keepLast);
                        });
                        continue;
                    }
                    if (kPicture) {
                        pictureTile(tile, source.step, es, rs);
                    } else {
                        Tile::transpose(tile, source.step, ColumnStride<Sample>{base + map.offset(es) + rs, columnStep});
                    }
                }
            }
        }
    };

    const auto address = reinterpret_cast<std::uintptr_t>(base);
    const bool linesAligned = address % sizeof(Sample) == 0 && (job.destinationRows * sizeof(Sample)) % 64 == 0;
    const bool stream = job.streaming && linesAligned;
    // Every column starts at the same offset within a line, so the same leading rows of
    // every column come before its first whole line.  Bands that start on a line finish
    // their lines in one visit, which matters through the caches too: a line left half
    // written may be evicted before the next band completes it (1024 16-bit rows ran
    // 1.6x slower with bands off the lines).
    const std::size_t head = linesAligned ? ((64 - address % 64) % 64) / sizeof(Sample) : 0;
    if (elements < kChunk || rows < head + kBand) {
        direct(0, rows);
        replicateRows<Sample>(job, 0, rows);
        return;
    }
    const std::size_t bandsEnd = head + (rows - head) / kBand * kBand;
    // Tiles of whole lines can also take a last band of a single line, which leaves less to
    // the rows after the lines.
    const bool lastLine = Tile::kWholeLines && linesAligned && rows - bandsEnd >= kLine;
    const std::size_t linesEnd = lastLine ? bandsEnd + kLine : bandsEnd;
    direct(0, head);
    // The rows after the lines share their line with the next column's first rows: written
    // right after those, the line is still cached (and with tiles of whole lines they never
    // touch the lines streamed in between).
    const bool tailFirst = Tile::kWholeLines && linesAligned;
    if (tailFirst) direct(linesEnd, rows);

    // A block of kBand source rows by kSourceLines source lines is first gathered into the
    // first-level cache, each source line read whole and once: read in place, rows a power
    // of two apart fall into the same cache sets and would be fetched again for every tile.
    alignas(64) Sample block[kBand][kChunk];
    // Destination lines, when streaming with tiles that are not whole lines: each is
    // assembled here and written in one piece so the write-combining buffers never flush
    // half a line.
    constexpr std::size_t kStagedLines = Tile::kWholeLines ? 1 : kChunk;
    alignas(64) Sample lines[kStagedLines][kBand];
    // Ahead along each source row, four lines or two visits; may run past the row harmlessly.
    // One line per row and visit is enough: the processor fetches the lines after it.
    constexpr std::uintptr_t kPrefetchBytes = (kSourceLines == 1 ? 4 : 2 * kSourceLines) * 64;
    auto blocked = [&](std::size_t band, std::size_t bandRows) {
        for (std::size_t e = 0; e < elements; e += kChunk) {
            const std::size_t es = e + kChunk <= elements ? e : elements - kChunk;
            const Sample* from =
                source.row0 + static_cast<std::ptrdiff_t>(band) * source.step + static_cast<std::ptrdiff_t>(es);
QORIN_UNROLL(8)
            for (std::size_t q = 0; q < bandRows; ++q, from += source.step) {
                QORIN_PREFETCH(reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(from) + kPrefetchBytes));
                std::memcpy(block[q], from, sizeof block[q]);
            }
            for (std::size_t et = 0; et < kChunk; et += kTileElements) {
                Sample* const first = kPicture ? nullptr : base + map.offset(es + et) + band;
                for (std::size_t t = 0; t < bandRows; t += kTileRows) {
                    const Sample* tile = &block[t][et];
                    if (stream) {
                        if constexpr (Tile::kWholeLines) {
                            placeTile(es + et, band + t, [&](const auto& out) {
                                Tile::streamLines(tile, kChunk, out, job.copies, planeStep);
                            });
                        } else {
                            Tile::transpose(tile, kChunk, ColumnStride<Sample>{lines[et] + t, kBand});
                        }
                    } else if (kPicture) {
                        pictureTile(tile, kChunk, es + et, band + t);
                    } else {
                        Tile::transpose(tile, kChunk, ColumnStride<Sample>{first + t, columnStep});
                    }
                }
            }
            if constexpr (!Tile::kWholeLines) {
                if (stream) {
                    for (std::size_t k = 0; k < kChunk; ++k) {
                        Sample* target = base + map.offset(es + k) + band;
                        for (unsigned copy = 0; copy < job.copies; ++copy, target += map.planeSamples) {
                            for (std::size_t l = 0; l < kBand; l += kLine) Tile::streamLine(target + l, lines[k] + l);
                        }
                    }
                }
            }
        }
    };
    for (std::size_t band = head; band < bandsEnd; band += kBand) blocked(band, kBand);
    if (lastLine) blocked(bandsEnd, kLine);
    if (linesAligned) {
        if (!tailFirst) direct(linesEnd, rows);
    } else if (linesEnd < rows) {
        // Columns off the lines: the last band moved back to overlap the one before.
        // Rewriting a few rows through the caches costs less than the unblocked edge path.
        blocked(rows - kBand, kBand);
    }
    if (stream) {
        // The whole lines went to every copy already.
        replicateRows<Sample>(job, 0, head);
        replicateRows<Sample>(job, linesEnd, rows);
        Tile::fence();
    } else {
        replicateRows<Sample>(job, 0, rows);
    }
}

// The two kernels of one instruction set: `Bytes` is its 8-bit tile and `Words<rule>` its
// 16-bit tile for each rule; copies the tiles cannot take go to the portable kernels.
template <typename Bytes, template <WordRule> class Words>
struct TiledKernels {
    template <typename Tile>
    static void layoutCopy(const CopyJob& job, CopyKernel fallback) {
        if (job.channels == 3) {
            sizedCopy<Tile, true>(job, fallback);
        } else {
            sizedCopy<Tile, false>(job, fallback);
        }
    }

    // Streamed copies with tiles of whole lines gather four lines of each source row at a
    // time: with one, reading 16-bit frames from memory was the slower part (longer runs
    // along each row measured 10-15% faster at 4096x3072).  Through the caches one line
    // stays faster, the smaller block leaving room for the destination lines.
    template <typename Tile, bool kPicture>
    static void sizedCopy(const CopyJob& job, CopyKernel fallback) {
        constexpr std::size_t kWideLines = 4;
        if constexpr (Tile::kWholeLines) {
            const std::size_t elements = job.columns * (kPicture ? 3 : 1);
            if (job.streaming && elements >= kWideLines * 64 / sizeof(typename Tile::Sample)) {
                return tiledCopy<Tile, kPicture, kWideLines>(job, fallback);
            }
        }
        tiledCopy<Tile, kPicture>(job, fallback);
    }

    static void copy8(const CopyJob& job) { layoutCopy<Bytes>(job, portableCopyKernels().copy8); }

    static void copy16(const CopyJob& job) {
        const CopyKernel fallback = portableCopyKernels().copy16;
        switch (job.rule) {
            case WordRule::kUnchanged: return layoutCopy<Words<WordRule::kUnchanged>>(job, fallback);
            case WordRule::kMask: return layoutCopy<Words<WordRule::kMask>>(job, fallback);
            case WordRule::kExchangeMask: return layoutCopy<Words<WordRule::kExchangeMask>>(job, fallback);
        }
    }
};

}  // namespace
}  // namespace qorin
