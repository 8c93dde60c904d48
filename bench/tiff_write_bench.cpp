// tiff_write_bench.cpp - the recorder's TIFF writer alone: its rate against a plain sequential write, and its memory over millions of pages.
//
//   tiff_write_bench [--folder /tmp] [--size 2048x1536] [--frames N] [--repeats R] [--rows-reversed]
//   tiff_write_bench --pages N [--folder /tmp] [--size 8x8]
//
// Rate (the first form).  Per depth (8 and 16 bit) and repeat, in alternating order, into a new
// file in `folder`:
// - `tiff`: TiffFile::append of N pages from one warm frame, with a description such as the
//   recorder writes, then TiffFile::finish: what the recorder's writer thread does per frame,
//   without the ring and the camera (with --rows-reversed, pages read out bottom row first, as
//   a colour sensor's are: their rows go out in one gathered write);
// - `plain`: the same N frames' samples with write(2), frame by frame, then closed.
// Both go to the page cache (no fsync); each file is deleted after its run.  Prints the median
// MB/s of each and the median of the per-repeat ratios tiff / plain.
//
// Memory (--pages).  N 8-bit pages (default 2,000,000 of 8x8) into one file whose switch to
// BigTIFF comes halfway (the `classicLimit` test hook), then finish.  Prints the process's
// resident memory beyond what it had before the file was made, every tenth of the run and at
// the switch, its peak (VmHWM, reset before the run through /proc/self/clear_refs) and the
// time of each part.  Linux only (/proc).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tiff/tiff_file.h"

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The process's resident memory now and at its peak, in KiB, from /proc/self/status.
struct Resident {
    long now = -1;
    long peak = -1;
};

Resident resident() {
    Resident r;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 6, "VmRSS:") == 0) r.now = std::atol(line.c_str() + 6);
        if (line.compare(0, 6, "VmHWM:") == 0) r.peak = std::atol(line.c_str() + 6);
    }
    return r;
}

