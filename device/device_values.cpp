// device_values.cpp - value rules shared by the device commands: bytes, time limits, version texts.
#include "device/device_values.h"

#include <cmath>

#include "gateway/errors.h"
#include "platform/mex_host.h"

namespace qorin {

std::int64_t truncateToInt64(double value) {
    // 2^63 is exact as a double; anything at or beyond it (and NaN) has no 64-bit value.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(value >= -kLimit && value < kLimit)) return 0;
    return static_cast<std::int64_t>(std::trunc(value));
}

std::uint8_t byteFromValue(double value) {
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(truncateToInt64(value)) & 0xFFu);
}

std::uint32_t timeLimitFromValue(double value) {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(truncateToInt64(value)) & 0xFFFFFFFFu);
}

void fillBytesFromArray(const mxArray* array, std::uint8_t* buffer, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) buffer[i] = byteFromValue(host::elementValue(array, i));
}

std::string dottedVersionText(std::uint32_t word) {
    return formatText("%u.%u.%u.%u", (word >> 24) & 0xFFu, (word >> 16) & 0xFFu, (word >> 8) & 0xFFu, word & 0xFFu);
}

std::string lowWordVersionText(std::uint32_t word) {
    return formatText("%u.%u", (word >> 8) & 0xFFu, word & 0xFFu);
}

std::string serialNumberText(std::uint32_t word) {
    return formatText("%d", static_cast<int>(static_cast<std::int32_t>(word)));
}

std::string reservedWordText(std::uint32_t word) { return formatText("0x%08x", static_cast<unsigned>(word)); }

}  // namespace qorin
