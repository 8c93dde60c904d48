// sdk_readers.cpp - the SDK's format and property queries, failures raised with the caller's message.
#include "camera/sdk_readers.h"

#include "gateway/errors.h"

namespace qorin {

FormatReading readFormat(QorinHandle handle, const char* failMessage) {
    FormatReading reading;
    if (QorinGetFormat(handle, &reading.format, &reading.frameRate) == 0) failSdk(failMessage);
    return reading;
}

PropertyReading readProperty(QorinHandle handle, std::uint32_t property, const char* failMessage) {
    PropertyReading reading;
    if (QorinGetProperty(handle, property, &reading.value, &reading.flags) == 0) failSdk(failMessage);
    return reading;
}

}  // namespace qorin
