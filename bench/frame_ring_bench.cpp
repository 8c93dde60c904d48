// frame_ring_bench.cpp - what the recording ring adds to each frame, beyond the SDK's own write into the slot.
//
//   frame_ring_bench [--size 2048x1536] [--depths 8,16] [--buffer K] [--frames N] [--repeats R]
//
// The recorder's worker puts a frame as: FrameRing::beginPut, the SDK writes the frame into the
// slot (QorinTakeVideo: here a memcpy from a fixed source frame, as the simulator with an
// explicit frame does), FrameRing::commitPut.  The ring is made resident before the first frame
// (FrameRing::makeResident, timed apart: `prep`, in ms per GiB), as the recorder does at the
// start.  A consumer thread takes the frames as MATLAB's getFrames does (waitAvailable,
// takeOldest, the lease committed), without copying them out.  Each repeat, every case side by side:
// - `memcpy`: memcpy of the frame into one fixed, warm buffer: the SDK's write with no recorder;
// - `ring`: N frames through a new ring of K frames (K + 1 slots): the first lap (the K + 1
//   slots' first frames) and the steady state (the frames after it) apart, time per frame from
//   beginPut to commitPut;
// - `memcpy fresh`: memcpy into K + 1 never-touched frame buffers, one frame each: the page
//   faults alone, the first lap's floor;
// - `memcpy cycle`: memcpy into the same K + 1 buffers again, in turn: the ring's memory without
//   its calls, the steady state's floor.
// Figures: per frame, the median over frames within a repeat, then the median over repeats;
// ratios are medians of the per-repeat ratios.
#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "recording/frame_ring.h"

namespace {

using Clock = std::chrono::steady_clock;

double micros(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::micro>(b - a).count(); }

double median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double mean(const std::vector<double>& values) {
    double sum = 0.0;
    for (double v : values) sum += v;
    return values.empty() ? 0.0 : sum / static_cast<double>(values.size());
}

// Never-touched memory straight from the system, as the ring's large block is.
struct Fresh {
    void* base = MAP_FAILED;
    std::size_t length = 0;
    explicit Fresh(std::size_t bytes) : length(bytes) {
        base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED) std::abort();
    }
    ~Fresh() { munmap(base, length); }
    std::uint8_t* data() const { return static_cast<std::uint8_t*>(base); }
};

struct RingTimes {
    double prepMsPerGiB = 0.0;     // making the block resident
    std::vector<double> firstLap;  // µs per frame, the K + 1 first frames
    std::vector<double> steady;    // µs per frame, the frames after them
    qorin::FrameRing::Counts counts;
};

