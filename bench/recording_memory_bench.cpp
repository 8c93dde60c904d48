// recording_memory_bench.cpp - memory of getFrames beyond the array it returns, through the host double.
//
//   recording_memory_bench [--frames N] [--repeats R] [--sizes 2048x1536,...] [filter]
//
// For each case (8- and 16-bit, colour and monochrome sensor, kinds 'raw', 'mono' and 'rgb'),
// a camera with an explicit frame records N frames (default 16) into a ring of N frames
// ('frames' N, 'buffer' N); once the recording has ended, one getFrames(cam, N, kind) is
// measured as capture_memory_bench measures a capture: the accounting sampled at every
// allocation, release and array creation or destruction (4 KiB pages), the ring alive before
// the call and so not counted.  Printed:
// - `peak/res`: the peak bytes alive during the call, beyond what existed before, over the
//   bytes of the frames array it returned;
// - `beyond/raw`: the same peak less the result, in raw frames (a conversion buffer is one to
//   three raw frames: a grey frame, or a colour picture of three samples a pixel);
// - `ms/frame`: after a warm-up, the median of R getFrames(N) calls (each after its own
//   recording) with sampling off and every block from malloc, per frame.
#include <sys/prctl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_arguments.h"
#include "host_accounting.h"
#include "sim/sim_control.h"
#include "tests/native/harness.h"

using bench::median;
using bench::parseSizes;
using bench::Size;

namespace {

struct Case {
    bool wide;
    bool colour;
    const char* kind;
    std::string label() const {
        return std::string(kind) + (colour ? " colour" : " mono") + (wide ? " 16-bit" : " 8-bit");
    }
};

void check(const harness::Outcome& o, const char* what) {
    if (o.ok) return;
    std::fprintf(stderr, "%s raised %s\n", what, harness::show(o.message).c_str());
    std::exit(2);
}

// Resets, then connects camera 1 with an explicit frame of the case's depth and sensor.
void prepare(const Case& c, const Size& size) {
    harness::resetAll(1);
    qorinsim::SimulatedCamera* camera = qorinsim::camera(1);
    camera->format_.width = static_cast<std::uint32_t>(size.columns);
    camera->format_.height = static_cast<std::uint32_t>(size.rows);
    camera->format_.pixelFormat = c.wide ? 1 : 0;
    camera->properties_[QORIN_PROP_MAX_WIDTH].value_ = static_cast<float>(size.columns);
    camera->properties_[QORIN_PROP_MAX_HEIGHT].value_ = static_cast<float>(size.rows);
    camera->properties_[QORIN_PROP_COLOUR_FORMAT].value_ = c.colour ? 1.0f : 0.0f;
    qorinsim::Frame frame;
    frame.rows_ = static_cast<std::uint32_t>(size.rows);
    frame.columns_ = static_cast<std::uint32_t>(size.columns);
    frame.sampleBytes_ = c.wide ? 2 : 1;
    frame.data_.resize(size.rows * size.columns * frame.sampleBytes_);
    for (std::size_t k = 0; k < frame.data_.size(); ++k)
        frame.data_[k] = static_cast<std::uint8_t>((k * 2654435761u) >> 11);
    camera->frames_ = {std::move(frame)};
    check(harness::run(-1, {harness::num(1)}), "connect");
}

// Records `frames` frames into a ring of as many, and waits until the recording has ended.
void record(int frames) {
    check(harness::runRaw({harness::text("startRecording"), harness::num(1), harness::text("frames"),
                           harness::num(frames), harness::text("buffer"), harness::num(frames)}),
          "startRecording");
    for (int k = 0; k < 3000; ++k) {
        harness::Outcome o = harness::runRaw({harness::text("isRecording"), harness::num(1)});
        check(o, "isRecording");
        if (!mxGetLogicals(o.result.get())[0]) {
            qorinsim::clearCalls();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::fprintf(stderr, "the recording did not end\n");
    std::exit(2);
}

harness::Outcome getFrames(int frames, const char* kind) {
    return harness::runRaw({harness::text("getFrames"), harness::num(1), harness::num(frames), harness::text(kind)});
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 16;
    int repeats = 5;
    std::vector<Size> sizes = {{2048, 1536}};
    std::string filter;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--frames" && k + 1 < argc) frames = std::max(1, std::atoi(argv[++k]));
        else if (arg == "--repeats" && k + 1 < argc) repeats = std::max(1, std::atoi(argv[++k]));
        else if (arg == "--sizes" && k + 1 < argc) sizes = parseSizes(argv[++k]);
        else filter = arg;
    }
    if (!hostdouble::moduleAllocationsCounted()) {
        std::fprintf(stderr, "the counting allocator is not linked in\n");
        return 1;
    }
    std::printf("recording_memory_bench: getFrames(cam, %d, kind) after a recording of %d frames\n", frames, frames);
    std::printf("%-10s %-20s %10s %10s %11s %10s\n", "size", "getFrames", "result MB", "peak/res", "beyond/raw",
                "ms/frame");
    for (const Size& size : sizes) {
        for (bool colour : {true, false}) {
            for (bool wide : {false, true}) {
                for (const char* kind : {"raw", "mono", "rgb"}) {
                    const Case c{wide, colour, kind};
                    const std::string label = c.label();
                    if (label.find(filter) == std::string::npos) continue;
                    const std::string sizeText = std::to_string(size.columns) + "x" + std::to_string(size.rows);
                    const double raw = static_cast<double>(size.columns * size.rows * (wide ? 2 : 1));
                    prepare(c, size);

                    // The peak, with 4 KiB pages so that residency grows as the module writes.
                    prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0);
                    hostdouble::setLargeBlocksMapped(true);
                    hostdouble::setPeakSampling(true);
                    record(frames);
                    harness::Outcome outcome = getFrames(frames, kind);
                    const hostdouble::CallMemory memory = hostdouble::lastCallMemory();
                    check(outcome, "getFrames");
                    outcome.result.reset();

                    // The time, as in a plain process.
                    prctl(PR_SET_THP_DISABLE, 0, 0, 0, 0);
                    hostdouble::setLargeBlocksMapped(false);
                    hostdouble::setPeakSampling(false);
                    std::vector<double> times;
                    for (int k = 0; k <= repeats; ++k) {
                        record(frames);
                        const auto start = std::chrono::steady_clock::now();
                        harness::Outcome timed = getFrames(frames, kind);
                        const auto stop = std::chrono::steady_clock::now();
                        check(timed, "getFrames");
                        timed.result.reset();
                        if (k > 0) times.push_back(std::chrono::duration<double, std::milli>(stop - start).count() / frames);
                    }
                    hostdouble::setLargeBlocksMapped(true);
                    hostdouble::setPeakSampling(true);

                    std::printf("%-10s %-20s %10.1f %10.3f %11.2f %10.3f\n", sizeText.c_str(), label.c_str(),
                                static_cast<double>(memory.result) / 1e6,
                                static_cast<double>(memory.peak - memory.before) / static_cast<double>(memory.result),
                                static_cast<double>(memory.beyondResult()) / raw, median(times));
                    std::fflush(stdout);
                }
            }
        }
    }
    harness::resetAll();
    return 0;
}
