// tiff_file.cpp - a multipage TIFF written page by page: directory, description and samples first, then the link to them.
#include "tiff/tiff_file.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace qorin {
namespace {

// Field types of the TIFF directory entries written here.
constexpr std::uint16_t kByte = 1;
constexpr std::uint16_t kAscii = 2;
constexpr std::uint16_t kShort = 3;
constexpr std::uint16_t kLong = 4;
constexpr std::uint16_t kRational = 5;
constexpr std::uint16_t kLong8 = 16;

// Directory entries of a monochrome page, and of a colour page with its CFA pair.
constexpr std::size_t kPlainFields = 17;
constexpr std::size_t kMosaicFields = 19;

// The first bytes of the file: the classic header (8 bytes) with room behind it for the
// 16-byte BigTIFF header it may become, then the values every page shares.
constexpr char kSoftware[] = "qorincam";
constexpr std::uint64_t kSoftwareAt = 16;
constexpr std::uint64_t kResolutionAt = kSoftwareAt + sizeof kSoftware + 1;  // even
constexpr std::uint64_t kFirstPageAt = kResolutionAt + 8;
constexpr std::uint64_t kClassicLinkAt = 4;
constexpr std::uint64_t kBigLinkAt = 8;

// A strip holds as many whole rows as fit in this, at least one: few enough strips that a
// reader lists a long file quickly, small enough that none needs a large buffer.
constexpr std::uint64_t kStripBytes = 1024 * 1024;

// Reversed columns go to the file through a buffer of whole rows, at least one, of this size.
constexpr std::size_t kRowsBuffer = 256 * 1024;

// Room at the start of the first page's description for ImageJ's lines: spaces and a line end
// until finish() writes them.
constexpr std::size_t kImageJBytes = 128;

// The switch to BigTIFF reads the classic directories back this many bytes at a time (enough
// for every directory written here) and writes their BigTIFF form in pieces of about this size.
constexpr std::size_t kDirectoryRead = 256;
constexpr std::size_t kChainPiece = 64 * 1024;

std::uint64_t even(std::uint64_t offset) { return offset + (offset & 1u); }

void put(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int k = 0; k < bytes; ++k) out.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

std::uint64_t get(const std::uint8_t* in, int bytes) {
    std::uint64_t value = 0;
    for (int k = 0; k < bytes; ++k) value |= std::uint64_t{in[k]} << (8 * k);
    return value;
}

// Bytes of one value of a field type written here, 0 for any other type.
std::uint64_t typeBytes(std::uint16_t type) {
    switch (type) {
        case kByte:
        case kAscii: return 1;
        case kShort: return 2;
        case kLong: return 4;
        case kRational:
        case kLong8: return 8;
        default: return 0;
    }
}

// The CFAPattern of the page as written, its bytes (0 red, 1 green, 2 blue) packed
// little-endian, or TiffPageLayout::kNoMosaic.  The page's mosaic is that of its samples; the
// image's first row is the samples' last when its rows are reversed, of the other pattern row
// when their number is even, and so for the columns.
std::uint32_t mosaicCode(const TiffPage& page) {
    std::string mosaic = page.mosaic;
    if (mosaic.empty()) return TiffPageLayout::kNoMosaic;
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

// One directory entry: its value's bytes little-endian when they fit in the entry, else the
// offset where they are.
struct Field {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint64_t count;
    std::uint64_t value;
};

}  // namespace

TiffFile::TiffFile(const platform::NativePath& path, std::string name, std::uint64_t classicLimit)
    : file_(path), name_(std::move(name)),
      classicLimit_(classicLimit < kClassicLimit ? classicLimit : kClassicLimit) {
    if (!file_.isOpen()) throw TiffWriteError("cannot create " + name_);
    std::vector<std::uint8_t> start{'I', 'I'};
    put(start, 42, 2);
    put(start, 0, 4);  // no page yet
    start.resize(kSoftwareAt, 0);
    start.insert(start.end(), kSoftware, kSoftware + sizeof kSoftware);
    start.resize(kResolutionAt, 0);
    put(start, 1, 4);  // one pixel per unit; the unit is none
    put(start, 1, 4);
    if (!file_.writeAt(0, start.data(), start.size())) {
        file_.remove();
        throw TiffWriteError("cannot create " + name_);
    }
    end_ = kFirstPageAt;
    linkAt_ = kClassicLinkAt;
}

TiffFile::~TiffFile() { close(); }

bool TiffFile::close() {
    if (finished_) return true;
    finished_ = true;
    return pages_ == 0 ? file_.remove() : file_.close();
}

TiffPageLayout layoutPage(const TiffPage& page, std::size_t descriptionBytes, std::uint64_t at, bool bigTiff) {
    const std::uint64_t slot = bigTiff ? 8 : 4;  // bytes of a value held in its entry
    TiffPageLayout l{};
    l.width = page.width;
    l.height = page.height;
    l.bitsPerSample = page.bitsPerSample;
    l.mosaic = mosaicCode(page);
    l.rowBytes = std::uint64_t{page.width} * (page.bitsPerSample / 8u);
    l.rowsPerStrip = static_cast<std::uint32_t>(
        std::max<std::uint64_t>(1, std::min<std::uint64_t>(page.height, kStripBytes / l.rowBytes)));
    l.strips = static_cast<std::uint32_t>((std::uint64_t{page.height} + l.rowsPerStrip - 1) / l.rowsPerStrip);
    const std::uint64_t fields = l.mosaic == TiffPageLayout::kNoMosaic ? kPlainFields : kMosaicFields;
    l.directoryAt = at;
    l.directoryBytes = bigTiff ? 8 + fields * 20 + 8 : 2 + fields * 12 + 4;
    l.descriptionBytes = static_cast<std::uint32_t>(descriptionBytes);
    at = l.directoryAt + l.directoryBytes;
    if (l.descriptionBytes > slot) {
        l.descriptionAt = at;
        at = even(at + l.descriptionBytes);
    }
    if (l.strips > 1) {
        l.offsetsAt = at;
        at += l.strips * slot;
        l.countsAt = at;
        at += l.strips * slot;
    }
    l.samplesAt = at;
    l.samplesBytes = l.rowBytes * page.height;
    return l;
}

namespace {

// The page's directory entries, in the order of their tags: the CFA pair last, left out for a
// monochrome page.  `descriptionValue` is the description's offset, or its bytes when they fit in
// the entry.
std::array<Field, kMosaicFields> directoryFields(const TiffPageLayout& page, std::uint64_t descriptionValue, bool bigTiff) {
    const std::uint16_t offsetType = bigTiff ? kLong8 : kLong;
    const std::uint64_t resolution = bigTiff ? (1ull | (1ull << 32)) : kResolutionAt;
    return {{
        {254, kLong, 1, 0},  // a full-resolution image
        {256, kLong, 1, page.width},
        {257, kLong, 1, page.height},
        {258, kShort, 1, page.bitsPerSample},
        {259, kShort, 1, 1},  // uncompressed
        {262, kShort, 1, 1},  // zero is black: raw samples, the mosaic named below
        {270, kAscii, page.descriptionBytes, descriptionValue},
        {273, offsetType, page.strips, page.strips > 1 ? page.offsetsAt : page.samplesAt},
        {277, kShort, 1, 1},
        {278, kLong, 1, page.rowsPerStrip},
        {279, offsetType, page.strips, page.strips > 1 ? page.countsAt : page.samplesBytes},
        {282, kRational, 1, resolution},
        {283, kRational, 1, resolution},
        {284, kShort, 1, 1},
        {296, kShort, 1, 1},
        {305, kAscii, sizeof kSoftware, kSoftwareAt},
        {339, kShort, 1, 1},  // unsigned integers
        {33421, kShort, 2, 2u | (2u << 16)},  // CFARepeatPatternDim: 2x2
        {33422, kByte, 4, page.mosaic},       // CFAPattern
    }};
}

}  // namespace

void TiffFile::buildHead(const TiffPageLayout& page, const std::string& description) {
    // The directory, then what does not fit in its entries, up to the samples.
    const int slot = big_ ? 8 : 4;
    std::uint64_t descriptionValue = page.descriptionAt;
    if (page.descriptionAt == 0) {
        descriptionValue = get(reinterpret_cast<const std::uint8_t*>(description.c_str()),
                               static_cast<int>(page.descriptionBytes));
    }
    const std::array<Field, kMosaicFields> fields = directoryFields(page, descriptionValue, big_);
    const std::size_t used = page.mosaic == TiffPageLayout::kNoMosaic ? kPlainFields : kMosaicFields;
    std::vector<std::uint8_t>& out = head_;
    out.clear();
    put(out, used, big_ ? 8 : 2);
    for (std::size_t k = 0; k < used; ++k) {
        put(out, fields[k].tag, 2);
        put(out, fields[k].type, 2);
        put(out, fields[k].count, slot);
        put(out, fields[k].value, slot);
    }
    put(out, 0, slot);  // the last page so far
    if (page.descriptionAt != 0) {
        out.insert(out.end(), description.c_str(), description.c_str() + page.descriptionBytes);
        out.resize(static_cast<std::size_t>(even(out.size())), 0);
    }
    if (page.strips > 1) {
        const std::uint64_t lastStrip = page.height - std::uint64_t{page.rowsPerStrip} * (page.strips - 1);
        for (std::uint64_t s = 0; s < page.strips; ++s) put(out, page.samplesAt + s * page.rowsPerStrip * page.rowBytes, slot);
        for (std::uint64_t s = 0; s + 1 < page.strips; ++s) put(out, page.rowsPerStrip * page.rowBytes, slot);
        put(out, lastStrip * page.rowBytes, slot);
    }
}

void TiffFile::append(const TiffPage& page) {
    if (broken_ || finished_) throw TiffWriteError("writing " + name_ + " failed before");
    if (page.samples == nullptr || page.width == 0 || page.height == 0 ||
        (page.bitsPerSample != 8 && page.bitsPerSample != 16)) {
        throw std::invalid_argument("a TIFF page has samples of 8 or 16 bits");
    }
    // The first page's description starts with the room kept for ImageJ's lines.
    std::string description;
    if (pages_ == 0) {
        description.assign(kImageJBytes - 1, ' ');
        description += '\n';
    }
    description += page.description;

    // A page that would end past what a classic TIFF addresses first turns the file into a
    // BigTIFF.
    TiffPageLayout l = layoutPage(page, description.size() + 1, end_, big_);
    if (!big_ && l.samplesAt + l.samplesBytes > classicLimit_) {
        switchToBigTiff();
        l = layoutPage(page, description.size() + 1, end_, big_);
    }
    buildHead(l, description);
    writeSamples(page, l);

    // Only now does the file lead to the page.
    std::vector<std::uint8_t> link;
    put(link, l.directoryAt, big_ ? 8 : 4);
    if (!file_.writeAt(linkAt_, link.data(), link.size())) failed("writing");
    linkAt_ = l.directoryAt + l.directoryBytes - (big_ ? 8 : 4);
    end_ = even(l.samplesAt + l.samplesBytes);
    if (pages_ == 0) {
        firstDescriptionAt_ = l.descriptionAt;
        width_ = page.width;
        height_ = page.height;
        bitsPerSample_ = page.bitsPerSample;
    } else if (page.width != width_ || page.height != height_ || page.bitsPerSample != bitsPerSample_) {
        uniform_ = false;
    }
    ++pages_;
}

void TiffFile::writeSamples(const TiffPage& page, const TiffPageLayout& l) {
    // The directory and what follows it, then the image's rows top row first, in one gathered
    // write where the rows need no copy.
    const auto* samples = static_cast<const std::uint8_t*>(page.samples);
    const std::size_t rowBytes = static_cast<std::size_t>(l.rowBytes);
    pieces_.clear();
    pieces_.push_back({head_.data(), head_.size()});
    if (!page.columnsReversed) {
        if (!page.rowsReversed) {
            pieces_.push_back({samples, static_cast<std::size_t>(l.samplesBytes)});
        } else {
            for (std::uint32_t row = page.height; row-- > 0;) pieces_.push_back({samples + row * rowBytes, rowBytes});
        }
        if (!file_.writeAt(l.directoryAt, pieces_.data(), pieces_.size())) failed("writing");
        return;
    }
    // Each row read right to left, through a buffer of whole rows; the first buffer goes with
    // the directory.
    const std::size_t sampleBytes = page.bitsPerSample / 8u;
    const std::size_t rows = std::min<std::size_t>(page.height, std::max<std::size_t>(1, kRowsBuffer / rowBytes));
    if (rows_.size() < rows * rowBytes) rows_.resize(rows * rowBytes);
    std::uint64_t at = l.directoryAt;
    std::size_t filled = 0;
    for (std::uint32_t row = 0; row < page.height; ++row) {
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
            pieces_.push_back({rows_.data(), filled * rowBytes});
            if (!file_.writeAt(at, pieces_.data(), pieces_.size())) failed("writing");
            for (const platform::WritePiece& piece : pieces_) at += piece.bytes;
            pieces_.clear();
            filled = 0;
        }
    }
}

