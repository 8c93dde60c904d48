// snapshot_settings.cpp - codes 14-27 and 78: the per-camera snapshot settings and the exposure and gain ranges.
#include "acquisition/pixel_format.h"
#include "camera/camera_table.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"
#include "settings/property_range.h"

namespace qorin {
namespace {

// Stores a value that must not be negative; NaN is not less than zero and is stored.
void storeNonNegative(float& field, double value, const char* rejectMessage) {
    if (value < 0.0) failValue(rejectMessage);
    field = static_cast<float>(value);
}

}  // namespace

ArrayPtr handleGetSnapshotExposureRange(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not get exposure range. Camera %d is not connected.");
    return propertyRange(camera, QORIN_PROP_EXPOSURE, "Failed to get the exposure range.");
}

ArrayPtr handleSetSnapshotExposure(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set exposure. Camera %d is not connected.");
    storeNonNegative(camera.snapshot.exposure, args.real(2), "Exposure must be a non-negative number.");
    return nullptr;
}

ArrayPtr handleGetSnapshotGainRange(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not get gain range. Camera %d is not connected.");
    return propertyRange(camera, QORIN_PROP_GAIN, "Failed to get the gain range.");
}

ArrayPtr handleSetSnapshotGain(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set gain. Camera %d is not connected.");
    storeNonNegative(camera.snapshot.gain, args.real(2), "Gain must be a non-negative number.");
    return nullptr;
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
    // In the order MATLAB passes them to code 20, not the record's order.
    return makeDoubleMatrix(4, 1, {static_cast<double>(s.redGain), static_cast<double>(s.green1Gain),
                                   static_cast<double>(s.green2Gain), static_cast<double>(s.blueGain)});
}

ArrayPtr handleSetStrobe(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set strobe. Camera %d is not connected.");
    camera.snapshot.strobe = args.logical(2) ? 1 : 0;
    return nullptr;
}

ArrayPtr handleGetStrobe(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not get strobe status. Camera %d is not connected.");
    return makeLogicalScalar(camera.snapshot.strobe != 0);
}

ArrayPtr handleSetStrobeDelay(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set strobe delay. Camera %d is not connected.");
    storeNonNegative(camera.snapshot.strobeDelay, args.real(2), "Delay must be a non-negative value.");
    return nullptr;
}

ArrayPtr handleGetStrobeDelay(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not get strobe delay. Camera %d is not connected.");
    return makeDoubleScalar(static_cast<double>(camera.snapshot.strobeDelay));
}

ArrayPtr handleSetHwTrigger(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set hw trigger use. Camera %d is not connected.");
    camera.snapshot.trigger = args.logical(2) ? 1 : 0;
    return nullptr;
}

ArrayPtr handleGetHwTrigger(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not get hw trigger use. Camera %d is not connected.");
    return makeLogicalScalar(camera.snapshot.trigger != 0);
}

ArrayPtr handleSetShutterType(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set shutter type. Camera %d is not connected.");
    const std::int32_t shutterType = args.integer(2);
    if (shutterType != 0 && shutterType != 1) failValue("Invalid entry for shutter type.");
    camera.snapshot.shutterType = static_cast<std::uint32_t>(shutterType);
    return nullptr;
}

}  // namespace qorin
