// gpio_cooling.cpp - reading and writing the GPIO lines, and switching the sensor cooling.
#include <cstdint>

#include "camera/camera_table.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"

namespace qorin {
namespace {

constexpr std::int32_t kLargestByte = 255;
constexpr std::uint32_t kCoolingOnFlags = 0x80000000u;

constexpr const char* kEnableRange = "Enable value should be less than 256.";
constexpr const char* kEnableFailed = "An error occured while enabling GPO.";

using ByteWrite = std::int32_t(QORIN_CALL*)(QorinHandle, std::uint8_t);

// Values above 255 are refused; negative ones pass and keep their low 8 bits.
ArrayPtr writeByte(const Args& args, ByteWrite write, const char* notConnected, const char* rangeMessage,
                   const char* failure) {
    CameraRecord& camera = connectedCamera(args.integer(1), notConnected);
    const std::int32_t value = args.integer(2);
    if (value > kLargestByte) failValue(rangeMessage);
    if (write(camera.handle, static_cast<std::uint8_t>(value & 0xFF)) == 0) failSdk(failure);
    return nullptr;
}

}  // namespace

ArrayPtr handleReadGpio(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not read GPIO. Camera %d is not connected.");
    std::uint8_t first = 0;
    std::uint8_t second = 0;
    if (QorinGpioRead(camera.handle, &first, &second) == 0) failSdk("Failed to read GPIO.");
    return makeDoubleMatrix(1, 2, {double(first), double(second)});
}

ArrayPtr handleWriteGpo(const Args& args) {
    return writeByte(args, QorinGpioWrite, "Could not write to GPIO. Camera %d is not connected.",
                     "GPO value should be less than 256.", "An error occured while writing to GPIO.");
}

ArrayPtr handleSelectGpo(const Args& args) {
    return writeByte(args, QorinGpoSelect,
                     "Could not enable GPO for manual operation. Camera %d is not connected.", kEnableRange,
                     kEnableFailed);
}

ArrayPtr handleConfigureGpio(const Args& args) {
    return writeByte(args, QorinGpioConfigure,
                     "Could not enable GPO for manual operation . Camera %d is not connected.", kEnableRange,
                     kEnableFailed);
}

ArrayPtr handleSetCooling(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set cooling. Camera %d is not connected.");
    if (args.logical(2)) {
        if (QorinSetProperty(camera.handle, QORIN_PROP_COOLING, 1.0f, kCoolingOnFlags) == 0) {
            failSdk("Failed to set camera's cooling.");
        }
    } else if (QorinSetProperty(camera.handle, QORIN_PROP_COOLING, 0.0f, 0) == 0) {
        failSdk("Failed to turn off camera's cooling.");
    }
    if (QorinSetProperty(camera.handle, QORIN_PROP_TARGET_TEMPERATURE, static_cast<float>(args.integer(3)), 0) ==
        0) {
        failSdk("Failed to set camera's temperature.");
    }
    return nullptr;
}

}  // namespace qorin