void TiffFile::switchToBigTiff() {
    // Every page written so far gets a BigTIFF directory at the end of the file, chained in
    // order; the classic directories stay where they are, unreferenced.  They are read back one
    // at a time and their BigTIFF form written in pieces, so that the switch takes the same
    // memory however many pages there are.  A value of 5 to 8 bytes that a classic entry had to
    // keep elsewhere sits in its BigTIFF entry.
    const std::uint64_t first = even(end_);
    std::uint64_t classicAt = pages_ == 0 ? 0 : kFirstPageAt;
    std::uint64_t bigAt = first;
    std::uint64_t lastLink = kBigLinkAt;
    std::vector<std::uint8_t> chain;
    chain.reserve(kChainPiece + kDirectoryRead * 2);
    std::uint64_t chainAt = first;
    std::uint8_t classic[kDirectoryRead];
    std::uint64_t cachedAt = 0;  // the last value read from elsewhere: the resolution, mostly
    std::uint64_t cached = 0;
    for (std::uint64_t page = 0; page < pages_; ++page) {
        if (classicAt == 0) failed("writing");
        const std::int64_t read = file_.readAt(classicAt, classic, sizeof classic);
        if (read < 2) failed("writing");
        const std::uint64_t entries = get(classic, 2);
        if (2 + entries * 12 + 4 > static_cast<std::uint64_t>(read)) failed("writing");
        const std::uint64_t bigBytes = 8 + entries * 20 + 8;
        put(chain, entries, 8);
        for (std::uint64_t k = 0; k < entries; ++k) {
            const std::uint8_t* entry = classic + 2 + k * 12;
            const std::uint16_t type = static_cast<std::uint16_t>(get(entry + 2, 2));
            const std::uint64_t count = get(entry + 4, 4);
            std::uint64_t value = get(entry + 8, 4);
            const std::uint64_t bytes = count * typeBytes(type);
            if (typeBytes(type) == 0) failed("writing");
            if (bytes > 4 && bytes <= 8) {
                if (cachedAt != value || cachedAt == 0) {
                    std::uint8_t elsewhere[8] = {};
                    if (file_.readAt(value, elsewhere, static_cast<std::size_t>(bytes)) != static_cast<std::int64_t>(bytes)) {
                        failed("writing");
                    }
                    cachedAt = value;
                    cached = get(elsewhere, 8);
                }
                value = cached;
            }
            chain.insert(chain.end(), entry, entry + 4);
            put(chain, count, 8);
            put(chain, value, 8);
        }
        const bool last = page + 1 == pages_;
        put(chain, last ? 0 : bigAt + bigBytes, 8);
        lastLink = bigAt + bigBytes - 8;
        bigAt += bigBytes;
        classicAt = get(classic + 2 + entries * 12, 4);
        if (chain.size() >= kChainPiece || last) {
            if (!file_.writeAt(chainAt, chain.data(), chain.size())) failed("writing");
            chainAt += chain.size();
            chain.clear();
        }
    }
    // Until this write the file is the classic TIFF it was; after it, the BigTIFF.  The chain
    // goes to the disk first: should the system stop with the header on the disk and the chain
    // not, every page would be lost, where elsewhere at most the last one is.
    if (!file_.flush()) failed("writing");
    std::vector<std::uint8_t> header{'I', 'I'};
    put(header, 43, 2);
    put(header, 8, 2);  // offsets of 8 bytes
    put(header, 0, 2);
    put(header, pages_ == 0 ? 0 : first, 8);
    if (!file_.writeAt(0, header.data(), header.size())) failed("writing");
    big_ = true;
    linkAt_ = lastLink;
    end_ = bigAt;
}

