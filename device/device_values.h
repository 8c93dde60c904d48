// device_values.h - value rules shared by the device commands: bytes from arrays, version texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sdk/qorinapi.h"
#include "mex.h"

namespace qorin {

// Fills `count` bytes from the first `count` elements of a numeric array by lowByte,
// whatever its class.  The caller makes sure the array holds at least `count` elements.
void fillBytesFromArray(const mxArray* array, std::uint8_t* buffer, std::size_t count);

// The six version texts, in the field order of the version structure.
std::string dottedVersionText(std::uint32_t word);  // "a.b.c.d", most significant byte first
std::string lowWordVersionText(std::uint32_t word); // "a.b" of bits 15..8 and 7..0
std::string serialNumberText(std::uint32_t word);   // signed decimal
std::string reservedWordText(std::uint32_t word);   // "0x%08x"

}  // namespace qorin
