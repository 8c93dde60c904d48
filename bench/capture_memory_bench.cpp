// capture_memory_bench.cpp - memory beyond the result and time per frame of the capture commands, through the host double.
//
//   capture_memory_bench [--repeats R] [--sizes 2048x1536,4096x3072] [--max-result-mb M] [--fresh-blocks]
//                        [filter]
//
// Every capture of tests/memory/captures.h (codes 7, 13, 87 with N = 1, 8, 40, 32 with 2 and 5
// cameras; 8/16-bit, colour/monochrome) at each size, with an explicit frame so that the
// simulator's own work is one copy (plus its naive demosaic for a colour camera):
// - one call with the accounting sampling every allocation and release: peak bytes alive during
//   the call (beyond what existed before) against the result, and beyond the result in raw
//   frames, with the bound (one raw frame + 10% of the result) beside it;
// - then a warm-up and R timed calls with sampling off and every block from malloc, as in a
//   plain process: the median time per frame (per camera for code 32).  glibc's malloc hands
//   freed blocks of up to 32 MiB out again, their pages in place; with --fresh-blocks every
//   block from 64 KiB up is new memory from the system, whose pages are faulted in and
//   cleared on first use, as the Windows heap gives out blocks above 512 KiB.
// Captures whose result exceeds M MiB (default 1024) are left out.  To compare two builds in
// one run, give both binaries to bench/capture_memory_ab.sh.
#include <sys/prctl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host_accounting.h"
#include "bench/bench_arguments.h"
#include "tests/memory/captures.h"

using bench::median;
using bench::parseSizes;
using bench::Size;

namespace {

}  // namespace

int main(int argc, char** argv) {
    int repeats = 5;
    std::vector<Size> sizes = {{2048, 1536}, {4096, 3072}};
    double maxResultMiB = 1024;
    std::string filter;
    bool freshBlocks = false;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--repeats" && k + 1 < argc) repeats = std::max(1, std::atoi(argv[++k]));
        else if (arg == "--sizes" && k + 1 < argc) sizes = parseSizes(argv[++k]);
        else if (arg == "--max-result-mb" && k + 1 < argc) maxResultMiB = std::atof(argv[++k]);
        else if (arg == "--fresh-blocks") freshBlocks = true;
        else filter = arg;
    }
    if (!hostdouble::moduleAllocationsCounted()) {
        std::fprintf(stderr, "the counting allocator is not linked in\n");
        return 1;
    }
    std::printf("%-10s %-24s %10s %10s %11s %10s %11s\n", "size", "capture", "result MB", "peak/res", "beyond/raw",
                "bound/raw", "ms/frame");
    for (const Size& size : sizes) {
        for (const captures::Capture& c : captures::all()) {
            const std::string label = c.label();
            if (label.find(filter) == std::string::npos) continue;
            const std::size_t result = captures::resultBytes(c, size.columns, size.rows);
            const std::size_t raw = captures::rawBytes(c, size.columns, size.rows);
            const std::string sizeText = std::to_string(size.columns) + "x" + std::to_string(size.rows);
            if (static_cast<double>(result) > maxResultMiB * 1048576.0) {
                std::printf("%-10s %-24s %10.1f   (left out: result over --max-result-mb)\n", sizeText.c_str(),
                            label.c_str(), static_cast<double>(result) / 1e6);
                continue;
            }
            captures::prepare(c, size.columns, size.rows);

            // The peak, with 4 KiB pages so that residency grows as the module writes.
            prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0);
            hostdouble::setLargeBlocksMapped(true);
            hostdouble::setPeakSampling(true);
            harness::Outcome outcome = captures::take(c);
            const hostdouble::CallMemory memory = hostdouble::lastCallMemory();
            outcome.result.reset();
            if (!outcome.ok) {
                std::printf("%-10s %-24s raised %s\n", sizeText.c_str(), label.c_str(),
                            harness::show(outcome.message).c_str());
                continue;
            }

            // The time, as in a plain process.
            prctl(PR_SET_THP_DISABLE, 0, 0, 0, 0);
            hostdouble::setLargeBlocksMapped(freshBlocks);
            hostdouble::setPeakSampling(false);
            const double frames = c.code == 87 ? c.frames : (c.code == 32 ? c.cameras : 1);
            std::vector<double> times;
            for (int k = 0; k <= repeats; ++k) {
                const auto start = std::chrono::steady_clock::now();
                harness::Outcome timed = captures::take(c);
                const auto stop = std::chrono::steady_clock::now();
                timed.result.reset();
                if (k > 0) times.push_back(std::chrono::duration<double, std::milli>(stop - start).count() / frames);
            }
            hostdouble::setLargeBlocksMapped(true);
            hostdouble::setPeakSampling(true);

            const double rawBytes = static_cast<double>(raw);
            std::printf("%-10s %-24s %10.1f %10.3f %11.2f %10.2f %11.3f\n", sizeText.c_str(), label.c_str(),
                        static_cast<double>(result) / 1e6,
                        static_cast<double>(memory.peak - memory.before) / static_cast<double>(result),
                        static_cast<double>(memory.beyondResult()) / rawBytes,
                        (rawBytes + static_cast<double>(result) / 10) / rawBytes, median(times));
            std::fflush(stdout);
        }
    }
    harness::resetAll();
    return 0;
}
