// tiff_file.cpp - a multipage TIFF written page by page: data first, then its directory, then the link to it.
#include "acquisition/tiff_file.h"

#include <algorithm>
#include <cstring>
#include <ios>

namespace qorin {
namespace {

// Field types of the TIFF directory entries written here.
constexpr std::uint16_t kByte = 1;
constexpr std::uint16_t kAscii = 2;
constexpr std::uint16_t kShort = 3;
constexpr std::uint16_t kLong = 4;
constexpr std::uint16_t kRational = 5;
constexpr std::uint16_t kLong8 = 16;

constexpr std::uint32_t kNoMosaic = 0xFFFFFFFFu;

// The first bytes of the file: the classic header (8 bytes) with room behind it for the
// 16-byte BigTIFF header it may become, then the values every page shares.
constexpr char kSoftware[] = "qorincam";
constexpr std::uint64_t kSoftwareAt = 16;
constexpr std::uint64_t kResolutionAt = kSoftwareAt + sizeof kSoftware + 1;  // even
constexpr std::uint64_t kFirstPageAt = kResolutionAt + 8;
constexpr std::uint64_t kClassicLinkAt = 4;
constexpr std::uint64_t kBigLinkAt = 8;

std::uint64_t even(std::uint64_t offset) { return offset + (offset & 1u); }

void put(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int k = 0; k < bytes; ++k) out.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

// Reversed columns go to the file through a buffer of whole rows, at least one, of this size.
constexpr std::size_t kRowsBuffer = 256 * 1024;

// The CFAPattern of the page as written, its bytes (0 red, 1 green, 2 blue) packed
// little-endian, or kNoMosaic.  The page's mosaic is that of its samples; the image's first
// row is the samples' last when its rows are reversed, of the other pattern row when their
// number is even, and so for the columns.
std::uint32_t mosaicCode(const TiffPage& page) {
    std::string mosaic = page.mosaic;
    if (mosaic.empty()) return kNoMosaic;
    if (mosaic.size() != 4) throw std::invalid_argument("a colour mosaic names its 2x2 samples");
    if (page.rowsReversed && page.height % 2 == 0) mosaic = {mosaic[2], mosaic[3], mosaic[0], mosaic[1]};
    if (page.columnsReversed && page.width % 2 == 0) mosaic = {mosaic[1], mosaic[0], mosaic[3], mosaic[2]};
    std::uint32_t code = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        const char* colour = std::strchr("RGB", mosaic[k]);
        if (colour == nullptr || mosaic[k] == '\0') throw std::invalid_argument("a colour mosaic is made of R, G and B");
        code |= static_cast<std::uint32_t>(colour - "RGB") << (8 * k);
    }
    return code;
}

// The offsets of the strips of `rows` rows of `rowBytes` from `first` on, the last row first,
// each in `size` bytes; then their byte counts, in 4 bytes each.
void putRowOffsets(std::vector<std::uint8_t>& out, std::uint64_t first, std::uint64_t rowBytes, std::uint32_t rows,
                   int size) {
    for (std::uint32_t row = rows; row-- > 0;) put(out, first + row * rowBytes, size);
}

void putRowCounts(std::vector<std::uint8_t>& out, std::uint64_t rowBytes, std::uint32_t rows) {
    for (std::uint32_t row = 0; row < rows; ++row) put(out, rowBytes, 4);
}

// Bytes short enough to sit in a directory entry, as its value.
std::uint64_t inlineValue(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t value = 0;
    for (std::size_t k = 0; k < bytes.size(); ++k) value |= std::uint64_t{bytes[k]} << (8 * k);
    return value;
}

// One directory entry: its value's bytes little-endian when they fit in the entry, else the
// offset where they are.
struct Field {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint64_t count;
    std::uint64_t value;
};

}  // namespace

