// format_conversions.cpp - truncating conversions shared by the frame-format commands.
#include "settings/format_conversions.h"

#include <cmath>

namespace qorin {

std::uint32_t truncatedWord(double value) {
    if (std::isnan(value)) return 0;
    // 2^63 is exactly representable; anything at or beyond it would overflow the cast.
    constexpr double kLimit = 9223372036854775808.0;
    std::int64_t whole = 0;
    if (value >= kLimit) {
        whole = INT64_MAX;
    } else if (value <= -kLimit) {
        whole = INT64_MIN;
    } else {
        whole = static_cast<std::int64_t>(std::trunc(value));
    }
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole) & 0xFFFFFFFFu);
}

}  // namespace qorin
