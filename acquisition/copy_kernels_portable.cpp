// copy_kernels_portable.cpp - blocked scalar copy kernels and the choice of kernels for this processor.
#include "acquisition/copy_kernels.h"

#include "acquisition/copy_kernels_tiled.h"

#if QORIN_X86 && defined(_MSC_VER) && !defined(__clang__)
#  include <immintrin.h>
#  include <intrin.h>
#endif

namespace qorin {
namespace {

// Blocks of kBlockRows x kBlockElements keep the source rows of a block in the first-level
// cache while each destination column is written in order.
constexpr std::size_t kBlockRows = 64;
constexpr std::size_t kBlockElements = 16;

// Samples unchanged, or 16-bit samples through a rule.
template <typename Sample, WordRule kRule>
inline Sample ruled(Sample sample) {
    if (sizeof(Sample) == 1) return sample;
    return static_cast<Sample>(ruledWord<kRule>(sample));
}

template <typename Sample, bool kPicture, WordRule kRule>
void blockedCopy(const CopyJob& job) {
    const std::size_t rows = job.rows;
    const std::size_t elements = job.columns * (kPicture ? 3 : 1);
    if (rows == 0 || elements == 0) return;
    const SourceRows<Sample> source = sourceRows<Sample>(job, elements);
    const ColumnMap<kPicture> map = columnMap<kPicture>(job);
    auto* base = static_cast<Sample*>(job.destination);
    for (std::size_t band = 0; band < rows; band += kBlockRows) {
        const std::size_t bandEnd = smaller(band + kBlockRows, rows);
        for (std::size_t block = 0; block < elements; block += kBlockElements) {
            const std::size_t blockEnd = smaller(block + kBlockElements, elements);
            for (std::size_t e = block; e < blockEnd; ++e) {
                Sample* target = base + map.offset(e);
                const Sample* from = source.row0 + static_cast<std::ptrdiff_t>(e);
                for (std::size_t r = band; r < bandEnd; ++r) {
                    target[r] = ruled<Sample, kRule>(from[static_cast<std::ptrdiff_t>(r) * source.step]);
                }
            }
        }
    }
    replicateRows<Sample>(job, 0, rows);
}

template <typename Sample, WordRule kRule>
void layoutCopy(const CopyJob& job) {
    if (job.channels == 3) {
        blockedCopy<Sample, true, kRule>(job);
    } else {
        blockedCopy<Sample, false, kRule>(job);
    }
}

void portableCopy8(const CopyJob& job) { layoutCopy<std::uint8_t, WordRule::kUnchanged>(job); }

void portableCopy16(const CopyJob& job) {
    switch (job.rule) {
        case WordRule::kUnchanged: return layoutCopy<std::uint16_t, WordRule::kUnchanged>(job);
        case WordRule::kMask: return layoutCopy<std::uint16_t, WordRule::kMask>(job);
        case WordRule::kExchangeMask: return layoutCopy<std::uint16_t, WordRule::kExchangeMask>(job);
    }
}

const CopyKernelSet kPortable{"portable", portableCopy8, portableCopy16};

// Above this size a destination no longer stays in the caches, so writing it through
// them only costs a read of every line first.
constexpr std::size_t kStreamingBytes = std::size_t{4} << 20;

}  // namespace

#if QORIN_X86 && defined(_MSC_VER) && !defined(__clang__)
namespace {
// The feature bits of CPUID leaf 7 (EBX) on a processor with AVX whose system saves every
// register state in `savedState` (XCR0), else none: the wider kernels need both.
int leaf7Features(unsigned savedState) {
    int info[4] = {};
    __cpuid(info, 0);
    if (info[0] < 7) return 0;
    __cpuid(info, 1);
    const bool osxsave = (info[2] & (1 << 27)) != 0;
    const bool avx = (info[2] & (1 << 28)) != 0;
    if (!osxsave || !avx || (_xgetbv(0) & savedState) != savedState) return 0;
    __cpuidex(info, 7, 0);
    return info[1];
}
}  // namespace

// AVX2 needs the YMM registers saved; AVX-512 (foundation, byte and word instructions) the
// ZMM registers and mask registers as well.
bool processorRunsAvx2() { return (leaf7Features(0x6) & (1 << 5)) != 0; }
bool processorRunsAvx512() {
    const int features = leaf7Features(0xE6);
    return (features & (1 << 16)) != 0 && (features & (1 << 30)) != 0;
}
bool processorRunsSse2() {
    int info[4] = {};
    __cpuid(info, 1);
    return (info[3] & (1 << 26)) != 0;
}
#elif QORIN_X86
bool processorRunsAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
bool processorRunsAvx512() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
}
bool processorRunsSse2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
}
#else
bool processorRunsAvx2() { return false; }
bool processorRunsAvx512() { return false; }
bool processorRunsSse2() { return false; }
#endif

namespace {

const CopyKernelSet& chooseKernels() {
    if (avx512CopyKernels() != nullptr && processorRunsAvx512()) return *avx512CopyKernels();
    if (avx2CopyKernels() != nullptr && processorRunsAvx2()) return *avx2CopyKernels();
    if (sse2CopyKernels() != nullptr && processorRunsSse2()) return *sse2CopyKernels();
    return kPortable;
}

}  // namespace

const CopyKernelSet& portableCopyKernels() { return kPortable; }

#if !QORIN_X86
const CopyKernelSet* sse2CopyKernels() { return nullptr; }
const CopyKernelSet* avx2CopyKernels() { return nullptr; }
const CopyKernelSet* avx512CopyKernels() { return nullptr; }
#endif

const CopyKernelSet& bestCopyKernels() {
    static const CopyKernelSet& chosen = chooseKernels();
    return chosen;
}

bool streamingPays(std::size_t destinationBytes) { return destinationBytes >= kStreamingBytes; }

void copyIntoArray(CopyJob job, unsigned sampleSize) {
    const CopyKernelSet& kernels = bestCopyKernels();
    const std::size_t bytes = job.rows * job.columns * job.channels * job.copies * (sampleSize == 2 ? 2 : 1);
    job.streaming = streamingPays(bytes);
    (sampleSize == 2 ? kernels.copy16 : kernels.copy8)(job);
}

}  // namespace qorin