TiffFile::TiffFile(const platform::NativePath& path, const std::string& name, std::uint64_t classicLimit)
    : path_(name), classicLimit_(classicLimit < kClassicLimit ? classicLimit : kClassicLimit) {
    // The wide name on Windows (an extension of MSVC's and MinGW's libraries).
    file_.open(path.c_str(), std::ios::out | std::ios::binary | std::ios::trunc);
    if (!file_.is_open()) throw TiffWriteError("cannot create " + path_);
    std::vector<std::uint8_t> head{'I', 'I'};
    put(head, 42, 2);
    put(head, 0, 4);  // no page yet
    head.resize(kSoftwareAt, 0);
    head.insert(head.end(), kSoftware, kSoftware + sizeof kSoftware);
    head.resize(kResolutionAt, 0);
    put(head, 1, 4);  // one pixel per unit; the unit is none
    put(head, 1, 4);
    writeAt(0, head.data(), head.size());
    flush();
    end_ = kFirstPageAt;
    linkAt_ = kClassicLinkAt;
}

std::uint64_t TiffFile::directoryBytes(const PageRecord& page) const {
    const std::uint64_t fields = page.mosaic == kNoMosaic ? 17 : 19;
    return big_ ? 8 + fields * 20 + 8 : 2 + fields * 12 + 4;
}

std::vector<std::uint8_t> TiffFile::directory(const PageRecord& page, std::uint64_t next) const {
    const int slot = big_ ? 8 : 4;  // bytes of a value held in its entry
    const std::uint16_t offsetType = big_ ? kLong8 : kLong;
    const std::uint64_t resolution = big_ ? (1ull | (1ull << 32)) : kResolutionAt;
    std::uint64_t description = page.descriptionOffset;
    if (page.descriptionBytes <= static_cast<std::uint32_t>(slot)) description = page.descriptionInline;
    Field offsets{273, offsetType, 1, page.stripOffset};
    Field rowsPerStrip{278, kLong, 1, page.height};  // the whole page in one strip
    Field counts{279, offsetType, 1, page.stripBytes};
    if (page.stripPerRow) {
        // The arrays were written where they did not fit in their entry; in a BigTIFF
        // directory for a page written as classic TIFF, two rows' offsets or counts now do.
        const std::uint64_t rowBytes = page.stripBytes / page.height;
        const int size = page.offsetsLong8 ? 8 : 4;
        offsets = {273, page.offsetsLong8 ? kLong8 : kLong, page.height, page.offsetsAt};
        if (std::uint64_t{page.height} * size <= static_cast<std::uint64_t>(slot)) {
            std::vector<std::uint8_t> bytes;
            putRowOffsets(bytes, page.stripOffset, rowBytes, page.height, size);
            offsets.value = inlineValue(bytes);
        }
        rowsPerStrip.value = 1;
        counts = {279, kLong, page.height, page.countsAt};
        if (std::uint64_t{page.height} * 4 <= static_cast<std::uint64_t>(slot)) {
            std::vector<std::uint8_t> bytes;
            putRowCounts(bytes, rowBytes, page.height);
            counts.value = inlineValue(bytes);
        }
    }
    std::vector<Field> fields{
        {254, kLong, 1, 0},  // a full-resolution image
        {256, kLong, 1, page.width},
        {257, kLong, 1, page.height},
        {258, kShort, 1, page.bitsPerSample},
        {259, kShort, 1, 1},  // uncompressed
        {262, kShort, 1, 1},  // zero is black: raw samples, the mosaic named below
        {270, kAscii, page.descriptionBytes, description},
        offsets,
        {277, kShort, 1, 1},
        rowsPerStrip,
        counts,
        {282, kRational, 1, resolution},
        {283, kRational, 1, resolution},
        {284, kShort, 1, 1},
        {296, kShort, 1, 1},
        {305, kAscii, sizeof kSoftware, kSoftwareAt},
        {339, kShort, 1, 1},  // unsigned integers
    };
    if (page.mosaic != kNoMosaic) {
        fields.push_back({33421, kShort, 2, 2u | (2u << 16)});  // CFARepeatPatternDim: 2x2
        fields.push_back({33422, kByte, 4, page.mosaic});       // CFAPattern
    }
    std::vector<std::uint8_t> out;
    out.reserve(directoryBytes(page));
    put(out, fields.size(), big_ ? 8 : 2);
    for (const Field& field : fields) {
        put(out, field.tag, 2);
        put(out, field.type, 2);
        put(out, field.count, slot);
        put(out, field.value, slot);
    }
    put(out, next, slot);
    return out;
}

