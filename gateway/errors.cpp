// errors.cpp - message formatting for CommandError.
#include "gateway/errors.h"

#include <cstdio>
#include <vector>

#include "sdk/qorinapi.h"

namespace qorin {

std::string formatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(args);
    return text;
}

void failSdkWithLastError(const char* format) {
    const auto error = static_cast<int>(QorinGetLastError());
    // The format is one of the module's fixed texts with a single %d.
QORIN_FIXED_FORMAT_BEGIN
    failSdk(formatText(format, error));
QORIN_FIXED_FORMAT_END
}

}  // namespace qorin
