// copy_kernels_avx512.cpp - copy kernels transposing 64x16 bytes and 32x8 words in AVX-512 registers.
//
// The unpacks work within each 128-bit quarter, so quarter q of every register carries
// rows 16q.. (bytes) or 8q.. (words) of a tile: after the transpose each register is one
// destination column of 64 bytes, a whole cache line.  Streamed copies write it out as it is,
// with no staging of lines in the first-level cache.
#include "kernels/copy_kernels.h"

#if QORIN_X86

#include <immintrin.h>

#include "kernels/copy_kernels_tiled.h"

namespace qorin {
namespace {

// After the unpack rounds, register k holds the column whose index is k with its bits reversed.
constexpr unsigned kReverse4[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
constexpr unsigned kReverse3[8] = {0, 4, 2, 6, 1, 5, 3, 7};

// 16 bytes from each of four rows `quarter` rows apart, one row per 128-bit quarter.
inline __m512i loadQuarters(const void* first, std::ptrdiff_t quarter) {
    const auto* p = static_cast<const char*>(first);
    __m512i v = _mm512_zextsi128_si512(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + quarter)), 1);
    v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * quarter)), 2);
    return _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 3 * quarter)), 3);
}

// The 32- and 64-bit unpacks through their masked forms with every lane kept: GCC 12's plain
// forms pass an undefined register along and warn about it.
inline __m512i unpackLo32(__m512i a, __m512i b) { return _mm512_mask_unpacklo_epi32(a, 0xFFFF, a, b); }
inline __m512i unpackHi32(__m512i a, __m512i b) { return _mm512_mask_unpackhi_epi32(a, 0xFFFF, a, b); }
inline __m512i unpackLo64(__m512i a, __m512i b) { return _mm512_mask_unpacklo_epi64(a, 0xFF, a, b); }
inline __m512i unpackHi64(__m512i a, __m512i b) { return _mm512_mask_unpackhi_epi64(a, 0xFF, a, b); }

inline void stream(void* p, __m512i v) { _mm512_stream_si512(static_cast<__m512i*>(p), v); }

// Rows [first, last) of a register: bytes for 8-bit samples, words for 16-bit ones.
inline void storeRows(std::uint8_t* p, std::size_t first, std::size_t last, __m512i v) {
    const std::uint64_t below = last >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << last) - 1;
    _mm512_mask_storeu_epi8(p, static_cast<__mmask64>(below & ~((std::uint64_t{1} << first) - 1)), v);
}
inline void storeRows(std::uint16_t* p, std::size_t first, std::size_t last, __m512i v) {
    const std::uint32_t below = last >= 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << last) - 1;
    _mm512_mask_storeu_epi16(p, static_cast<__mmask32>(below & ~((std::uint32_t{1} << first) - 1)), v);
}

// The stores of a tile whose registers are whole destination columns: `Columns` supplies
// Sample, kRows, kElements, and columns(first, step, registers), after which register k
// holds column kOrder[k].
template <typename Columns, const unsigned (&kOrder)[Columns::kElements]>
struct LineTile : Columns {
    using Sample = typename Columns::Sample;
    static constexpr bool kWholeLines = true;
    static constexpr int kCount = static_cast<int>(Columns::kElements);

    template <typename Out>
    static QORIN_ALWAYS_INLINE void transpose(const Sample* first, std::ptrdiff_t step, const Out& out) {
        __m512i v[kCount];
        Columns::columns(first, step, v);
QORIN_UNROLL(16)
        for (int k = 0; k < kCount; ++k) _mm512_storeu_si512(out(kOrder[k]), v[k]);
    }
    template <typename Out>
    static QORIN_ALWAYS_INLINE void transposeRows(const Sample* first, std::ptrdiff_t step, const Out& out,
                                                  std::size_t keepFirst, std::size_t keepLast) {
        __m512i v[kCount];
        Columns::columns(first, step, v);
QORIN_UNROLL(16)
        for (int k = 0; k < kCount; ++k) storeRows(out(kOrder[k]), keepFirst, keepLast, v[k]);
    }
    // Each column past the caches, to `copies` places `copyStep` samples apart.
    template <typename Out>
    static QORIN_ALWAYS_INLINE void streamLines(const Sample* first, std::ptrdiff_t step, const Out& out,
                                                unsigned copies, std::ptrdiff_t copyStep) {
        __m512i v[kCount];
        Columns::columns(first, step, v);
QORIN_UNROLL(16)
        for (int k = 0; k < kCount; ++k) {
            Sample* to = out(kOrder[k]);
            for (unsigned copy = 0; copy < copies; ++copy, to += copyStep) stream(to, v[k]);
        }
    }
    static void fence() { _mm_sfence(); }
};

