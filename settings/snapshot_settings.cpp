// snapshot_settings.cpp - GET_SNAPSHOT_EXPOSURE_RANGE through GET_HW_TRIGGER, and SET_SHUTTER_TYPE: the per-camera snapshot settings.
#include "camera/camera_table.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"
#include "sdk/pixel_format.h"
#include "settings/property_range.h"

namespace qorin {
namespace {

// The settings below live in the camera's record until a capture hands them to the SDK.

// Stores a value that must not be negative; NaN is not less than zero and is stored.
ArrayPtr storeNonNegative(const Args& args, float SnapshotSettings::*field, const char* notConnected,
                          const char* rejectMessage) {
    CameraRecord& camera = connectedCamera(args.integer(1), notConnected);
    const double value = args.real(2);
    if (value < 0.0) failValue(rejectMessage);
    camera.snapshot.*field = static_cast<float>(value);
    return nullptr;
}

ArrayPtr storeSwitch(const Args& args, std::uint32_t SnapshotSettings::*field, const char* notConnected) {
    CameraRecord& camera = connectedCamera(args.integer(1), notConnected);
    camera.snapshot.*field = args.logical(2) ? 1 : 0;
    return nullptr;
}

ArrayPtr readSwitch(const Args& args, std::uint32_t SnapshotSettings::*field, const char* notConnected) {
    CameraRecord& camera = connectedCamera(args.integer(1), notConnected);
    return makeLogicalScalar(camera.snapshot.*field != 0);
}

}  // namespace

ArrayPtr handleGetSnapshotExposureRange(const Args& args) {
    return namedPropertyRange(args, QORIN_PROP_EXPOSURE, "exposure");
}

ArrayPtr handleSetSnapshotExposure(const Args& args) {
    return storeNonNegative(args, &SnapshotSettings::exposure, "Could not set exposure. Camera %d is not connected.",
                            "Exposure must be a non-negative number.");
}

ArrayPtr handleGetSnapshotGainRange(const Args& args) {
    return namedPropertyRange(args, QORIN_PROP_GAIN, "gain");
}

ArrayPtr handleSetSnapshotGain(const Args& args) {
    return storeNonNegative(args, &SnapshotSettings::gain, "Could not set gain. Camera %d is not connected.",
                            "Gain must be a non-negative number.");
}

ArrayPtr handleSetSnapshot16Bit(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set 16-bit mode. Camera %d is not connected.");
    camera.snapshot.format.pixelFormat = (args.logical(2) ? kPixel16Bit : kPixel8Bit).code;
    return nullptr;
}

ArrayPtr handleGetSnapshot16Bit(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not check 16-bit mode. Camera %d is not connected.");
    return makeLogicalScalar(sensorPixelFormat(camera.snapshot.format.pixelFormat).wide());
}

ArrayPtr handleSetSnapshotColourGains(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set colour gain. Camera %d is not connected.");
    const double red = args.real(2);
    const double green1 = args.real(3);
    const double green2 = args.real(4);
    const double blue = args.real(5);
    // All four are checked before any is stored.
    if (red < 0.0) failValue("Red gain must be a non-negative number.");
    if (green1 < 0.0) failValue("Green1 gain must be a non-negative number.");
    if (green2 < 0.0) failValue("Green2 gain must be a non-negative number.");
    if (blue < 0.0) failValue("Blue gain must be a non-negative number.");
    camera.snapshot.redGain = static_cast<float>(red);
    camera.snapshot.green1Gain = static_cast<float>(green1);
    camera.snapshot.green2Gain = static_cast<float>(green2);
    camera.snapshot.blueGain = static_cast<float>(blue);
    return nullptr;
}

ArrayPtr handleGetSnapshotColourGains(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not get colour gain. Camera %d is not connected.");
    const SnapshotSettings& s = camera.snapshot;
    // In the order MATLAB passes them to SET_SNAPSHOT_COLOUR_GAINS, not the record's order.
    return makeDoubleMatrix(4, 1, {static_cast<double>(s.redGain), static_cast<double>(s.green1Gain),
                                   static_cast<double>(s.green2Gain), static_cast<double>(s.blueGain)});
}

ArrayPtr handleSetStrobe(const Args& args) {
    return storeSwitch(args, &SnapshotSettings::strobe, "Could not set strobe. Camera %d is not connected.");
}

ArrayPtr handleGetStrobe(const Args& args) {
    return readSwitch(args, &SnapshotSettings::strobe, "Could not get strobe status. Camera %d is not connected.");
}

ArrayPtr handleSetStrobeDelay(const Args& args) {
    return storeNonNegative(args, &SnapshotSettings::strobeDelay,
                            "Could not set strobe delay. Camera %d is not connected.",
                            "Delay must be a non-negative value.");
}

ArrayPtr handleGetStrobeDelay(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not get strobe delay. Camera %d is not connected.");
    return makeDoubleScalar(static_cast<double>(camera.snapshot.strobeDelay));
}

ArrayPtr handleSetHwTrigger(const Args& args) {
    return storeSwitch(args, &SnapshotSettings::trigger, "Could not set hw trigger use. Camera %d is not connected.");
}

ArrayPtr handleGetHwTrigger(const Args& args) {
    return readSwitch(args, &SnapshotSettings::trigger, "Could not get hw trigger use. Camera %d is not connected.");
}

ArrayPtr handleSetShutterType(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set shutter type. Camera %d is not connected.");
    const std::int32_t shutterType = args.integer(2);
    if (shutterType != 0 && shutterType != 1) failValue("Invalid entry for shutter type.");
    camera.snapshot.shutterType = static_cast<std::uint32_t>(shutterType);
    return nullptr;
}

}  // namespace qorin
