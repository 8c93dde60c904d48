// tiff_file_test.cpp - multipage TIFFs as libtiff's tools, Octave's imread and a one-block reader read them, whole and cut short.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tiff/tiff_file.h"

namespace qorin {
namespace {

namespace fs = std::filesystem;

// What a command printed (stdout and stderr), and whether it exited 0.
struct Output {
    std::string text;
    bool ok;
};

Output run(const std::string& command) {
    Output out{"", false};
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.text.append(buffer, n);
    out.ok = pclose(pipe) == 0;
    return out;
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// How the pages lie in memory relative to the images they show (TiffPage's flags).
struct Orientation {
    bool rows;
    bool columns;
    const char* name;
};
const Orientation kOrientations[] = {
    {false, false, "as-read"}, {true, false, "rows"}, {false, true, "columns"}, {true, true, "both"}};

// Page k of the test files, in its readout order: a 16-bit page of 7x5 with sample i =
// 1000 i + k (a colour mosaic on odd pages), an 8-bit one of 3x2 holding 10 i + k, an 8-bit
// colour one of 4x6 holding 7 i + k, and a 16-bit colour one of 6x3 (5x4 on odd pages)
// holding 100 i + k (modulo the depth).  pageShapes lists the mosaics.
struct Shape {
    std::uint32_t width;
    std::uint32_t height;
    std::uint16_t bits;
    int step;  // sample i holds step i + k
    std::string mosaic;
};

std::vector<Shape> pageShapes(int k) {
    return {{7, 5, 16, 1000, k % 2 ? "GBRG" : ""},
            {3, 2, 8, 10, ""},
            {4, 6, 8, 7, "RGGB"},
            {k % 2 ? 5u : 6u, k % 2 ? 4u : 3u, 16, 100, "BGGR"}};
}

std::string pageDescription(int k, std::size_t page) {
    if (page == 0) return "frame " + std::to_string(2 * k) + ", 0.5 s";
    if (page == 1) return k == 0 ? "x" : "eight-bit page";
    return "page " + std::to_string(page) + " of " + std::to_string(k);
}

// A page of the test files and the image it shows: readout sample i holds step i + k (modulo
// the depth), the image is the readout flipped as the orientation says.
struct PageSpec {
    Shape shape;
    int k;
};

std::vector<PageSpec> specs(int pairs) {
    std::vector<PageSpec> pages;
    for (int k = 0; k < pairs; ++k) {
        for (const Shape& s : pageShapes(k)) pages.push_back({s, k});
    }
    return pages;
}

std::uint32_t sampleValue(const PageSpec& p, std::size_t i) {
    return static_cast<std::uint32_t>((std::uint64_t{static_cast<std::uint32_t>(p.shape.step)} * i + p.k) &
                                      (p.shape.bits == 16 ? 0xFFFFu : 0xFFu));
}

// The image's samples top row first, as a reader that takes the page as one block sees them.
std::vector<std::uint8_t> imageBytes(const PageSpec& p, const Orientation& o) {
    const std::uint32_t w = p.shape.width;
    const std::uint32_t h = p.shape.height;
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t r = 0; r < h; ++r) {
        for (std::uint32_t c = 0; c < w; ++c) {
            const std::uint32_t v = sampleValue(p, std::size_t{o.rows ? h - 1 - r : r} * w + (o.columns ? w - 1 - c : c));
            bytes.push_back(static_cast<std::uint8_t>(v));
            if (p.shape.bits == 16) bytes.push_back(static_cast<std::uint8_t>(v >> 8));
        }
    }
    return bytes;
}

// The samples of the page as the test writes them, in readout order: the image unflipped.
std::vector<std::uint8_t> readout(const PageSpec& p) { return imageBytes(p, kOrientations[0]); }

// Appends page `p` from its readout, lying in it as `o` says.
void appendPage(TiffFile& file, const PageSpec& p, const std::string& description, const Orientation& o) {
    const std::vector<std::uint8_t> samples = readout(p);
    TiffPage page{samples.data(), p.shape.width, p.shape.height, p.shape.bits, p.shape.mosaic, description};
    page.rowsReversed = o.rows;
    page.columnsReversed = o.columns;
    file.append(page);
}

void appendSpecs(TiffFile& file, const std::vector<PageSpec>& pages, const Orientation& o) {
    for (const PageSpec& p : pages) appendPage(file, p, "page of " + std::to_string(p.k), o);
}

void appendPages(TiffFile& file, int first, int last, const Orientation& o = kOrientations[0]) {
    for (int k = first; k < last; ++k) {
        const std::vector<Shape> shapes = pageShapes(k);
        for (std::size_t p = 0; p < shapes.size(); ++p) appendPage(file, {shapes[p], k}, pageDescription(k, p), o);
    }
}

// The CFAPattern lines tiffinfo prints for pages [first, last), found sample by sample: the
// image's sample (r, c) is the readout's (h-1-r, c) with rows reversed, (r, w-1-c) with
// columns reversed, whose colour the readout's mosaic gives.
std::vector<std::string> expectedPatterns(int pairs, const Orientation& o) {
    std::vector<std::string> lines;
    for (int k = 0; k < pairs; ++k) {
        for (const Shape& s : pageShapes(k)) {
            if (s.mosaic.empty()) continue;
            std::string line = "CFAPattern: ";
            for (std::uint32_t r = 0; r < 2; ++r) {
                for (std::uint32_t c = 0; c < 2; ++c) {
                    const std::uint32_t row = o.rows ? s.height - 1 - r : r;
                    const std::uint32_t column = o.columns ? s.width - 1 - c : c;
                    const char colour = s.mosaic[2 * (row % 2) + column % 2];
                    line += std::string(r + c ? "," : "") + (colour == 'R' ? "0" : colour == 'G' ? "1" : "2");
                }
            }
            lines.push_back(line);
        }
    }
    return lines;
}

std::vector<std::string> linesStarting(const std::string& text, const std::string& start) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        const std::size_t from = line.find_first_not_of(' ');
        if (from != std::string::npos && line.compare(from, start.size(), start) == 0) lines.push_back(line.substr(from));
        at = end + 1;
    }
    return lines;
}

