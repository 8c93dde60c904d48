// properties.cpp - the camera's live properties: named setters, getters and ranges, and the generic three.
#include <cstdint>

#include "camera/camera_table.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"
#include "settings/property_range.h"

namespace qorin {

ArrayPtr propertyRange(const CameraRecord& camera, std::uint32_t property, const char* failMessage) {
    float minimum = 0.0f;
    float maximum = 0.0f;
    std::uint32_t steps = 0;
    std::uint32_t flags = 0;
    if (QorinPropertyRange(camera.handle, property, &minimum, &maximum, &steps, &flags) == 0) failSdk(failMessage);
    return makeDoubleMatrix(2, 1, {static_cast<double>(minimum), static_cast<double>(maximum)});
}

namespace {

// One named property command: which property, and the messages it reports.
struct PropertyCommand {
    std::uint32_t property;
    const char* notConnected;  // one %d, the camera number
    const char* sdkFailure;
    const char* negativeValue;  // setters that refuse values below zero; null for the others
};

// Setters (flags 0, value narrowed to float).
constexpr PropertyCommand kSetGain{QORIN_PROP_GAIN, "Could not set gain. Camera %d is not connected.",
                                   "An error occured while setting the gain.", "Gain must be a non-negative number."};
constexpr PropertyCommand kSetExposure{QORIN_PROP_EXPOSURE, "Could not set exposure. Camera %d is not connected.",
                                       "An error occured while setting the exposure.",
                                       "Exposure must be a non-negative number."};
constexpr PropertyCommand kSetGamma{QORIN_PROP_GAMMA, "Could not set gamma. Camera %d is not connected.",
                                    "An error occured while setting the gamma.", nullptr};
constexpr PropertyCommand kSetContrast{QORIN_PROP_CONTRAST, "Could not set contrast. Camera %d is not connected.",
                                       "An error occured while setting the contrast.", nullptr};
constexpr PropertyCommand kSetBrightness{QORIN_PROP_BRIGHTNESS,
                                         "Could not set brightness. Camera %d is not connected.",
                                         "An error occured while setting the brightness.", nullptr};
constexpr PropertyCommand kSetHue{QORIN_PROP_HUE, "Could not set hue. Camera %d is not connected.",
                                  "An error occured while setting the hue.", nullptr};
constexpr PropertyCommand kSetSaturation{QORIN_PROP_SATURATION,
                                         "Could not set saturation. Camera %d is not connected.",
                                         "An error occured while setting the saturation.", nullptr};

// Getters (value widened to double; the flags word is dropped).
constexpr PropertyCommand kGetGain{QORIN_PROP_GAIN, "Could not get gain. Camera %d is not connected.",
                                   "An error occured while getting the gain.", nullptr};
constexpr PropertyCommand kGetExposure{QORIN_PROP_EXPOSURE, "Could not get exposure. Camera %d is not connected.",
                                       "An error occured while getting the exposure.", nullptr};
constexpr PropertyCommand kGetGamma{QORIN_PROP_GAMMA, "Could not get gamma. Camera %d is not connected.",
                                    "An error occured while getting the gamma.", nullptr};
constexpr PropertyCommand kGetContrast{QORIN_PROP_CONTRAST, "Could not get contrast. Camera %d is not connected.",
                                       "An error occured while getting the contrast.", nullptr};
constexpr PropertyCommand kGetBrightness{QORIN_PROP_BRIGHTNESS,
                                         "Could not get brightness. Camera %d is not connected.",
                                         "An error occured while getting the brightness.", nullptr};
constexpr PropertyCommand kGetHue{QORIN_PROP_HUE, "Could not get hue. Camera %d is not connected.",
                                  "An error occured while getting the hue.", nullptr};
constexpr PropertyCommand kGetSaturation{QORIN_PROP_SATURATION,
                                         "Could not get saturation. Camera %d is not connected.",
                                         "An error occured while getting the saturation.", nullptr};

// Ranges (2-by-1: minimum; maximum).
constexpr PropertyCommand kGammaRange{QORIN_PROP_GAMMA, "Could not get gamma range. Camera %d is not connected.",
                                      "Failed to get the gamma range.", nullptr};
constexpr PropertyCommand kContrastRange{QORIN_PROP_CONTRAST,
                                         "Could not get contrast range. Camera %d is not connected.",
                                         "Failed to get the contrast range.", nullptr};
constexpr PropertyCommand kBrightnessRange{QORIN_PROP_BRIGHTNESS,
                                           "Could not get brightness range. Camera %d is not connected.",
                                           "Failed to get the brightness range.", nullptr};
constexpr PropertyCommand kHueRange{QORIN_PROP_HUE, "Could not get hue range. Camera %d is not connected.",
                                    "Failed to get the hue range.", nullptr};
constexpr PropertyCommand kSaturationRange{QORIN_PROP_SATURATION,
                                           "Could not get saturation range. Camera %d is not connected.",
                                           "Failed to get the saturation range.", nullptr};

void setProperty(const CameraRecord& camera, std::uint32_t property, float value, std::uint32_t flags,
                 const char* failMessage) {
    if (QorinSetProperty(camera.handle, property, value, flags) == 0) failSdk(failMessage);
}

float getProperty(const CameraRecord& camera, std::uint32_t property, std::uint32_t& flags, const char* failMessage) {
    float value = 0.0f;
    if (QorinGetProperty(camera.handle, property, &value, &flags) == 0) failSdk(failMessage);
    return value;
}


ArrayPtr setNamed(const Args& args, const PropertyCommand& command) {
    const CameraRecord& camera = connectedCamera(args.integer(1), command.notConnected);
    const double value = args.real(2);
    // NaN is not below zero and goes to the SDK like any other value.
    if (command.negativeValue != nullptr && value < 0.0) failValue(command.negativeValue);
    setProperty(camera, command.property, static_cast<float>(value), 0, command.sdkFailure);
    return nullptr;
}

ArrayPtr getNamed(const Args& args, const PropertyCommand& command) {
    const CameraRecord& camera = connectedCamera(args.integer(1), command.notConnected);
    std::uint32_t flags = 0;
    return makeDoubleScalar(static_cast<double>(getProperty(camera, command.property, flags, command.sdkFailure)));
}

ArrayPtr rangeNamed(const Args& args, const PropertyCommand& command) {
    const CameraRecord& camera = connectedCamera(args.integer(1), command.notConnected);
    return propertyRange(camera, command.property, command.sdkFailure);
}

}  // namespace

ArrayPtr handleSetGain(const Args& args) { return setNamed(args, kSetGain); }
ArrayPtr handleSetExposure(const Args& args) { return setNamed(args, kSetExposure); }
ArrayPtr handleSetGamma(const Args& args) { return setNamed(args, kSetGamma); }
ArrayPtr handleSetContrast(const Args& args) { return setNamed(args, kSetContrast); }
ArrayPtr handleSetBrightness(const Args& args) { return setNamed(args, kSetBrightness); }
ArrayPtr handleSetHue(const Args& args) { return setNamed(args, kSetHue); }
ArrayPtr handleSetSaturation(const Args& args) { return setNamed(args, kSetSaturation); }

ArrayPtr handleGetGain(const Args& args) { return getNamed(args, kGetGain); }
ArrayPtr handleGetExposure(const Args& args) { return getNamed(args, kGetExposure); }
ArrayPtr handleGetGamma(const Args& args) { return getNamed(args, kGetGamma); }
ArrayPtr handleGetContrast(const Args& args) { return getNamed(args, kGetContrast); }
ArrayPtr handleGetBrightness(const Args& args) { return getNamed(args, kGetBrightness); }
ArrayPtr handleGetHue(const Args& args) { return getNamed(args, kGetHue); }
ArrayPtr handleGetSaturation(const Args& args) { return getNamed(args, kGetSaturation); }

ArrayPtr handleGetGammaRange(const Args& args) { return rangeNamed(args, kGammaRange); }
ArrayPtr handleGetContrastRange(const Args& args) { return rangeNamed(args, kContrastRange); }
ArrayPtr handleGetBrightnessRange(const Args& args) { return rangeNamed(args, kBrightnessRange); }
ArrayPtr handleGetHueRange(const Args& args) { return rangeNamed(args, kHueRange); }
ArrayPtr handleGetSaturationRange(const Args& args) { return rangeNamed(args, kSaturationRange); }

// A 1-by-2 row: the value, then the flags word read as a signed 32-bit number.
ArrayPtr handleGetProperty(const Args& args) {
    const CameraRecord& camera = connectedCamera(args.integer(1), "Could not get exposure. Camera %d is not connected.");
    std::uint32_t flags = 0;
    const float value = getProperty(camera, static_cast<std::uint32_t>(args.integer(2)), flags,
                                    "An error occured while getting the exposure.");
    return makeDoubleMatrix(1, 2, {static_cast<double>(value), static_cast<double>(static_cast<std::int32_t>(flags))});
}

// Parameter 3 arrives by value whatever its numeric class; parameter 4 was not class-checked
// and arrives as its truncated scalar value.
ArrayPtr handleSetProperty(const Args& args) {
    const CameraRecord& camera = connectedCamera(args.integer(1), "Could not set property. Camera %d is not connected.");
    setProperty(camera, static_cast<std::uint32_t>(args.integer(2)), static_cast<float>(args.real(3)),
                static_cast<std::uint32_t>(args.integer(4)), "An error occured while setting the property.");
    return nullptr;
}

ArrayPtr handleGetPropertyRange(const Args& args) {
    const CameraRecord& camera =
        connectedCamera(args.integer(1), "Could not get exposure range. Camera %d is not connected.");
    return propertyRange(camera, static_cast<std::uint32_t>(args.integer(2)), "Failed to get the property range.");
}

}  // namespace qorin