void TiffFile::finish(double frameInterval) {
    if (finished_) return;
    bool written = true;
    if (pages_ > 0 && uniform_ && !big_) {
        // "ImageJ=" without a version: with one, ImageJ takes `images` for the number of
        // images stored one after another from the first page's samples (its own layout) and
        // reads past this file's directories; without it, ImageJ reads each page where its
        // directory says and takes the lines for the stack's dimensions and timing.
        char lines[kImageJBytes + 1];
        const unsigned long long images = pages_;
        int n = std::snprintf(lines, sizeof lines, "ImageJ=\nimages=%llu\nframes=%llu\n", images, images);
        if (frameInterval > 0.0 && n > 0) {
            n += std::snprintf(lines + n, sizeof lines - static_cast<std::size_t>(n), "finterval=%.9g\n", frameInterval);
        }
        std::string block(lines, static_cast<std::size_t>(std::min<int>(n, kImageJBytes - 1)));
        block.resize(kImageJBytes - 1, ' ');
        block += '\n';
        written = file_.writeAt(firstDescriptionAt_, block.data(), block.size());
    }
    written = close() && written;
    if (!written) throw TiffWriteError("writing " + name_ + " failed");
}

void TiffFile::failed(const char* what) {
    broken_ = true;
    throw TiffWriteError(std::string(what) + " " + name_ + " failed");
}

}  // namespace qorin
