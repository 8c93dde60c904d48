// copy_kernels.h - transposing copies of frames and pictures into column-major arrays, one kernel set per instruction set.
#pragma once

#include <cstddef>

#include "kernels/frame_copy.h"
#include "kernels/processor_features.h"

// x86 processors, whichever compiler names them: the SSE2, AVX2 and AVX-512 kernels exist there.
#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#  define QORIN_X86 1
#else
#  define QORIN_X86 0
#endif

// Unrolling and prefetch hints for the kernels; compilers without them just do without.
#define QORIN_PRAGMA(text) _Pragma(#text)
#if defined(__GNUC__)
#  define QORIN_UNROLL(n) QORIN_PRAGMA(GCC unroll n)
#  define QORIN_PREFETCH(address) __builtin_prefetch(address)
#elif QORIN_X86
#  include <xmmintrin.h>
#  define QORIN_UNROLL(n)
#  define QORIN_PREFETCH(address) _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0)
#else
#  define QORIN_UNROLL(n)
#  define QORIN_PREFETCH(address) ((void)(address))
#endif

// A tile's transpose inlined into its loops whatever its size: called, its registers would
// pass through memory.
#if defined(__GNUC__)
#  define QORIN_ALWAYS_INLINE inline __attribute__((always_inline))
#elif defined(_MSC_VER)
#  define QORIN_ALWAYS_INLINE __forceinline
#else
#  define QORIN_ALWAYS_INLINE inline
#endif

namespace qorin {

// One copy: a row-major frame of `rows` x `columns` pixels, `channels` samples per pixel
// (1, or 3 in blue, green, red order), into one column-major slab of `destinationRows`
// (>= rows) rows.  A picture's slab holds the planes red, green, blue one after the other.
// Source sample (i, j) lands at row i (or rows - 1 - i) and column j (or columns - 1 - j).
// Only rows below `rows` of each destination column are written.
struct CopyJob {
    const void* source = nullptr;
    std::size_t rows = 0;
    std::size_t columns = 0;
    unsigned channels = 1;
    Orientation orientation;
    void* destination = nullptr;  // first sample of the slab, aligned to the sample size
    std::size_t destinationRows = 0;
    // Applied to every 16-bit sample.
    WordRule rule = WordRule::kUnchanged;
    // With one channel: the number of planes (1 or 3) that receive the same samples, one
    // after the other, destinationRows * columns samples apart.
    unsigned copies = 1;
    // Write whole 64-byte destination lines past the caches where the columns allow it.
    // Pays only when the destination is larger than the caches would keep anyway.
    bool streaming = false;
};

using CopyKernel = void (*)(const CopyJob& job);

struct CopyKernelSet {
    const char* name;
    CopyKernel copy8;   // 8-bit samples
    CopyKernel copy16;  // 16-bit samples
};

// Blocked scalar kernels: every processor.
const CopyKernelSet& portableCopyKernels();
// Vector kernels; nullptr where this build has none.  The caller checks that the
// processor supports them (bestCopyKernels does).
const CopyKernelSet* sse2CopyKernels();
const CopyKernelSet* avx2CopyKernels();
const CopyKernelSet* avx512CopyKernels();

// The fastest set this processor runs, chosen once.
const CopyKernelSet& bestCopyKernels();

// Destination sizes from which streaming stores beat stores through the caches.
bool streamingPays(std::size_t destinationBytes);

// The copy with the best kernels, streaming decided by size.
void copyIntoArray(CopyJob job, unsigned sampleBytes);

}  // namespace qorin
