// sdk_readers.h - the SDK's format and property queries, each read in one place and thrown on failure.
#pragma once

#include <cstdint>

#include "sdk/qorinapi.h"

namespace qorin {

inline constexpr const char* kFrameFormatFailed = "An error occured while obtaining the frame format.\n";

// What one QorinGetFormat returned: the video format and the frame rate kept beside it.
struct FormatReading {
    FrameFormat format{};
    float frameRate = 0.0f;
};

// QorinGetFormat, or `failMessage` when the SDK refuses.
FormatReading readFormat(QorinHandle handle, const char* failMessage);

// What one QorinGetProperty returned: the value and the flags word beside it.
struct PropertyReading {
    float value = 0.0f;
    std::uint32_t flags = 0;
};

// QorinGetProperty, or `failMessage` when the SDK refuses.
PropertyReading readProperty(QorinHandle handle, std::uint32_t property, const char* failMessage);

}  // namespace qorin
