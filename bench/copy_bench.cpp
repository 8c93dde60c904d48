// copy_bench.cpp - the copy kernels against memcpy of the same bytes, warm and into fresh memory.
//
// Every case is one Google Benchmark; after the run a table gives each copy's median time
// as a ratio to the median memcpy of the same bytes in the same memory state (the in-place
// arrangement of a picture: to the copy it replaces).
#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "kernels/copy_kernels.h"
#include "platform/memory.h"
#include "tests/unit/reference_copy.h"

namespace {

using qorin::CopyJob;
using qorin::CopyKernelSet;
using qorin::Orientation;

struct Size {
    std::size_t columns;
    std::size_t rows;
};
const Size kSizes[] = {{640, 480}, {1280, 1024}, {2048, 1536}, {4096, 3072}};

// Octave hands out large arrays 16 bytes past a page boundary (the allocator's header); the
// copies start there too.
constexpr std::size_t kArrayOffset = 16;

enum class Memory { warm, fresh, prepared };
const char* memoryName(Memory memory) {
    switch (memory) {
        case Memory::warm: return "warm";
        case Memory::fresh: return "fresh";
        case Memory::prepared: return "fresh+prepared";
    }
    return "";
}

// Memory obtained from the system for every iteration, so every page is faulted in anew,
// optionally readied as the module readies its result arrays (in the timed part).
struct Mapping {
    void* base = MAP_FAILED;
    std::size_t length = 0;
    Mapping(std::size_t bytes, bool prepared) : length(bytes + kArrayOffset) {
        base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED) std::abort();
        if (prepared) qorin::platform::prepareArrayMemory(data(), bytes);
    }
    ~Mapping() { munmap(base, length); }
    std::uint8_t* data() const { return static_cast<std::uint8_t*>(base) + kArrayOffset; }
};

struct Buffers {
    std::vector<std::uint8_t> source;
    Mapping destination;
    Buffers(std::size_t bytes) : source(bytes), destination(bytes, false) {
        for (std::size_t k = 0; k < bytes; ++k) source[k] = static_cast<std::uint8_t>(k * 2654435761u >> 13);
        std::memset(destination.data(), 1, bytes);
    }
};

// One shared source and warm destination per byte count.
Buffers& buffersFor(std::size_t bytes) {
    static std::map<std::size_t, Buffers*> all;
    Buffers*& entry = all[bytes];
    if (entry == nullptr) entry = new Buffers(bytes);
    return *entry;
}

// The straightforward copy: source order, one scattered write per sample.
const CopyKernelSet kNaive{"naive", qorin::referenceCopy<std::uint8_t>, qorin::referenceCopy<std::uint16_t>};

// Streaming: by size as the module decides it, or forced on or off.
enum class Streaming { bySize, on, off };

std::string sizeName(Size size) { return std::to_string(size.columns) + "x" + std::to_string(size.rows); }
std::string layoutName(unsigned sampleBytes, unsigned channels) {
    return std::to_string(8 * sampleBytes) + "bit/" + (channels == 3 ? "picture" : "plane");
}
std::string memcpyName(Memory memory, Size size, unsigned sampleBytes, unsigned channels) {
    return "memcpy/" + std::string(memoryName(memory)) + "/" + sizeName(size) + "/" + layoutName(sampleBytes, channels);
}

