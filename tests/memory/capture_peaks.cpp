// capture_peaks.cpp - each capture holds at most one raw frame and 10% of its result beyond the result, in bytes.
//
//   capture_peaks [filter]   runs the captures whose label contains `filter` (all by default)
//
// The host double counts MATLAB arrays and the module's own allocations by their resident
// bytes (see host_accounting.h), so the figures do not depend on timing.  The captures run at
// 640x480 with an explicit frame.
#include <sys/prctl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "host_accounting.h"
#include "tests/memory/captures.h"

namespace {

constexpr std::size_t kColumns = 640;
constexpr std::size_t kRows = 480;

}  // namespace

int main(int argc, char** argv) {
    const char* filter = argc > 1 ? argv[1] : "";
    // Huge pages would make residency jump by 2 MiB at a time, depending on what the system has.
    prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0);
    if (!hostdouble::moduleAllocationsCounted()) {
        std::printf("FAIL the counting allocator is not linked in: the module's allocations would not count\n");
        return 1;
    }
    int passed = 0;
    int failed = 0;
    std::printf("%-26s %12s %12s %12s %12s %8s %8s\n", "capture", "result", "peak-before", "beyond", "bound",
                "peak/res", "beyond/raw");
    for (const captures::Capture& c : captures::all()) {
        const std::string label = c.label();
        if (std::strstr(label.c_str(), filter) == nullptr) continue;
        captures::prepare(c, kColumns, kRows);
        harness::Outcome outcome = captures::take(c);
        const hostdouble::CallMemory memory = hostdouble::lastCallMemory();
        const std::size_t raw = captures::rawBytes(c, kColumns, kRows);
        const std::size_t result = captures::resultBytes(c, kColumns, kRows);
        const long long bound = static_cast<long long>(raw + result / 10);
        const long long beyond = memory.beyondResult();
        std::string problem;
        if (!outcome.ok) problem = "raised " + harness::show(outcome.message);
        else if (memory.result != result)
            problem = "result of " + std::to_string(memory.result) + " bytes, not " + std::to_string(result);
        std::printf("%-26s %12zu %12zu %12lld %12lld %8.3f %8.2f", label.c_str(), memory.result,
                    memory.peak - memory.before, beyond, bound,
                    static_cast<double>(memory.peak - memory.before) / static_cast<double>(result),
                    static_cast<double>(beyond) / static_cast<double>(raw));
        if (!problem.empty()) {
            std::printf("  FAIL: %s\n", problem.c_str());
            ++failed;
        } else if (beyond > bound) {
            std::printf("  FAIL: over the bound by %lld bytes\n", beyond - bound);
            ++failed;
        } else {
            std::printf("  ok\n");
            ++passed;
        }
        outcome.result.reset();
    }
    harness::resetAll();
    std::printf("capture peaks: %d within the bound, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
