// format_conversions.h - turning MATLAB doubles into the SDK's unsigned record fields without undefined casts.
#pragma once

#include <cstdint>

namespace qorin {

// The value truncated toward zero to a signed 64-bit integer, low 32 bits kept: -1 becomes
// 0xFFFFFFFF and every value an unsigned 32-bit field can hold comes back unchanged.  NaN
// gives 0 and values beyond the 64-bit range saturate, where a plain cast would be undefined.
std::uint32_t truncatedWord(double value);

// The same rule with the low 16 bits kept, for the binning and flags words.
inline std::uint16_t truncatedHalfWord(double value) {
    return static_cast<std::uint16_t>(truncatedWord(value) & 0xFFFFu);
}

}  // namespace qorin