// ImageJ reads a page's samples as one block from the first strip on, whatever the strips
// list: each page's first strip (from tiffinfo -s) must start the image, top row first.
bool readsAsOneBlock(const fs::path& file, const std::vector<PageSpec>& pages, const Orientation& o) {
    const Output info = run("tiffinfo -s " + file.string());
    const std::vector<std::string> strips = linesStarting(info.text, "0: [");
    if (!info.ok || strips.size() != pages.size()) return false;
    std::FILE* in = std::fopen(file.string().c_str(), "rb");
    if (in == nullptr) return false;
    bool same = true;
    for (std::size_t p = 0; p < pages.size() && same; ++p) {
        const std::vector<std::uint8_t> expected = imageBytes(pages[p], o);
        std::vector<std::uint8_t> block(expected.size());
        same = std::fseek(in, std::stol(strips[p].substr(4)), SEEK_SET) == 0 &&
               std::fread(block.data(), 1, block.size(), in) == block.size() && block == expected;
    }
    std::fclose(in);
    return same;
}

// Octave reads every page back with imread and compares it with the rule above.
bool octaveReadsPages(const fs::path& file, const std::vector<PageSpec>& pages, const Orientation& o) {
    std::string list;
    for (const PageSpec& p : pages) {
        list += std::to_string(p.shape.width) + " " + std::to_string(p.shape.height) + " " +
                std::to_string(p.shape.step) + " " + std::to_string(p.k) + " " + std::to_string(p.shape.bits) + "; ";
    }
    const std::string script =
        "f = '" + file.string() + "'; p = [" + list + "]; ok = numel(imfinfo(f)) == rows(p); "
        "for n = 1:rows(p), "
        "  w = p(n, 1); h = p(n, 2); "
        "  m = reshape(mod(p(n, 3) * (0:w * h - 1) + p(n, 4), 2 ^ p(n, 5)), w, h)'; "
        "  if " + std::to_string(o.rows) + ", m = flipud(m); end, if " + std::to_string(o.columns) + ", m = fliplr(m); end, "
        "  ok = ok && isequal(imread(f, n), cast(m, sprintf('uint%d', p(n, 5)))); "
        "end, exit(~ok)";
    return run("octave-cli --no-gui --norc --quiet --eval \"" + script + "\"").ok;
}

class TiffFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("qorin-tiff-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

TEST_F(TiffFileTest, PagesReadBackAsWrittenInClassicAndBigTiff) {
    // With the classic limit low, the file turns BigTIFF after some pages, and the pages
    // before the switch read back as well as those after it.  Each page reads back as the
    // image its flags describe, with the mosaic of that image, whether a reader follows the
    // strips or takes the page as one block.
    for (const Orientation& o : kOrientations) {
        for (const std::uint64_t limit : {TiffFile::kClassicLimit, std::uint64_t{2500}}) {
            SCOPED_TRACE(std::string(o.name) + " " + std::to_string(limit));
            const fs::path path = folder_ / ("pages-" + std::string(o.name) + "-" + std::to_string(limit) + ".tif");
            TiffFile file(path.string(), path.string(), limit);
            appendPages(file, 0, 5, o);
            EXPECT_EQ(file.pages(), 20u);
            EXPECT_EQ(file.bigTiff(), limit != TiffFile::kClassicLimit);

            const Output info = run("tiffinfo " + path.string());
            EXPECT_TRUE(info.ok) << info.text;
            EXPECT_EQ(count(info.text, "TIFF Directory at offset"), 20u) << info.text;
            EXPECT_EQ(linesStarting(info.text, "CFAPattern:"), expectedPatterns(5, o)) << info.text;
            EXPECT_EQ(count(info.text, "ImageDescription: frame 8, 0.5 s"), 1u) << info.text;
            EXPECT_EQ(count(info.text, "ImageDescription: x\n"), 1u) << info.text;
            EXPECT_EQ(info.text.find("arning"), std::string::npos) << info.text;
            const Output dump = run("tiffdump " + path.string());
            EXPECT_TRUE(dump.ok) << dump.text;
            EXPECT_EQ(dump.text.find("<BigTIFF>") != std::string::npos, file.bigTiff()) << dump.text;
            EXPECT_TRUE(readsAsOneBlock(path, specs(5), o)) << path;
            EXPECT_TRUE(octaveReadsPages(path, specs(5), o)) << path;
        }
    }
}

TEST_F(TiffFileTest, LargePagesLieInStripsOfAMebibyteAtMost) {
    // Pages of 2.2 and 1.2 MB of 2000-byte rows: strips of 524 rows, three and two of them,
    // whose arrays lie beside the directory; across the switch to BigTIFF a classic page's two
    // 4-byte offsets (and counts) move into their 8-byte entries, longer arrays stay where
    // they are, and later pages have arrays of 8-byte values.
    const std::vector<PageSpec> pages{{{1000, 1100, 16, 7, ""}, 1},
                                      {{1000, 600, 16, 3, "GRBG"}, 2},
                                      {{1000, 1100, 16, 5, ""}, 3},
                                      {{1000, 600, 16, 11, "GRBG"}, 4}};
    for (const Orientation& o : {kOrientations[1], kOrientations[3]}) {
        for (const std::uint64_t limit : {TiffFile::kClassicLimit, std::uint64_t{4000000}}) {
            SCOPED_TRACE(std::string(o.name) + " " + std::to_string(limit));
            const fs::path path = folder_ / ("large-" + std::string(o.name) + "-" + std::to_string(limit) + ".tif");
            TiffFile file(path.string(), path.string(), limit);
            appendSpecs(file, pages, o);
            EXPECT_EQ(file.bigTiff(), limit != TiffFile::kClassicLimit);

            const Output info = run("tiffinfo -s " + path.string());
            EXPECT_TRUE(info.ok) << info.text;
            EXPECT_EQ(count(info.text, "Rows/Strip: 524\n"), 4u) << info.text;
            EXPECT_EQ(count(info.text, "3 Strips:"), 2u) << info.text;
            EXPECT_EQ(count(info.text, "2 Strips:"), 2u) << info.text;
            EXPECT_EQ(info.text.find("arning"), std::string::npos) << info.text;
            EXPECT_TRUE(readsAsOneBlock(path, pages, o)) << path;
            EXPECT_TRUE(octaveReadsPages(path, pages, o)) << path;
        }
    }
}

TEST_F(TiffFileTest, AFileThatGotNoPageIsRemoved) {
    // Readers refuse a TIFF without a page: finished or not, such a file goes.
    const fs::path finished = folder_ / "finished.tif";
    const fs::path dropped = folder_ / "dropped.tif";
    {
        TiffFile file(finished.string(), finished.string());
        TiffFile other(dropped.string(), dropped.string());
        EXPECT_TRUE(fs::exists(finished) && fs::exists(dropped));
        file.finish(0.5);
        EXPECT_FALSE(fs::exists(finished));
    }
    EXPECT_FALSE(fs::exists(dropped));
}

TEST_F(TiffFileTest, WriteFailureLeavesEveryEarlierPage) {
    // Writes past a size limit fail as on a full disk: the page that hit it is not linked in,
    // and the file ends with the pages before it, whether the limit stops the next page's
    // directory or its samples, in a classic file or one turned BigTIFF.
    for (const Orientation& o : kOrientations) {
        for (const std::uint64_t limit : {TiffFile::kClassicLimit, std::uint64_t{2500}}) {
            for (const bool inSamples : {false, true}) {
                SCOPED_TRACE(std::string(o.name) + " " + std::to_string(limit) + " " + std::to_string(inSamples));
                const fs::path path = folder_ / ("cut-" + std::string(o.name) + "-" + std::to_string(limit) + "-" +
                                                 std::to_string(inSamples) + ".tif");
                TiffFile file(path.string(), path.string(), limit);
                appendPages(file, 0, 3, o);
                const std::uint64_t written = file.bytes();
                // The next page, a 7x5 16-bit mosaic, has 19 directory entries, 16 bytes of
                // description and then 70 bytes of samples.
                const std::uint64_t samplesAt = (file.bigTiff() ? 8 + 19 * 20 + 8 : 2 + 19 * 12 + 4) + 16;
                const std::uint64_t beyond = inSamples ? samplesAt + 35 : 40;

                rlimit previous{};
                ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
                void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
                rlimit cut = previous;
                cut.rlim_cur = written + beyond;  // the next page's directory stops short, or its samples
                ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &cut), 0);
                EXPECT_THROW(appendPages(file, 3, 4, o), TiffWriteError);
                EXPECT_THROW(appendPages(file, 3, 4, o), TiffWriteError);  // and takes no more pages
                setrlimit(RLIMIT_FSIZE, &previous);
                std::signal(SIGXFSZ, handler);

                EXPECT_EQ(file.pages(), 12u);
                EXPECT_EQ(file.bigTiff(), limit != TiffFile::kClassicLimit);
                const Output info = run("tiffinfo " + path.string());
                EXPECT_TRUE(info.ok) << info.text;
                EXPECT_EQ(count(info.text, "TIFF Directory at offset"), 12u) << info.text;
                EXPECT_EQ(linesStarting(info.text, "CFAPattern:"), expectedPatterns(3, o)) << info.text;
                EXPECT_TRUE(octaveReadsPages(path, specs(3), o)) << path;
            }
        }
    }
}

}  // namespace
}  // namespace qorin
