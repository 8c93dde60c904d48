// tiff_file.h - a multipage TIFF written page by page, a valid file after every page.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/native_path.h"
#include "platform/output_file.h"

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
    // names the pattern of the image as written.  Reversed rows cost no copy (the rows go to
    // the file last one first, in one gathered write); reversed columns go through a buffer of
    // rows.
    bool rowsReversed = false;
    bool columnsReversed = false;
};

// Where a page's parts go, in this order from `directoryAt`: its directory, its description
// when it does not fit in its entry, the arrays of its strips' offsets and byte counts when
// there is more than one strip, and its samples.
struct TiffPageLayout {
    static constexpr std::uint32_t kNoMosaic = 0xFFFFFFFFu;
    std::uint32_t width;
    std::uint32_t height;
    std::uint16_t bitsPerSample;
    std::uint32_t mosaic;  // CFAPattern bytes, or kNoMosaic
    std::uint64_t rowBytes;
    std::uint32_t rowsPerStrip;
    std::uint32_t strips;
    std::uint64_t directoryAt;
    std::uint64_t directoryBytes;
    std::uint64_t descriptionAt;     // 0 when the description sits in its entry
    std::uint32_t descriptionBytes;  // with its terminating zero
    std::uint64_t offsetsAt;
    std::uint64_t countsAt;
    std::uint64_t samplesAt;
    std::uint64_t samplesBytes;
};

// The layout of `page` with a description of `descriptionBytes` (its zero included), its
// directory at `at` of a classic TIFF or a BigTIFF; throws std::invalid_argument for a mosaic
// other than 2x2 of R, G and B.
TiffPageLayout layoutPage(const TiffPage& page, std::size_t descriptionBytes, std::uint64_t at, bool bigTiff);

// A failed write or open: the file still holds every page appended before it.
class TiffWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes each page at the end of the file, its directory first and its samples last, and links
// it in only once it is wholly written, so that a reader opening the file at any moment, or
// after a crash or a full disk, finds every page appended so far.  Classic TIFF until the file
// would pass 4 GB; then the pages already written get BigTIFF directories and the header
// switches to BigTIFF in one 16-byte write, and later pages are BigTIFF pages.  A page's rows lie
// top row first, one after another, in strips of at most about 1 MiB: ImageJ reads a page as one
// block from its first strip, whatever the strips say.  Its directory comes before its samples:
// tifffile takes an ImageJ file's pages as one block from the first page's samples on unless
// the second page's directory lies inside that block.
//
// The first page's description begins with room for ImageJ's lines, which finish() fills in:
// the number of images and frames and the time between frames, so that ImageJ shows the pages as
// a time series.  Until then (a file cut short) they read as a plain stack.
class TiffFile {
public:
    // The largest end of file a classic TIFF can address.
    static constexpr std::uint64_t kClassicLimit = 0xFFFFFFFFull;

    // Creates the file, or empties an existing one; throws TiffWriteError when it cannot.  `name`
    // is the file as messages name it (UTF-8).  `classicLimit` below kClassicLimit moves the
    // switch to BigTIFF earlier (tests).
    TiffFile(const platform::NativePath& path, std::string name, std::uint64_t classicLimit = kClassicLimit);
    // Closes the file without ImageJ's lines, as one cut short; one without a page is deleted.
    ~TiffFile();
    TiffFile(const TiffFile&) = delete;
    TiffFile& operator=(const TiffFile&) = delete;

    // Appends one page; throws TiffWriteError when the file cannot take it, after which the
    // file is valid up to the page before and takes no more pages.
    void append(const TiffPage& page);
    // Writes ImageJ's lines, with `frameInterval` seconds between frames (0 when unknown), and
    // closes the file; a file without a page is deleted instead.  The lines are left out when
    // the pages differ in size or depth, or the file turned BigTIFF, which ImageJ does not read.
    // Throws TiffWriteError when they cannot be written; the file is closed all the same, with
    // its pages.  Later calls do nothing.
    void finish(double frameInterval);

    std::uint64_t pages() const { return pages_; }
    bool bigTiff() const { return big_; }
    // Bytes in the file, unlinked remains of a failed page not counted.
    std::uint64_t bytes() const { return end_; }

private:
    void buildHead(const TiffPageLayout& page, const std::string& description);
    void writeSamples(const TiffPage& page, const TiffPageLayout& layout);
    void switchToBigTiff();
    bool close();
    void failed(const char* what);

    platform::OutputFile file_;
    std::string name_;
    std::uint64_t classicLimit_;
    bool big_ = false;
    bool broken_ = false;
    bool finished_ = false;
    std::uint64_t end_ = 0;       // where the next page goes
    std::uint64_t linkAt_ = 0;    // the offset field that points at the next directory
    std::uint64_t pages_ = 0;
    // The first page's description, whose first bytes are kept for ImageJ's lines, and whether
    // every page has the first one's size and depth.
    std::uint64_t firstDescriptionAt_ = 0;
    bool uniform_ = true;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::uint16_t bitsPerSample_ = 0;
    // Buffers kept from page to page: a page's directory with what follows it, the pieces of its
    // write, and reversed rows on their way to the file.
    std::vector<std::uint8_t> head_;
    std::vector<platform::WritePiece> pieces_;
    std::vector<std::uint8_t> rows_;
};

}  // namespace qorin