// Writes `pages` pages of `columns` x `rows` 8-bit samples, the switch to BigTIFF halfway.
int memoryRun(const std::string& path, unsigned columns, unsigned rows, long pages) {
    std::vector<std::uint8_t> frame(std::size_t{columns} * rows);
    for (std::size_t k = 0; k < frame.size(); ++k) frame[k] = static_cast<std::uint8_t>(k * 7);
    std::string description = "sequence=1234567 timestamp=1234.567890 missed=0";
    // A page takes its samples, a directory of 17 entries and a description of about 48
    // bytes: the file passes half its size about halfway.
    const std::uint64_t stride = frame.size() + 2 + 17 * 12 + 4 + description.size() + 2;
    const std::uint64_t limit = stride * static_cast<std::uint64_t>(pages) / 2;
    std::printf("tiff_write_bench: %s, %ld pages of %ux%u, switch to BigTIFF past %.1f MB\n", path.c_str(), pages,
                columns, rows, static_cast<double>(limit) / 1e6);
    std::printf("%10s %10s %12s\n", "pages", "file MB", "resident KiB");
    try {
        const auto start = std::chrono::steady_clock::now();
        qorin::TiffFile out(path, path, limit);
        const Resident before = resident();
        {
            std::ofstream reset("/proc/self/clear_refs");
            reset << "5";  // the peak from here on
        }
        long switchedAt = -1;
        double switchSeconds = 0;
        long largest = 0;
        for (long k = 0; k < pages; ++k) {
            std::snprintf(&description[9], 8, "%07ld", k % 10000000);
            description[16] = ' ';
            qorin::TiffPage page;
            page.samples = frame.data();
            page.width = columns;
            page.height = rows;
            page.bitsPerSample = 8;
            page.description = description;
            const bool wasBig = out.bigTiff();
            const auto pageStart = std::chrono::steady_clock::now();
            out.append(page);
            if (!wasBig && out.bigTiff()) {
                switchedAt = k;
                switchSeconds = seconds(pageStart);
                const long now = resident().now - before.now;
                largest = std::max(largest, now);
                std::printf("%10ld %10.1f %12ld   (the switch: %.2f s)\n", k + 1, static_cast<double>(out.bytes()) / 1e6,
                            now, switchSeconds);
            }
            if ((k + 1) % (pages / 10 > 0 ? pages / 10 : 1) == 0) {
                const long now = resident().now - before.now;
                largest = std::max(largest, now);
                std::printf("%10ld %10.1f %12ld\n", k + 1, static_cast<double>(out.bytes()) / 1e6, now);
                std::fflush(stdout);
            }
        }
        const auto finishStart = std::chrono::steady_clock::now();
        out.finish(0.001);
        const double finishSeconds = seconds(finishStart);
        const Resident after = resident();
        std::printf("resident growth: largest sampled %ld KiB, peak %ld KiB (VmHWM %ld KiB, %ld KiB before)\n", largest,
                    after.peak - before.now, after.peak, before.now);
        std::printf("time: %.1f s for %ld pages (%.2f us a page), the switch %.2f s at page %ld, finish %.3f s\n",
                    seconds(start), pages, seconds(start) / static_cast<double>(pages) * 1e6, switchSeconds,
                    switchedAt + 1, finishSeconds);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        std::remove(path.c_str());
        return 1;
    }
    std::remove(path.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = "/tmp";
    unsigned columns = 2048, rows = 1536;
    int frames = 64, repeats = 5;
    long pages = 0;
    bool sized = false;
    bool rowsReversed = false;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--folder" && k + 1 < argc) folder = argv[++k];
        else if (arg == "--size" && k + 1 < argc) {
            if (std::sscanf(argv[++k], "%ux%u", &columns, &rows) != 2) return 2;
            sized = true;
        } else if (arg == "--frames" && k + 1 < argc) frames = std::max(1, std::atoi(argv[++k]));
        else if (arg == "--pages" && k + 1 < argc) pages = std::max(1L, std::atol(argv[++k]));
        else if (arg == "--rows-reversed") rowsReversed = true;
        else if (arg == "--repeats" && k + 1 < argc) repeats = std::max(1, std::atoi(argv[++k]));
        else {
            std::fprintf(stderr,
                         "usage: tiff_write_bench [--folder F] [--size WxH] [--frames N] [--repeats R] [--rows-reversed]\n"
                         "       tiff_write_bench --pages N [--folder F] [--size WxH]\n");
            return 2;
        }
    }
    const std::string path = folder + "/qorin-tiff-write-bench-" + std::to_string(getpid());
    if (pages > 0) return memoryRun(path + ".tif", sized ? columns : 8, sized ? rows : 8, pages);
    std::printf("tiff_write_bench: %s*, %d frames of %ux%u per file%s, %d repeats\n", path.c_str(), frames, columns,
                rows, rowsReversed ? ", rows reversed" : "", repeats);
    std::printf("%-6s %10s %12s %12s %8s\n", "depth", "file MB", "tiff MB/s", "plain MB/s", "ratio");
    for (int depth : {8, 16}) {
        const std::size_t bytes = std::size_t{columns} * rows * (depth / 8);
        std::vector<std::uint8_t> frame(bytes);
        for (std::size_t k = 0; k < bytes; ++k) frame[k] = static_cast<std::uint8_t>((k * 2654435761u) >> 11);
        const double total = static_cast<double>(bytes) * frames;
        std::vector<double> tiff, plain, ratio;
        for (int r = 0; r < repeats; ++r) {
            double tiffRate = 0, plainRate = 0;
            for (int which : {r % 2, 1 - r % 2}) {
                const std::string file = path + (which == 0 ? ".tif" : ".raw");
                const auto start = std::chrono::steady_clock::now();
                if (which == 0) {
                    try {
                        qorin::TiffFile out(file, file);
                        for (int f = 0; f < frames; ++f) {
                            qorin::TiffPage page;
                            page.samples = frame.data();
                            page.width = columns;
                            page.height = rows;
                            page.bitsPerSample = static_cast<std::uint16_t>(depth);
                            page.description = "sequence=" + std::to_string(f + 1) + " timestamp=0.000000 missed=0";
                            page.rowsReversed = rowsReversed;
                            out.append(page);
                        }
                        out.finish(0.0);
                    } catch (const std::exception& failure) {
                        std::fprintf(stderr, "%s\n", failure.what());
                        return 1;
                    }
                    tiffRate = total / seconds(start);
                } else {
                    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                    if (fd < 0) return 1;
                    for (int f = 0; f < frames; ++f) {
                        std::size_t done = 0;
                        while (done < bytes) {
                            const ssize_t n = write(fd, frame.data() + done, bytes - done);
                            if (n <= 0) return 1;
                            done += static_cast<std::size_t>(n);
                        }
                    }
                    if (close(fd) != 0) return 1;
                    plainRate = total / seconds(start);
                }
                std::remove(file.c_str());
            }
            tiff.push_back(tiffRate);
            plain.push_back(plainRate);
            ratio.push_back(tiffRate / plainRate);
        }
        std::printf("%-6d %10.1f %12.0f %12.0f %8.2f\n", depth, total / 1e6, median(tiff) / 1e6, median(plain) / 1e6,
                    median(ratio));
        std::fflush(stdout);
    }
    return 0;
}
