// frame_format_fields.h - the fields of a FrameFormat by name, for qorinsim's structures, its call log and the fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "sdk/qorinapi.h"

namespace qorinsim {

struct FrameFormatField {
    const char* name_;
    std::size_t offset_;
    std::size_t bytes_;  // 4 for the 32-bit words, 2 for the binning and flags words

    double maximum() const { return bytes_ == 2 ? 65535.0 : 4294967295.0; }
    uint32_t get(const FrameFormat& format) const {
        const auto* at = reinterpret_cast<const unsigned char*>(&format) + offset_;
        if (bytes_ == 2) {
            uint16_t half = 0;
            std::memcpy(&half, at, sizeof half);
            return half;
        }
        uint32_t word = 0;
        std::memcpy(&word, at, sizeof word);
        return word;
    }
    // The value must fit the field (see maximum).
    void set(FrameFormat& format, uint32_t value) const {
        auto* at = reinterpret_cast<unsigned char*>(&format) + offset_;
        if (bytes_ == 2) {
            const auto half = static_cast<uint16_t>(value);
            std::memcpy(at, &half, sizeof half);
        } else {
            std::memcpy(at, &value, sizeof value);
        }
    }
};

#define QORINSIM_FRAME_FORMAT_FIELD(member) \
    FrameFormatField { #member, offsetof(FrameFormat, member), sizeof(FrameFormat::member) }

// In the order of qorinsim's 'format' structure, which is the module's frame-format structure
// without its frame rate; the call log shows a FrameFormat in its record order instead.
inline constexpr FrameFormatField kFrameFormatFields[] = {
    QORINSIM_FRAME_FORMAT_FIELD(width),   QORINSIM_FRAME_FORMAT_FIELD(height),  QORINSIM_FRAME_FORMAT_FIELD(xOffset),
    QORINSIM_FRAME_FORMAT_FIELD(yOffset), QORINSIM_FRAME_FORMAT_FIELD(xBinSub), QORINSIM_FRAME_FORMAT_FIELD(yBinSub),
    QORINSIM_FRAME_FORMAT_FIELD(xFlags),  QORINSIM_FRAME_FORMAT_FIELD(yFlags),  QORINSIM_FRAME_FORMAT_FIELD(pixelFormat)};

#undef QORINSIM_FRAME_FORMAT_FIELD

constexpr std::size_t listedFrameFormatBytes() {
    std::size_t bytes = 0;
    for (const FrameFormatField& field : kFrameFormatFields) bytes += field.bytes_;
    return bytes;
}
static_assert(listedFrameFormatBytes() == sizeof(FrameFormat), "every FrameFormat field is listed once");

}  // namespace qorinsim
