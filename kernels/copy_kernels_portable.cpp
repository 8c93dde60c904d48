// copy_kernels_portable.cpp - blocked scalar copy kernels and the choice of kernels for this processor.
#include "kernels/copy_kernels.h"

#include "kernels/copy_kernels_tiled.h"

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

void copyIntoArray(CopyJob job, unsigned sampleBytes) {
    const CopyKernelSet& kernels = bestCopyKernels();
    const std::size_t bytes = job.rows * job.columns * job.channels * job.copies * (sampleBytes == 2 ? 2 : 1);
    job.streaming = streamingPays(bytes);
    (sampleBytes == 2 ? kernels.copy16 : kernels.copy8)(job);
}

}  // namespace qorin