void runMemcpy(benchmark::State& state, Memory memory, std::size_t bytes) {
    Buffers& buffers = buffersFor(bytes);
    for (auto _ : state) {
        if (memory == Memory::warm) {
            std::memcpy(buffers.destination.data(), buffers.source.data(), bytes);
            benchmark::DoNotOptimize(buffers.destination.data());
        } else {
            Mapping fresh(bytes, memory == Memory::prepared);
            std::memcpy(fresh.data(), buffers.source.data(), bytes);
            benchmark::DoNotOptimize(fresh.data());
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void runCopy(benchmark::State& state, const CopyKernelSet* kernels, Memory memory, Size size, unsigned sampleBytes,
             unsigned channels, Orientation orientation, Streaming streaming) {
    const std::size_t bytes = size.rows * size.columns * channels * sampleBytes;
    Buffers& buffers = buffersFor(bytes);
    CopyJob job;
    job.source = buffers.source.data();
    job.rows = size.rows;
    job.columns = size.columns;
    job.channels = channels;
    job.orientation = orientation;
    job.destinationRows = size.rows;
    job.streaming = streaming == Streaming::on || (streaming == Streaming::bySize && qorin::streamingPays(bytes));
    const qorin::CopyKernel kernel = sampleBytes == 2 ? kernels->copy16 : kernels->copy8;
    for (auto _ : state) {
        if (memory == Memory::warm) {
            job.destination = buffers.destination.data();
            kernel(job);
        } else {
            Mapping fresh(bytes, memory == Memory::prepared);
            job.destination = fresh.data();
            kernel(job);
            benchmark::DoNotOptimize(fresh.data());
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// A picture turned into its planes where it lies, with a raw frame's worth of work memory, as
// a capture that builds its picture in the result array does; the picture is put back in
// place outside the timed part.
void runInPlace(benchmark::State& state, Size size, unsigned sampleBytes) {
    const std::size_t bytes = size.rows * size.columns * 3 * sampleBytes;
    Buffers& buffers = buffersFor(bytes);
    std::vector<std::uint64_t> work(bytes / 3 / sizeof(std::uint64_t) + 1);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(buffers.destination.data(), buffers.source.data(), bytes);
        state.ResumeTiming();
        qorin::arrangePictureInPlace(buffers.destination.data(), size.rows, size.columns, sampleBytes,
                                     Orientation{true, false}, work.data(), bytes / 3);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

struct Case {
    std::string name;
    std::string baseline;  // the memcpy case it is compared with
    std::string label;     // in the table, when not the name
};
std::vector<Case>& cases() {
    static std::vector<Case> all;
    return all;
}

const char* orientationName(Orientation orientation) {
    if (orientation.rowsReversed) return orientation.colsReversed ? "both" : "rows";
    return orientation.colsReversed ? "cols" : "none";
}

void addCopy(const CopyKernelSet* kernels, Memory memory, Size size, unsigned sampleBytes, unsigned channels,
             Orientation orientation, Streaming streaming) {
    std::string name = std::string(kernels->name) + "/" + memoryName(memory) + "/" + sizeName(size) + "/" +
                       layoutName(sampleBytes, channels) + "/" + orientationName(orientation);
    if (streaming == Streaming::on) name += "/stream";
    if (streaming == Streaming::off) name += "/cached";
    benchmark::RegisterBenchmark(name.c_str(), runCopy, kernels, memory, size, sampleBytes, channels, orientation,
                                 streaming)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    cases().push_back({name, memcpyName(memory, size, sampleBytes, channels), ""});
    // A prepared array against what a plain MEX function does: create the array, memcpy.
    if (memory == Memory::prepared) {
        cases().push_back({name, memcpyName(Memory::fresh, size, sampleBytes, channels), name + " vs plain"});
    }
}

void registerAll(const std::vector<const CopyKernelSet*>& sets) {
    const Orientation orientations[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    const CopyKernelSet* best = &qorin::bestCopyKernels();
    for (Size size : kSizes) {
        for (unsigned sampleBytes : {1u, 2u}) {
            for (unsigned channels : {1u, 3u}) {
                const std::size_t bytes = size.rows * size.columns * channels * sampleBytes;
                for (Memory memory : {Memory::warm, Memory::fresh, Memory::prepared}) {
                    const std::string name = memcpyName(memory, size, sampleBytes, channels);
                    benchmark::RegisterBenchmark(name.c_str(), runMemcpy, memory, bytes)
                        ->Unit(benchmark::kMicrosecond)
                        ->UseRealTime();
                }
                // The module's own choice in every orientation, warm and fresh.
                for (Orientation orientation : orientations) {
                    addCopy(best, Memory::warm, size, sampleBytes, channels, orientation, Streaming::bySize);
                }
                addCopy(best, Memory::fresh, size, sampleBytes, channels, {false, false}, Streaming::bySize);
                addCopy(best, Memory::fresh, size, sampleBytes, channels, {true, false}, Streaming::bySize);
                addCopy(best, Memory::prepared, size, sampleBytes, channels, {false, false}, Streaming::bySize);
                // Streaming forced either way, to check the size at which it starts paying.
                addCopy(best, Memory::warm, size, sampleBytes, channels, {false, false}, Streaming::on);
                addCopy(best, Memory::warm, size, sampleBytes, channels, {false, false}, Streaming::off);
                addCopy(best, Memory::fresh, size, sampleBytes, channels, {false, false}, Streaming::on);
                addCopy(best, Memory::fresh, size, sampleBytes, channels, {false, false}, Streaming::off);
                // The other kernels and the straightforward loop, unmirrored.
                for (const CopyKernelSet* kernels : sets) {
                    if (kernels != best) {
                        addCopy(kernels, Memory::warm, size, sampleBytes, channels, {false, false}, Streaming::bySize);
                    }
                }
                addCopy(&kNaive, Memory::warm, size, sampleBytes, channels, {false, false}, Streaming::bySize);
                if (channels == 3) {
                    // Against the copy it replaces: the module's, rows reversed as for every colour picture.
                    const std::string name = "in-place/warm/" + sizeName(size) + "/" + layoutName(sampleBytes, 3);
                    benchmark::RegisterBenchmark(name.c_str(), runInPlace, size, sampleBytes)
                        ->Unit(benchmark::kMicrosecond)
                        ->UseRealTime();
                    cases().push_back({name, std::string(best->name) + "/warm/" + sizeName(size) + "/" +
                                                 layoutName(sampleBytes, 3) + "/rows",
                                       name + " vs copy"});
                }
            }
        }
    }
}

// Console output as usual, and the medians kept for the ratio table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (median || single) medians_[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-58s %12s %12s %8s\n", "copy (median)", "time us", "memcpy us", "ratio");
        for (const Case& c : cases()) {
            const auto copy = medians_.find(c.name);
            const auto base = medians_.find(c.baseline);
            if (copy == medians_.end() || base == medians_.end()) continue;
            const std::string& label = c.label.empty() ? c.name : c.label;
            std::printf("%-58s %12.1f %12.1f %8.2f\n", label.c_str(), copy->second, base->second,
                        copy->second / base->second);
        }
    }

private:
    std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<const CopyKernelSet*> sets{&qorin::portableCopyKernels()};
    if (qorin::sse2CopyKernels() != nullptr && qorin::processorRunsSse2()) sets.push_back(qorin::sse2CopyKernels());
    if (qorin::avx2CopyKernels() != nullptr && qorin::processorRunsAvx2()) sets.push_back(qorin::avx2CopyKernels());
    if (qorin::avx512CopyKernels() != nullptr && qorin::processorRunsAvx512()) {
        sets.push_back(qorin::avx512CopyKernels());
    }
    std::printf("copy kernels chosen for this processor: %s\n", qorin::bestCopyKernels().name);
    registerAll(sets);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
