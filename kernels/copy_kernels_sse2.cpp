// copy_kernels_sse2.cpp - copy kernels transposing 16x16 bytes and 8x8 words in SSE2 registers.
#include "kernels/copy_kernels.h"

#if QORIN_X86

#include <emmintrin.h>

#include "kernels/copy_kernels_tiled.h"

namespace qorin {
namespace {

// After the unpack rounds, register k holds the column whose index is k with its bits reversed.
constexpr unsigned kReverse4[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
constexpr unsigned kReverse3[8] = {0, 4, 2, 6, 1, 5, 3, 7};

inline __m128i load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
inline void store(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }

inline void streamLine64(void* destination, const void* line) {
    auto* to = static_cast<__m128i*>(destination);
    const auto* from = static_cast<const __m128i*>(line);
    _mm_stream_si128(to, _mm_load_si128(from));
    _mm_stream_si128(to + 1, _mm_load_si128(from + 1));
    _mm_stream_si128(to + 2, _mm_load_si128(from + 2));
    _mm_stream_si128(to + 3, _mm_load_si128(from + 3));
}

struct Bytes16x16 {
    using Sample = std::uint8_t;
    static constexpr std::size_t kRows = 16;
    static constexpr std::size_t kElements = 16;
    static constexpr bool kWholeLines = false;

    template <typename Out>
    static void transpose(const Sample* first, std::ptrdiff_t step, const Out& out) {
        __m128i a[16];
        __m128i b[16];
QORIN_UNROLL(16)
        for (int i = 0; i < 16; ++i) a[i] = load(first + i * step);
QORIN_UNROLL(8)
        for (int i = 0; i < 8; ++i) {
            b[i] = _mm_unpacklo_epi8(a[2 * i], a[2 * i + 1]);
            b[i + 8] = _mm_unpackhi_epi8(a[2 * i], a[2 * i + 1]);
        }
QORIN_UNROLL(8)
        for (int i = 0; i < 8; ++i) {
            a[i] = _mm_unpacklo_epi16(b[2 * i], b[2 * i + 1]);
            a[i + 8] = _mm_unpackhi_epi16(b[2 * i], b[2 * i + 1]);
        }
QORIN_UNROLL(8)
        for (int i = 0; i < 8; ++i) {
            b[i] = _mm_unpacklo_epi32(a[2 * i], a[2 * i + 1]);
            b[i + 8] = _mm_unpackhi_epi32(a[2 * i], a[2 * i + 1]);
        }
QORIN_UNROLL(8)
        for (int i = 0; i < 8; ++i) {
            a[i] = _mm_unpacklo_epi64(b[2 * i], b[2 * i + 1]);
            a[i + 8] = _mm_unpackhi_epi64(b[2 * i], b[2 * i + 1]);
        }
QORIN_UNROLL(16)
        for (int k = 0; k < 16; ++k) store(out(kReverse4[k]), a[k]);
    }
    static void streamLine(Sample* destination, const Sample* line) { streamLine64(destination, line); }
    static void fence() { _mm_sfence(); }
};

// 16-bit samples through a rule, a register at a time.
template <WordRule kRule>
inline __m128i ruled(__m128i v) {
    if (kRule == WordRule::kExchangeMask) v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
    if (kRule != WordRule::kUnchanged) v = _mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xFFF0)));
    return v;
}

template <WordRule kRule>
struct Words8x8 {
    using Sample = std::uint16_t;
    static constexpr std::size_t kRows = 8;
    static constexpr std::size_t kElements = 8;
    static constexpr bool kWholeLines = false;

    template <typename Out>
    static void transpose(const Sample* first, std::ptrdiff_t step, const Out& out) {
        __m128i a[8];
        __m128i b[8];
QORIN_UNROLL(8)
        for (int i = 0; i < 8; ++i) a[i] = ruled<kRule>(load(first + i * step));
QORIN_UNROLL(4)
        for (int i = 0; i < 4; ++i) {
            b[i] = _mm_unpacklo_epi16(a[2 * i], a[2 * i + 1]);
            b[i + 4] = _mm_unpackhi_epi16(a[2 * i], a[2 * i + 1]);
        }
QORIN_UNROLL(4)
        for (int i = 0; i < 4; ++i) {
            a[i] = _mm_unpacklo_epi32(b[2 * i], b[2 * i + 1]);
            a[i + 4] = _mm_unpackhi_epi32(b[2 * i], b[2 * i + 1]);
        }
QORIN_UNROLL(4)
        for (int i = 0; i < 4; ++i) {
            b[i] = _mm_unpacklo_epi64(a[2 * i], a[2 * i + 1]);
            b[i + 4] = _mm_unpackhi_epi64(a[2 * i], a[2 * i + 1]);
        }
QORIN_UNROLL(8)
        for (int k = 0; k < 8; ++k) store(out(kReverse3[k]), b[k]);
    }
    static void streamLine(Sample* destination, const Sample* line) { streamLine64(destination, line); }
    static void fence() { _mm_sfence(); }
};

using Kernels = TiledKernels<Bytes16x16, Words8x8>;

const CopyKernelSet kSse2{"sse2", Kernels::copy8, Kernels::copy16};

}  // namespace

const CopyKernelSet* sse2CopyKernels() { return &kSse2; }

}  // namespace qorin

#endif
