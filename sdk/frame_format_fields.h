// frame_format_fields.h - the FrameFormat fields by name, for the module's and qorinsim's structures and the fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "sdk/qorinapi.h"

namespace qorin {

struct FrameFormatField {
    const char* name_;
    std::size_t offset_;
    std::size_t bytes_;  // 4 for the 32-bit words, 2 for the binning and flags words

    bool halfWord() const { return bytes_ == 2; }
    double maximum() const { return halfWord() ? 65535.0 : 4294967295.0; }
    std::uint32_t get(const FrameFormat& format) const {
        const auto* at = reinterpret_cast<const unsigned char*>(&format) + offset_;
        if (halfWord()) {
            std::uint16_t half = 0;
            std::memcpy(&half, at, sizeof half);
            return half;
        }
        std::uint32_t word = 0;
        std::memcpy(&word, at, sizeof word);
        return word;
    }
    // A half word keeps the value's low 16 bits.
    void set(FrameFormat& format, std::uint32_t value) const {
        auto* at = reinterpret_cast<unsigned char*>(&format) + offset_;
        if (halfWord()) {
            const auto half = static_cast<std::uint16_t>(value);
            std::memcpy(at, &half, sizeof half);
        } else {
            std::memcpy(at, &value, sizeof value);
        }
    }
};

#define QORIN_FRAME_FORMAT_FIELD(member) \
    FrameFormatField { #member, offsetof(FrameFormat, member), sizeof(FrameFormat::member) }

// In the order of the frame-format structures of GET_FRAME_FORMAT, SET_FRAME_FORMAT and of qorinsim's 'format',
// which all end with kFrameRateField; the call log shows a FrameFormat in its record order.
inline constexpr FrameFormatField kFrameFormatFields[] = {
    QORIN_FRAME_FORMAT_FIELD(width),   QORIN_FRAME_FORMAT_FIELD(height),  QORIN_FRAME_FORMAT_FIELD(xOffset),
    QORIN_FRAME_FORMAT_FIELD(yOffset), QORIN_FRAME_FORMAT_FIELD(xBinSub), QORIN_FRAME_FORMAT_FIELD(yBinSub),
    QORIN_FRAME_FORMAT_FIELD(xFlags),  QORIN_FRAME_FORMAT_FIELD(yFlags),  QORIN_FRAME_FORMAT_FIELD(pixelFormat)};

#undef QORIN_FRAME_FORMAT_FIELD

// The frame rate travels beside a FrameFormat, not in it.
inline constexpr const char* kFrameRateField = "frameRate";

constexpr std::size_t listedFrameFormatBytes() {
    std::size_t bytes = 0;
    for (const FrameFormatField& field : kFrameFormatFields) bytes += field.bytes_;
    return bytes;
}
static_assert(listedFrameFormatBytes() == sizeof(FrameFormat), "every FrameFormat field is listed once");

}  // namespace qorin
