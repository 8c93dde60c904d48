// processor_features.cpp - which instruction sets this processor and its system let the copy kernels use.
#include "kernels/processor_features.h"

#include "kernels/copy_kernels.h"

#if QORIN_X86 && defined(_MSC_VER) && !defined(__clang__)
#  include <immintrin.h>
#  include <intrin.h>
#endif

namespace qorin {

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

}  // namespace qorin
