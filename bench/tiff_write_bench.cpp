// tiff_write_bench.cpp - the recorder's TIFF writer alone against a plain sequential write of the same bytes.
//
//   tiff_write_bench [--folder /tmp] [--size 2048x1536] [--frames N] [--repeats R]
//
// Per depth (8 and 16 bit) and repeat, in alternating order, into a new file in `folder`:
// - `tiff`: TiffFile::append of N pages from one warm frame, with a description such as the
//   recorder writes, then the file closed: what the recorder's writer thread does per frame,
//   without the ring and the camera;
// - `plain`: the same N frames' samples with write(2), frame by frame, then closed.
// Both go to the page cache (no fsync); each file is deleted after its run.  Prints the median
// MB/s of each and the median of the per-repeat ratios tiff / plain.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "acquisition/tiff_file.h"

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = "/tmp";
    unsigned columns = 2048, rows = 1536;
    int frames = 64, repeats = 5;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--folder" && k + 1 < argc) folder = argv[++k];
        else if (arg == "--size" && k + 1 < argc) {
            if (std::sscanf(argv[++k], "%ux%u", &columns, &rows) != 2) return 2;
        } else if (arg == "--frames" && k + 1 < argc) frames = std::max(1, std::atoi(argv[++k]));
        else if (arg == "--repeats" && k + 1 < argc) repeats = std::max(1, std::atoi(argv[++k]));
        else {
            std::fprintf(stderr, "usage: tiff_write_bench [--folder F] [--size WxH] [--frames N] [--repeats R]\n");
            return 2;
        }
    }
    const std::string path = folder + "/qorin-tiff-write-bench-" + std::to_string(getpid());
    std::printf("tiff_write_bench: %s*, %d frames of %ux%u per file, %d repeats\n", path.c_str(), frames, columns, rows,
                repeats);
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
                            out.append(page);
                        }
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