RingTimes runRing(const std::vector<std::uint8_t>& source, std::uint64_t capacity, std::uint64_t frames) {
    qorin::FrameRing ring;
    if (!ring.allocate(capacity, source.size(), qorin::WhenFull::Overwrite, false)) {
        std::fprintf(stderr, "no memory for the ring\n");
        std::exit(1);
    }
    const Clock::time_point prepStart = Clock::now();
    ring.makeResident(nullptr);
    const double gib = static_cast<double>((capacity + 1) * source.size()) / (1u << 30);
    const double prepMs = micros(prepStart, Clock::now()) / 1000;
    std::atomic<bool> done{false};
    std::thread taker([&] {
        for (;;) {
            const bool finished = done.load();
            ring.waitAvailable(1, Clock::now() + std::chrono::milliseconds(50));
            qorin::TakeLease taken = ring.takeOldest(capacity);
            taken.commit();
            if (finished && taken.count() == 0) break;
        }
    });
    RingTimes times;
    times.prepMsPerGiB = prepMs / gib;
    const std::uint64_t slots = capacity + 1;
    for (std::uint64_t f = 0; f < frames; ++f) {
        const Clock::time_point start = Clock::now();
        std::uint8_t* slot = ring.beginPut();
        std::memcpy(slot, source.data(), source.size());
        ring.commitPut(qorin::FrameStamp{f + 1, 0.0, 0});
        const Clock::time_point stop = Clock::now();
        (f < slots ? times.firstLap : times.steady).push_back(micros(start, stop));
    }
    ring.announceEnd();
    done = true;
    taker.join();
    times.counts = ring.counts();
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t columns = 2048, rows = 1536;
    std::vector<int> depths = {8, 16};
    std::uint64_t capacity = 16, frames = 200;
    int repeats = 7;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--size" && k + 1 < argc) {
            if (std::sscanf(argv[++k], "%zux%zu", &columns, &rows) != 2) return 2;
        } else if (arg == "--depths" && k + 1 < argc) {
            depths.clear();
            for (const char* p = argv[++k]; *p != '\0';) {
                char* end = nullptr;
                depths.push_back(static_cast<int>(std::strtol(p, &end, 10)));
                p = *end == ',' ? end + 1 : end;
                if (end == p && *p != '\0') return 2;
            }
        } else if (arg == "--buffer" && k + 1 < argc) {
            capacity = std::max<std::uint64_t>(1, std::strtoull(argv[++k], nullptr, 10));
        } else if (arg == "--frames" && k + 1 < argc) {
            frames = std::strtoull(argv[++k], nullptr, 10);
        } else if (arg == "--repeats" && k + 1 < argc) {
            repeats = std::max(1, std::atoi(argv[++k]));
        } else {
            std::fprintf(stderr, "usage: frame_ring_bench [--size WxH] [--depths 8,16] [--buffer K] [--frames N] "
                                 "[--repeats R]\n");
            return 2;
        }
    }
    const std::uint64_t slots = capacity + 1;
    frames = std::max(frames, 2 * slots);
    std::printf("frame_ring_bench: %zux%zu, ring of %llu frames (%llu slots), %llu frames per run, %d repeats; "
                "us per frame, medians\n",
                columns, rows, static_cast<unsigned long long>(capacity), static_cast<unsigned long long>(slots),
                static_cast<unsigned long long>(frames), repeats);
    std::printf("%-6s %9s %11s %11s %9s %11s %11s %9s %10s %10s %12s\n", "depth", "memcpy", "ring lap1", "fresh cpy",
                "lap1/cpy", "ring steady", "cycle cpy", "steady/cpy", "steady/cyc", "lap1/fresh", "prep ms/GiB");
    for (int depth : depths) {
        const std::size_t bytes = columns * rows * (depth > 8 ? 2 : 1);
        std::vector<std::uint8_t> source(bytes);
        for (std::size_t k = 0; k < bytes; ++k) source[k] = static_cast<std::uint8_t>((k * 2654435761u) >> 11);
        std::vector<std::uint8_t> fixed(bytes, 1);

        std::vector<double> tMemcpy, tLap, tFresh, tSteady, tCycle;
        std::vector<double> rLap, rSteady, rSteadyCycle, rLapFresh, tPrep;
        std::uint64_t lost = 0;
        for (int r = 0; r < repeats; ++r) {
            // memcpy into the fixed buffer, warm.
            std::vector<double> copies;
            for (std::uint64_t f = 0; f < frames; ++f) {
                const Clock::time_point a = Clock::now();
                std::memcpy(fixed.data(), source.data(), bytes);
                copies.push_back(micros(a, Clock::now()));
            }
            const double memcpyUs = median(copies);

            // The ring, first lap and steady state.
            const RingTimes ring = runRing(source, capacity, frames);
            lost += ring.counts.overwritten;

            // The same memory without the ring: fresh, then cycled.
            std::vector<double> fresh, cycle;
            {
                Fresh region(slots * bytes);
                for (std::uint64_t f = 0; f < slots; ++f) {
                    const Clock::time_point a = Clock::now();
                    std::memcpy(region.data() + f * bytes, source.data(), bytes);
                    fresh.push_back(micros(a, Clock::now()));
                }
                for (std::uint64_t f = slots; f < frames; ++f) {
                    const Clock::time_point a = Clock::now();
                    std::memcpy(region.data() + (f % slots) * bytes, source.data(), bytes);
                    cycle.push_back(micros(a, Clock::now()));
                }
            }
            const double lapUs = mean(ring.firstLap), steadyUs = median(ring.steady);
            const double freshUs = mean(fresh), cycleUs = median(cycle);
            tMemcpy.push_back(memcpyUs);
            tPrep.push_back(ring.prepMsPerGiB);
            tLap.push_back(lapUs);
            tFresh.push_back(freshUs);
            tSteady.push_back(steadyUs);
            tCycle.push_back(cycleUs);
            rLap.push_back(lapUs / memcpyUs);
            rSteady.push_back(steadyUs / memcpyUs);
            rSteadyCycle.push_back(steadyUs / cycleUs);
            rLapFresh.push_back(lapUs / freshUs);
        }
        std::printf("%-6d %9.1f %11.1f %11.1f %9.2f %11.1f %11.1f %9.2f %10.2f %10.2f %12.0f\n", depth,
                    median(tMemcpy), median(tLap), median(tFresh), median(rLap), median(tSteady), median(tCycle),
                    median(rSteady), median(rSteadyCycle), median(rLapFresh), median(tPrep));
        if (lost != 0) {
            std::printf("       (the taker fell behind: %llu frames overwritten over the repeats)\n",
                        static_cast<unsigned long long>(lost));
        }
        std::fflush(stdout);
    }
    return 0;
}
