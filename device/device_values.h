// device_values.h - value rules shared by the device commands: bytes, time limits, version texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sdk/qorinapi.h"
#include "mex.h"

namespace qorin {

// A double truncated toward zero to a signed 64-bit integer; NaN, infinities and values
// outside the 64-bit range give 0.
std::int64_t truncateToInt64(double value);

// The byte conversion rule: truncate to 64 bits, keep the low 8 (255.9 -> 255, 256 -> 0,
// -1 -> 255, NaN -> 0).
std::uint8_t byteFromValue(double value);

// The auto-focus wait's time limit: truncate to 64 bits, keep the low 32 (-1 -> 4294967295).
std::uint32_t timeLimitFromValue(double value);

// Fills `count` bytes from the first `count` elements of a numeric array by the byte rule,
// whatever its class.  The caller makes sure the array holds at least `count` elements.
void fillBytesFromArray(const mxArray* array, std::uint8_t* buffer, std::size_t count);

// The six version texts, in the field order of the version structure.
std::string dottedVersionText(std::uint32_t word);  // "a.b.c.d", most significant byte first
std::string lowWordVersionText(std::uint32_t word); // "a.b" of bits 15..8 and 7..0
std::string serialNumberText(std::uint32_t word);   // signed decimal
std::string reservedWordText(std::uint32_t word);   // "0x%08x"

}  // namespace qorin
