// truncation.h - how a MATLAB value becomes an integer: truncated toward zero, with a named rule for values no integer holds.
#pragma once

#include <cmath>
#include <cstdint>

namespace qorin {

// Every rule truncates toward zero.  They differ only where the result type has no value for
// the input (NaN, infinities, values beyond its range), where a plain cast would be undefined:
//   truncateToInt32            INT32_MIN: command codes and integer parameters;
//   truncateToInt64            0: bytes, time limits and the property words of a conversion;
//   truncateToInt64Saturating  0 for NaN, else the nearest end of the range: frame-format fields.
// The narrow results keep the low bits of the 64-bit integer, so -1 becomes all ones and every
// value an unsigned field can hold comes back unchanged.  The limits are <cstdint>'s macros, not
// numeric_limits' min() and max(), which <windows.h> would take for its macros.

inline std::int32_t truncateToInt32(double value) {
    const double whole = std::trunc(value);
    // NaN fails both comparisons and lands on the same value as an out-of-range one.
    if (!(whole >= static_cast<double>(INT32_MIN) && whole <= static_cast<double>(INT32_MAX))) return INT32_MIN;
    return static_cast<std::int32_t>(whole);
}

// 2^63, exact as a double: anything at or beyond it has no 64-bit value.
constexpr double kInt64Limit = 9223372036854775808.0;

// 2^53: every whole number up to it is exact as a double, so a count read from one up to it is
// the count that was meant.
constexpr double kExactWholeLimit = 9007199254740992.0;

inline std::int64_t truncateToInt64(double value) {
    if (!(value >= -kInt64Limit && value < kInt64Limit)) return 0;
    return static_cast<std::int64_t>(std::trunc(value));
}

inline std::int64_t truncateToInt64Saturating(double value) {
    if (std::isnan(value)) return 0;
    if (value >= kInt64Limit) return INT64_MAX;
    if (value <= -kInt64Limit) return INT64_MIN;
    return static_cast<std::int64_t>(std::trunc(value));
}

inline std::uint8_t lowByte(double value) {
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(truncateToInt64(value)) & 0xFFu);
}

inline std::uint32_t lowWord(double value) {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(truncateToInt64(value)) & 0xFFFFFFFFu);
}

inline std::uint32_t lowWordSaturated(double value) {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(truncateToInt64Saturating(value)) & 0xFFFFFFFFu);
}

inline std::uint16_t lowHalfWordSaturated(double value) {
    return static_cast<std::uint16_t>(lowWordSaturated(value) & 0xFFFFu);
}

}  // namespace qorin