void TiffFile::append(const TiffPage& page) {
    if (broken_) throw TiffWriteError("writing " + path_ + " failed before");
    if (page.samples == nullptr || page.width == 0 || page.height == 0 ||
        (page.bitsPerSample != 8 && page.bitsPerSample != 16)) {
        throw std::invalid_argument("a TIFF page has samples of 8 or 16 bits");
    }
    PageRecord record{};
    record.width = page.width;
    record.height = page.height;
    record.bitsPerSample = page.bitsPerSample;
    record.mosaic = mosaicCode(page);
    const std::uint64_t rowBytes = std::uint64_t{page.width} * (page.bitsPerSample / 8u);
    record.stripBytes = rowBytes * page.height;
    // Reversed columns are written row by row in the image's order, rows reversed or not, as
    // one strip; reversed rows alone are the samples as they are, one strip per row.
    record.stripPerRow = page.rowsReversed && !page.columnsReversed && page.height > 1;
    if (record.stripPerRow && rowBytes > 0xFFFFFFFFu) throw std::invalid_argument("a TIFF row is under 4 GB");
    record.descriptionBytes = static_cast<std::uint32_t>(page.description.size() + 1);
    std::memcpy(&record.descriptionInline, page.description.c_str(),
                record.descriptionBytes < 8 ? record.descriptionBytes : 8);

    // Where each part goes: the samples, the description and the strip arrays that do not fit
    // in their entries, the directory.  A page that would end past what a classic TIFF
    // addresses first turns the file into a BigTIFF.
    std::uint64_t directoryAt = 0;
    std::uint64_t offsetsBytes = 0;
    std::uint64_t countsBytes = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::uint64_t slot = big_ ? 8 : 4;
        record.stripOffset = end_;
        record.descriptionOffset = even(end_ + record.stripBytes);
        const bool outOfLine = record.descriptionBytes > slot;
        std::uint64_t at = outOfLine ? even(record.descriptionOffset + record.descriptionBytes) : record.descriptionOffset;
        offsetsBytes = countsBytes = 0;
        record.offsetsLong8 = big_;
        if (record.stripPerRow) {
            offsetsBytes = std::uint64_t{page.height} * (big_ ? 8 : 4);
            countsBytes = std::uint64_t{page.height} * 4;
            if (offsetsBytes <= slot) offsetsBytes = 0;
            if (countsBytes <= slot) countsBytes = 0;
            record.offsetsAt = at;
            at += offsetsBytes;
            record.countsAt = at;
            at += countsBytes;
        }
        directoryAt = at;
        if (big_ || directoryAt + directoryBytes(record) <= classicLimit_) break;
        switchToBigTiff();
    }

    if (page.columnsReversed) {
        writeColumnsReversed(page, record.stripOffset);
    } else {
        writeAt(record.stripOffset, page.samples, static_cast<std::size_t>(record.stripBytes));
    }
    // The description, the strip arrays and the directory in one write.
    const std::uint64_t dataEnd = record.stripOffset + record.stripBytes;
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(directoryAt - dataEnd), 0);
    if (record.descriptionBytes > (big_ ? 8u : 4u)) {
        std::memcpy(tail.data() + (record.descriptionOffset - dataEnd), page.description.c_str(),
                    record.descriptionBytes);
    }
    if (offsetsBytes != 0 || countsBytes != 0) {
        std::vector<std::uint8_t> arrays;
        arrays.reserve(static_cast<std::size_t>(offsetsBytes + countsBytes));
        if (offsetsBytes != 0) putRowOffsets(arrays, record.stripOffset, rowBytes, page.height, big_ ? 8 : 4);
        if (countsBytes != 0) putRowCounts(arrays, rowBytes, page.height);
        std::memcpy(tail.data() + (record.offsetsAt - dataEnd), arrays.data(), arrays.size());
    }
    const std::vector<std::uint8_t> entries = directory(record, 0);
    tail.insert(tail.end(), entries.begin(), entries.end());
    file_.write(reinterpret_cast<const char*>(tail.data()), static_cast<std::streamsize>(tail.size()));
    flush();

    // Only now does the file lead to the page.
    std::vector<std::uint8_t> link;
    put(link, directoryAt, big_ ? 8 : 4);
    writeAt(linkAt_, link.data(), link.size());
    flush();
    linkAt_ = directoryAt + entries.size() - (big_ ? 8 : 4);
    end_ = directoryAt + entries.size();
    pages_.push_back(record);
}

