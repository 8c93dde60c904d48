// copy_kernels_avx2.cpp - copy kernels transposing 32x16 bytes and 16x8 words in AVX2 registers.
//
// The unpack instructions work within each 128-bit half, so the low half of every register
// carries the upper rows of a tile and the high half the rows below them: after the
// transpose each register is one destination column of 32 bytes, stored in one piece.
#include "kernels/copy_kernels.h"

#if QORIN_X86

#include <immintrin.h>

#include "kernels/copy_kernels_tiled.h"

namespace qorin {
namespace {

constexpr unsigned kReverse4[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
constexpr unsigned kReverse3[8] = {0, 4, 2, 6, 1, 5, 3, 7};

inline __m256i loadPair(const void* upper, const void* lower) {
    const __m128i low = _mm_loadu_si128(static_cast<const __m128i*>(upper));
    const __m128i high = _mm_loadu_si128(static_cast<const __m128i*>(lower));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}
inline void store(void* p, __m256i v) { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }

inline void streamLine64(void* destination, const void* line) {
    auto* to = static_cast<__m256i*>(destination);
    const auto* from = static_cast<const __m256i*>(line);
    _mm256_stream_si256(to, _mm256_load_si256(from));
    _mm256_stream_si256(to + 1, _mm256_load_si256(from + 1));
}

struct Bytes32x16 {
    using Sample = std::uint8_t;
    static constexpr std::size_t kRows = 32;
    static constexpr std::size_t kElements = 16;
    static constexpr bool kWholeLines = false;

    template <typename Out>
    static void transpose(const Sample* first, std::ptrdiff_t step, const Out& out) {
        __m256i a[16];
        __m256i b[16];
QORIN_UNROLL(16)
        for (int i = 0; i < 16; ++i) a[i] = loadPair(first + i * step, first + (i + 16) * step);
QORIN_UNROLL(8)
        for (int i = 0; i < 8; ++i) {
            b[i] = _mm256_unpacklo_epi8(a[2 * i], a[2 * i + 1]);
            b[i + 8] = _mm256_unpackhi_epi8(a[2 * i], a[2 * i + 1]);
        }
QORIN_UNROLL(8)
        for (int i = 0; i < 8; ++i) {
            a[i] = _mm256_unpacklo_epi16(b[2 * i], b[2 * i + 1]);
            a[i + 8] = _mm256_unpackhi_epi16(b[2 * i], b[2 * i + 1]);
        }
QORIN_UNROLL(8)
        for (int i = 0; i < 8; ++i) {
            b[i] = _mm256_unpacklo_epi32(a[2 * i], a[2 * i + 1]);
            b[i + 8] = _mm256_unpackhi_epi32(a[2 * i], a[2 * i + 1]);
        }
QORIN_UNROLL(8)
        for (int i = 0; i < 8; ++i) {
            a[i] = _mm256_unpacklo_epi64(b[2 * i], b[2 * i + 1]);
            a[i + 8] = _mm256_unpackhi_epi64(b[2 * i], b[2 * i + 1]);
        }
QORIN_UNROLL(16)
        for (int k = 0; k < 16; ++k) store(out(kReverse4[k]), a[k]);
    }
    static void streamLine(Sample* destination, const Sample* line) { streamLine64(destination, line); }
    static void fence() { _mm_sfence(); }
};

// 16-bit samples through a rule, a register at a time.
template <WordRule kRule>
inline __m256i ruled(__m256i v) {
    if (kRule == WordRule::kExchangeMask) v = _mm256_or_si256(_mm256_slli_epi16(v, 8), _mm256_srli_epi16(v, 8));
    if (kRule != WordRule::kUnchanged) v = _mm256_and_si256(v, _mm256_set1_epi16(static_cast<short>(0xFFF0)));
    return v;
}

template <WordRule kRule>
struct Words16x8 {
    using Sample = std::uint16_t;
    static constexpr std::size_t kRows = 16;
    static constexpr std::size_t kElements = 8;
    static constexpr bool kWholeLines = false;

    template <typename Out>
    static void transpose(const Sample* first, std::ptrdiff_t step, const Out& out) {
        __m256i a[8];
        __m256i b[8];
QORIN_UNROLL(8)
        for (int i = 0; i < 8; ++i) a[i] = ruled<kRule>(loadPair(first + i * step, first + (i + 8) * step));
QORIN_UNROLL(4)
        for (int i = 0; i < 4; ++i) {
            b[i] = _mm256_unpacklo_epi16(a[2 * i], a[2 * i + 1]);
            b[i + 4] = _mm256_unpackhi_epi16(a[2 * i], a[2 * i + 1]);
        }
QORIN_UNROLL(4)
        for (int i = 0; i < 4; ++i) {
            a[i] = _mm256_unpacklo_epi32(b[2 * i], b[2 * i + 1]);
            a[i + 4] = _mm256_unpackhi_epi32(b[2 * i], b[2 * i + 1]);
        }
QORIN_UNROLL(4)
        for (int i = 0; i < 4; ++i) {
            b[i] = _mm256_unpacklo_epi64(a[2 * i], a[2 * i + 1]);
            b[i + 4] = _mm256_unpackhi_epi64(a[2 * i], a[2 * i + 1]);
        }
QORIN_UNROLL(8)
        for (int k = 0; k < 8; ++k) store(out(kReverse3[k]), b[k]);
    }
    static void streamLine(Sample* destination, const Sample* line) { streamLine64(destination, line); }
    static void fence() { _mm_sfence(); }
};

using Kernels = TiledKernels<Bytes32x16, Words16x8>;

const CopyKernelSet kAvx2{"avx2", Kernels::copy8, Kernels::copy16};

}  // namespace

const CopyKernelSet* avx2CopyKernels() { return &kAvx2; }

}  // namespace qorin

#endif
