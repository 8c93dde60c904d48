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

// Page k of the test files: 16-bit pages of 7x5 with sample i = 1000 i + k (a colour mosaic
// on odd pages), then 8-bit pages of 3x3 holding k.  The same rule is written in Octave below.
void appendPages(TiffFile& file, int first, int last) {
    for (int k = first; k < last; ++k) {
        std::vector<std::uint16_t> wide(7 * 5);
        for (std::size_t i = 0; i < wide.size(); ++i) wide[i] = static_cast<std::uint16_t>(1000 * i + k);
        file.append({wide.data(), 7, 5, 16, k % 2 ? "GBRG" : "", "frame " + std::to_string(2 * k) + ", 0.5 s"});
        std::vector<std::uint8_t> narrow(3 * 3, static_cast<std::uint8_t>(k));
        file.append({narrow.data(), 3, 3, 8, "", k == 0 ? "x" : "eight-bit page"});
    }
}

// Octave reads every page back with imread and compares it with the rule above.
bool octaveReadsPages(const fs::path& file, int pairs) {
    const std::string script =
        "f = '" + file.string() + "'; ok = numel(imfinfo(f)) == " + std::to_string(2 * pairs) + "; "
        "for k = 0:" + std::to_string(pairs - 1) + ", "
        "  wide = uint16(reshape(1000 * (0:34) + k, 7, 5)'); "
        "  ok = ok && isequal(imread(f, 2 * k + 1), wide) && isequal(imread(f, 2 * k + 2), uint8(k * ones(3))); "
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
    // before the switch read back as well as those after it.
    for (const std::uint64_t limit : {TiffFile::kClassicLimit, std::uint64_t{900}}) {
        const fs::path path = folder_ / ("pages-" + std::to_string(limit) + ".tif");
        TiffFile file(path.string(), limit);
        appendPages(file, 0, 5);
        EXPECT_EQ(file.pages(), 10u);
        EXPECT_EQ(file.bigTiff(), limit != TiffFile::kClassicLimit);

        const Output info = run("tiffinfo " + path.string());
        EXPECT_TRUE(info.ok) << info.text;
        EXPECT_EQ(count(info.text, "TIFF Directory at offset"), 10u) << info.text;
        EXPECT_EQ(count(info.text, "CFAPattern: 1,2,0,1"), 2u) << info.text;
        EXPECT_EQ(count(info.text, "ImageDescription: frame 8, 0.5 s"), 1u) << info.text;
        EXPECT_EQ(count(info.text, "ImageDescription: x\n"), 1u) << info.text;
        EXPECT_EQ(info.text.find("arning"), std::string::npos) << info.text;
        const Output dump = run("tiffdump " + path.string());
        EXPECT_EQ(dump.text.find("<BigTIFF>") != std::string::npos, file.bigTiff()) << dump.text;
        EXPECT_TRUE(octaveReadsPages(path, 5)) << path;
    }
}

TEST_F(TiffFileTest, WriteFailureLeavesEveryEarlierPage) {
    // Writes past a size limit fail as on a full disk: the page that hit it is not linked in,
    // and the file ends with the pages before it.
    const fs::path path = folder_ / "cut.tif";
    TiffFile file(path.string());
    appendPages(file, 0, 3);
    const std::uint64_t written = file.bytes();

    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    rlimit cut = previous;
    cut.rlim_cur = written + 40;  // the next page's samples stop short
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &cut), 0);
    EXPECT_THROW(appendPages(file, 3, 4), TiffWriteError);
    EXPECT_THROW(appendPages(file, 3, 4), TiffWriteError);  // and takes no more pages
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, handler);

    EXPECT_EQ(file.pages(), 6u);
    const Output info = run("tiffinfo " + path.string());
    EXPECT_TRUE(info.ok) << info.text;
    EXPECT_EQ(count(info.text, "TIFF Directory at offset"), 6u) << info.text;
    EXPECT_TRUE(octaveReadsPages(path, 3)) << path;
}

}  // namespace
}  // namespace qorin