void TiffFile::writeColumnsReversed(const TiffPage& page, std::uint64_t offset) {
    // The image's rows one after another, each the samples' row read right to left, through
    // a buffer of whole rows.
    const std::size_t sampleBytes = page.bitsPerSample / 8u;
    const std::size_t rowBytes = std::size_t{page.width} * sampleBytes;
    const std::size_t rows = std::min<std::size_t>(page.height, std::max<std::size_t>(1, kRowsBuffer / rowBytes));
    if (rows_.size() < rows * rowBytes) rows_.resize(rows * rowBytes);
    const auto* samples = static_cast<const std::uint8_t*>(page.samples);
    file_.seekp(static_cast<std::streamoff>(offset));
    std::size_t filled = 0;
    for (std::uint32_t row = 0; row < page.height && file_; ++row) {
        const std::uint8_t* from = samples + (page.rowsReversed ? page.height - 1 - row : row) * rowBytes;
        std::uint8_t* to = rows_.data() + filled * rowBytes;
        if (sampleBytes == 1) {
            std::reverse_copy(from, from + rowBytes, to);
        } else {
            for (std::size_t k = 0; k < rowBytes; k += 2) {
                to[k] = from[rowBytes - 2 - k];
                to[k + 1] = from[rowBytes - 1 - k];
            }
        }
        if (++filled == rows || row + 1 == page.height) {
            file_.write(reinterpret_cast<const char*>(rows_.data()), static_cast<std::streamsize>(filled * rowBytes));
            filled = 0;
        }
    }
}

void TiffFile::switchToBigTiff() {
    // Every page written so far gets a BigTIFF directory at the end of the file, chained in
    // order; the classic directories stay where they are, unreferenced.
    big_ = true;
    const std::uint64_t first = even(end_);
    std::vector<std::uint8_t> chain;
    std::uint64_t at = first;
    std::uint64_t lastLink = kBigLinkAt;
    for (std::size_t k = 0; k < pages_.size(); ++k) {
        const std::uint64_t next = k + 1 < pages_.size() ? at + directoryBytes(pages_[k]) : 0;
        const std::vector<std::uint8_t> entries = directory(pages_[k], next);
        chain.insert(chain.end(), entries.begin(), entries.end());
        lastLink = at + entries.size() - 8;
        at += entries.size();
    }
    if (!chain.empty()) {
        writeAt(first, chain.data(), chain.size());
        flush();
    }
    // Until this write the file is the classic TIFF it was; after it, the BigTIFF.
    std::vector<std::uint8_t> header{'I', 'I'};
    put(header, 43, 2);
    put(header, 8, 2);  // offsets of 8 bytes
    put(header, 0, 2);
    put(header, pages_.empty() ? 0 : first, 8);
    writeAt(0, header.data(), header.size());
    flush();
    linkAt_ = lastLink;
    end_ = at;
}

void TiffFile::writeAt(std::uint64_t offset, const void* data, std::size_t bytes) {
    file_.seekp(static_cast<std::streamoff>(offset));
    file_.write(static_cast<const char*>(data), static_cast<std::streamsize>(bytes));
}

void TiffFile::flush() {
    file_.flush();
    if (!file_.good()) failed("writing");
}

void TiffFile::failed(const char* what) {
    broken_ = true;
    throw TiffWriteError(std::string(what) + " " + path_ + " failed");
}

}  // namespace qorin
