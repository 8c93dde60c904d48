// tiff_file_test.cpp - multipage TIFFs as libtiff's tools and Octave's imread read them, whole and cut short.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "acquisition/tiff_file.h"

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
// holding 100 i + k.  Octave's rule below is the same; pageShapes lists the mosaics.
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

void appendPages(TiffFile& file, int first, int last, const Orientation& o = kOrientations[0]) {
    for (int k = first; k < last; ++k) {
        const std::vector<Shape> shapes = pageShapes(k);
        for (std::size_t p = 0; p < shapes.size(); ++p) {
            const Shape& s = shapes[p];
            const std::size_t n = std::size_t{s.width} * s.height;
            std::vector<std::uint16_t> wide(n);
            std::vector<std::uint8_t> narrow(n);
            for (std::size_t i = 0; i < n; ++i) {
                wide[i] = static_cast<std::uint16_t>(s.step * i + k);
                narrow[i] = static_cast<std::uint8_t>(s.step * i + k);
            }
            TiffPage page{s.bits == 16 ? static_cast<const void*>(wide.data()) : narrow.data(),
                          s.width, s.height, s.bits, s.mosaic, pageDescription(k, p)};
            page.rowsReversed = o.rows;
            page.columnsReversed = o.columns;
            file.append(page);
        }
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

// Octave reads every page back with imread and compares it with the rule above, the image
// flipped as the orientation says.
bool octaveReadsPages(const fs::path& file, int pairs, const Orientation& o = kOrientations[0]) {
    const std::string script =
        "f = '" + file.string() + "'; ok = numel(imfinfo(f)) == " + std::to_string(4 * pairs) + "; "
        "function m = page(w, h, step, k, rows, columns), "
        "  m = reshape(step * (0:w * h - 1) + k, w, h)'; "
        "  if rows, m = flipud(m); end, if columns, m = fliplr(m); end, "
        "end, "
        "r = " + std::to_string(o.rows) + "; c = " + std::to_string(o.columns) + "; "
        "for k = 0:" + std::to_string(pairs - 1) + ", "
        "  odd = mod(k, 2); "
        "  ok = ok && isequal(imread(f, 4 * k + 1), uint16(page(7, 5, 1000, k, r, c))) "
        "     && isequal(imread(f, 4 * k + 2), uint8(page(3, 2, 10, k, r, c))) "
        "     && isequal(imread(f, 4 * k + 3), uint8(page(4, 6, 7, k, r, c))) "
        "     && isequal(imread(f, 4 * k + 4), uint16(page(6 - odd, 3 + odd, 100, k, r, c))); "
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
    // image its flags describe, with the mosaic of that image.
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
            // Reversed rows alone: a strip per row, no copy; else the page is one strip.
            EXPECT_EQ(count(info.text, "Rows/Strip: 1\n"), o.rows && !o.columns ? 20u : 0u) << info.text;
            const Output dump = run("tiffdump " + path.string());
            EXPECT_TRUE(dump.ok) << dump.text;
            EXPECT_EQ(dump.text.find("<BigTIFF>") != std::string::npos, file.bigTiff()) << dump.text;
            if (o.rows && !o.columns && file.bigTiff()) {
                // Pages from before the switch keep their arrays of 4-byte offsets, later
                // ones have 8-byte offsets.
                EXPECT_GT(count(dump.text, "StripOffsets (273) LONG (4) 5<"), 0u) << dump.text;
                EXPECT_GT(count(dump.text, "StripOffsets (273) LONG8 (16) 5<"), 0u) << dump.text;
            }
            EXPECT_TRUE(octaveReadsPages(path, 5, o)) << path;
        }
    }
}

TEST_F(TiffFileTest, WriteFailureLeavesEveryEarlierPage) {
    // Writes past a size limit fail as on a full disk: the page that hit it is not linked in,
    // and the file ends with the pages before it, whether the limit stops the next page's
    // samples or what follows them, in a classic file or one turned BigTIFF.
    for (const Orientation& o : kOrientations) {
        for (const std::uint64_t limit : {TiffFile::kClassicLimit, std::uint64_t{2500}}) {
            for (const std::uint64_t beyond : {40u, 100u}) {
                SCOPED_TRACE(std::string(o.name) + " " + std::to_string(limit) + " " + std::to_string(beyond));
                const fs::path path = folder_ / ("cut-" + std::string(o.name) + "-" + std::to_string(limit) + "-" +
                                                 std::to_string(beyond) + ".tif");
                TiffFile file(path.string(), path.string(), limit);
                appendPages(file, 0, 3, o);
                const std::uint64_t written = file.bytes();

                rlimit previous{};
                ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
                void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
                rlimit cut = previous;
                cut.rlim_cur = written + beyond;  // the next page's 70 bytes of samples stop short, or its tail
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
                EXPECT_TRUE(octaveReadsPages(path, 3, o)) << path;
            }
        }
    }
}

}  // namespace
}  // namespace qorin
