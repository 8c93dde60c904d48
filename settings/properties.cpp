// properties.cpp - the camera's live properties: named setters, getters and ranges, and the generic three.
#include <cstdint>
#include <cstdio>

#include "camera/camera_table.h"
#include "camera/sdk_readers.h"
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

// One named property: its messages all follow the same wording around the name, so they are
// spelled once here and put together when a command reports.
struct NamedProperty {
    std::uint32_t property;
    const char* name;
    const char* negativeValue;  // the setter refuses values below zero with this; null: it does not
};

constexpr NamedProperty kGain{QORIN_PROP_GAIN, "gain", "Gain must be a non-negative number."};
constexpr NamedProperty kExposure{QORIN_PROP_EXPOSURE, "exposure", "Exposure must be a non-negative number."};
constexpr NamedProperty kGamma{QORIN_PROP_GAMMA, "gamma", nullptr};
constexpr NamedProperty kContrast{QORIN_PROP_CONTRAST, "contrast", nullptr};
constexpr NamedProperty kBrightness{QORIN_PROP_BRIGHTNESS, "brightness", nullptr};
constexpr NamedProperty kHue{QORIN_PROP_HUE, "hue", nullptr};
constexpr NamedProperty kSaturation{QORIN_PROP_SATURATION, "saturation", nullptr};

// "<before><name><after>", e.g. "Could not set " gain ". Camera %d is not connected.", held in
// place: a range's message is alive while its result array is created.
class Worded {
public:
    Worded(const char* before, const char* name, const char* after) {
        std::snprintf(text_, sizeof text_, "%s%s%s", before, name, after);
    }
    const char* c_str() const { return text_; }

private:
    char text_[96];
};

Worded worded(const char* before, const char* name, const char* after) { return Worded(before, name, after); }

void setProperty(const CameraRecord& camera, std::uint32_t property, float value, std::uint32_t flags,
                 const char* failMessage) {
    if (QorinSetProperty(camera.handle, property, value, flags) == 0) failSdk(failMessage);
}


ArrayPtr setNamed(const Args& args, const NamedProperty& named) {
    const CameraRecord& camera = connectedCamera(
        args.integer(1), worded("Could not set ", named.name, ". Camera %d is not connected.").c_str());
    const double value = args.real(2);
    // NaN is not below zero and goes to the SDK like any other value.
    if (named.negativeValue != nullptr && value < 0.0) failValue(named.negativeValue);
    // Flags 0, value narrowed to float.
    setProperty(camera, named.property, static_cast<float>(value), 0,
                worded("An error occured while setting the ", named.name, ".").c_str());
    return nullptr;
}

// The value widened to double; the flags word is dropped.
ArrayPtr getNamed(const Args& args, const NamedProperty& named) {
    const CameraRecord& camera = connectedCamera(
        args.integer(1), worded("Could not get ", named.name, ". Camera %d is not connected.").c_str());
    const float value =
        readProperty(camera.handle, named.property, worded("An error occured while getting the ", named.name, ".").c_str())
            .value;
    return makeDoubleScalar(static_cast<double>(value));
}

ArrayPtr rangeNamed(const Args& args, const NamedProperty& named) {
    return namedPropertyRange(args, named.property, named.name);
}

}  // namespace

// 2-by-1: minimum; maximum.
ArrayPtr namedPropertyRange(const Args& args, std::uint32_t property, const char* name) {
    const CameraRecord& camera = connectedCamera(
        args.integer(1), worded("Could not get ", name, " range. Camera %d is not connected.").c_str());
    return propertyRange(camera, property, worded("Failed to get the ", name, " range.").c_str());
}

ArrayPtr handleSetGain(const Args& args) { return setNamed(args, kGain); }
ArrayPtr handleSetExposure(const Args& args) { return setNamed(args, kExposure); }
ArrayPtr handleSetGamma(const Args& args) { return setNamed(args, kGamma); }
ArrayPtr handleSetContrast(const Args& args) { return setNamed(args, kContrast); }
ArrayPtr handleSetBrightness(const Args& args) { return setNamed(args, kBrightness); }
ArrayPtr handleSetHue(const Args& args) { return setNamed(args, kHue); }
ArrayPtr handleSetSaturation(const Args& args) { return setNamed(args, kSaturation); }

ArrayPtr handleGetGain(const Args& args) { return getNamed(args, kGain); }
ArrayPtr handleGetExposure(const Args& args) { return getNamed(args, kExposure); }
ArrayPtr handleGetGamma(const Args& args) { return getNamed(args, kGamma); }
ArrayPtr handleGetContrast(const Args& args) { return getNamed(args, kContrast); }
ArrayPtr handleGetBrightness(const Args& args) { return getNamed(args, kBrightness); }
ArrayPtr handleGetHue(const Args& args) { return getNamed(args, kHue); }
ArrayPtr handleGetSaturation(const Args& args) { return getNamed(args, kSaturation); }

ArrayPtr handleGetGammaRange(const Args& args) { return rangeNamed(args, kGamma); }
ArrayPtr handleGetContrastRange(const Args& args) { return rangeNamed(args, kContrast); }
ArrayPtr handleGetBrightnessRange(const Args& args) { return rangeNamed(args, kBrightness); }
ArrayPtr handleGetHueRange(const Args& args) { return rangeNamed(args, kHue); }
ArrayPtr handleGetSaturationRange(const Args& args) { return rangeNamed(args, kSaturation); }

// A 1-by-2 row: the value, then the flags word read as a signed 32-bit number.
ArrayPtr handleGetProperty(const Args& args) {
    const CameraRecord& camera = connectedCamera(args.integer(1), "Could not get exposure. Camera %d is not connected.");
    const PropertyReading reading = readProperty(camera.handle, static_cast<std::uint32_t>(args.integer(2)),
                                                 "An error occured while getting the exposure.");
    return makeDoubleMatrix(
        1, 2, {static_cast<double>(reading.value), static_cast<double>(static_cast<std::int32_t>(reading.flags))});
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
