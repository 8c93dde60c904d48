// tiff_file.h - a multipage TIFF written page by page, a valid file after every page.
#pragma once

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/native_path.h"

namespace qorin {

// One page as the camera delivers it: `height` rows one after another, each of `width`
// samples of 8 or 16 bits (16-bit samples in the machine's order, little-endian on every
// processor the module is built for).
struct TiffPage {
    const void* samples = nullptr;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bitsPerSample = 8;
    // The colour filter of the top-left 2x2 samples, row by row ("RGGB", "GBRG", ...), or
    // empty for a monochrome sensor.
    std::string mosaic;
    // Free text stored with the page (ImageDescription).
    std::string description;
    // How the image the page shows lies in `samples`: with rowsReversed its first row is the
    // samples' last one (a sensor read out bottom row first), with columnsReversed each of its
    // rows is the samples' row read right to left.  `mosaic` stays the samples' own; the page
    // names the pattern of the image as written.  Reversed rows cost no copy (the page is
    // written as it is, one strip per row, the strips listed last row first); reversed columns
    // go through a buffer of rows.
    bool rowsReversed = false;
    bool columnsReversed = false;
};

// A failed write or open: the file still holds every page appended before it.
class TiffWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes pages at the end of the file and links each one in only once it is wholly written
// and flushed, so that a reader opening the file at any moment, or after a crash or a full
// disk, finds every page appended so far.  Classic TIFF until the file would pass 4 GB; then
// the pages already written get BigTIFF directories and the header switches to BigTIFF in
// one 16-byte write, and later pages are BigTIFF pages.
class TiffFile {
public:
    // The largest end of file a classic TIFF can address.
    static constexpr std::uint64_t kClassicLimit = 0xFFFFFFFFull;

    // Creates the file, or empties an existing one; throws TiffWriteError when it cannot.  `name`
    // stands for the file in the messages.  `classicLimit` below kClassicLimit moves the switch
    // to BigTIFF earlier (tests).
    TiffFile(const platform::NativePath& path, const std::string& name, std::uint64_t classicLimit = kClassicLimit);
    TiffFile(const TiffFile&) = delete;
    TiffFile& operator=(const TiffFile&) = delete;

    // Appends one page; throws TiffWriteError when the file cannot take it, after which the
    // file is valid up to the page before and takes no more pages.
    void append(const TiffPage& page);

    std::uint64_t pages() const { return pages_.size(); }
    bool bigTiff() const { return big_; }
    // Bytes in the file, unlinked remains of a failed page not counted.
    std::uint64_t bytes() const { return end_; }

private:
    // What a page's directory is made from, kept so that the directory can be written again
    // in BigTIFF form.
    struct PageRecord {
        std::uint64_t stripOffset;  // the first byte of the page's samples
        std::uint64_t stripBytes;   // all of them
        // One strip per row, listed last row first: the arrays of their offsets (LONG8 in a
        // page written as BigTIFF, else LONG, whose values a BigTIFF directory may keep) and
        // of their byte counts (LONG), where they are when they do not fit in their entry.
        bool stripPerRow;
        bool offsetsLong8;
        std::uint64_t offsetsAt;
        std::uint64_t countsAt;
        std::uint64_t descriptionOffset;
        std::uint32_t descriptionBytes;  // with its terminating zero
        std::uint64_t descriptionInline;  // its first 8 bytes, for a text short enough to sit in its entry
        std::uint32_t width;
        std::uint32_t height;
        std::uint16_t bitsPerSample;
        std::uint32_t mosaic;  // CFAPattern bytes, or kNoMosaic
    };

    std::vector<std::uint8_t> directory(const PageRecord& page, std::uint64_t next) const;
    std::uint64_t directoryBytes(const PageRecord& page) const;
    void switchToBigTiff();
    void writeColumnsReversed(const TiffPage& page, std::uint64_t offset);
    void writeAt(std::uint64_t offset, const void* data, std::size_t bytes);
    void flush();
    void failed(const char* what);

    std::fstream file_;
    std::string path_;
    std::uint64_t classicLimit_;
    bool big_ = false;
    bool broken_ = false;
    std::uint64_t end_ = 0;       // where the next page goes
    std::uint64_t linkAt_ = 0;    // the offset field that points at the next directory
    std::vector<PageRecord> pages_;
    std::vector<std::uint8_t> rows_;  // reversed rows on their way to the file
};

}  // namespace qorin