struct Bytes64x16Columns {
    using Sample = std::uint8_t;
    static constexpr std::size_t kRows = 64;
    static constexpr std::size_t kElements = 16;

    static QORIN_ALWAYS_INLINE void columns(const Sample* first, std::ptrdiff_t step, __m512i (&a)[16]) {
        __m512i b[16];
QORIN_UNROLL(16)
        for (int i = 0; i < 16; ++i) a[i] = loadQuarters(first + i * step, 16 * step);
QORIN_UNROLL(8)
        for (int i = 0; i < 8; ++i) {
            b[i] = _mm512_unpacklo_epi8(a[2 * i], a[2 * i + 1]);
            b[i + 8] = _mm512_unpackhi_epi8(a[2 * i], a[2 * i + 1]);
        }
QORIN_UNROLL(8)
        for (int i = 0; i < 8; ++i) {
            a[i] = _mm512_unpacklo_epi16(b[2 * i], b[2 * i + 1]);
            a[i + 8] = _mm512_unpackhi_epi16(b[2 * i], b[2 * i + 1]);
        }
QORIN_UNROLL(8)
        for (int i = 0; i < 8; ++i) {
            b[i] = unpackLo32(a[2 * i], a[2 * i + 1]);
            b[i + 8] = unpackHi32(a[2 * i], a[2 * i + 1]);
        }
QORIN_UNROLL(8)
        for (int i = 0; i < 8; ++i) {
            a[i] = unpackLo64(b[2 * i], b[2 * i + 1]);
            a[i + 8] = unpackHi64(b[2 * i], b[2 * i + 1]);
        }
    }
};
using Bytes64x16 = LineTile<Bytes64x16Columns, kReverse4>;

// 16-bit samples through a rule, a register at a time.
template <WordRule kRule>
inline __m512i ruled(__m512i v) {
    if (kRule == WordRule::kExchangeMask) v = _mm512_or_si512(_mm512_slli_epi16(v, 8), _mm512_srli_epi16(v, 8));
    if (kRule != WordRule::kUnchanged) v = _mm512_and_si512(v, _mm512_set1_epi16(static_cast<short>(0xFFF0)));
    return v;
}

template <WordRule kRule>
struct Words32x8Columns {
    using Sample = std::uint16_t;
    static constexpr std::size_t kRows = 32;
    static constexpr std::size_t kElements = 8;

    static QORIN_ALWAYS_INLINE void columns(const Sample* first, std::ptrdiff_t step, __m512i (&b)[8]) {
        __m512i a[8];
        const std::ptrdiff_t quarter = 8 * step * static_cast<std::ptrdiff_t>(sizeof(Sample));
QORIN_UNROLL(8)
        for (int i = 0; i < 8; ++i) a[i] = ruled<kRule>(loadQuarters(first + i * step, quarter));
QORIN_UNROLL(4)
        for (int i = 0; i < 4; ++i) {
            b[i] = _mm512_unpacklo_epi16(a[2 * i], a[2 * i + 1]);
            b[i + 4] = _mm512_unpackhi_epi16(a[2 * i], a[2 * i + 1]);
        }
QORIN_UNROLL(4)
        for (int i = 0; i < 4; ++i) {
            a[i] = unpackLo32(b[2 * i], b[2 * i + 1]);
            a[i + 4] = unpackHi32(b[2 * i], b[2 * i + 1]);
        }
QORIN_UNROLL(4)
        for (int i = 0; i < 4; ++i) {
            b[i] = unpackLo64(a[2 * i], a[2 * i + 1]);
            b[i + 4] = unpackHi64(a[2 * i], a[2 * i + 1]);
        }
    }
};
template <WordRule kRule>
using Words32x8 = LineTile<Words32x8Columns<kRule>, kReverse3>;

using Kernels = TiledKernels<Bytes64x16, Words32x8>;

const CopyKernelSet kAvx512{"avx512", Kernels::copy8, Kernels::copy16};

}  // namespace

const CopyKernelSet* avx512CopyKernels() { return &kAvx512; }

}  // namespace qorin

#endif
