// device_values.cpp - value rules shared by the device commands: bytes from arrays, version texts.
#include "device/device_values.h"

#include "gateway/errors.h"
#include "gateway/truncation.h"
#include "platform/mex_host.h"

namespace qorin {

void fillBytesFromArray(const mxArray* array, std::uint8_t* buffer, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) buffer[i] = lowByte(host::elementValue(array, i));
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
