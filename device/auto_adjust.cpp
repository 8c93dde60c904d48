// auto_adjust.cpp - one-shot exposure, iris and white balance, camera reset and the automatic ROI.
#include <cstdint>

#include "acquisition/frame_result.h"
#include "camera/camera_table.h"
#include "camera/session.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"

namespace qorin {
namespace {

constexpr const char* kAutoWhiteBalanceNotConnected =
    "Could not perform one shot auto-white balance. Camera %d is not connected.";
constexpr const char* kAutoWhiteBalanceFailed = "Failed to perform one shot auto-white balance.";
constexpr const char* kDigitalWhiteBalanceNotConnected =
    "Could not perform digital white balance. Camera %d is not connected.";
constexpr const char* kDigitalWhiteBalanceFailed = "Failed to perform digital white balance.";

// The SDK takes the target of exposure and iris as a byte: the low 8 bits of the integer.
std::uint8_t targetByte(std::int32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

// One adjustment on a connected camera: `call` makes the SDK call with the camera's handle and
// converts the parameters after the connection check, as every command does.
template <typename Call>
ArrayPtr adjust(const Args& args, const char* notConnected, const char* failMessage, Call call) {
    CameraRecord& camera = connectedCamera(args.integer(1), notConnected);
    if (call(camera.handle) == 0) failSdk(failMessage);
    return nullptr;
}

}  // namespace

ArrayPtr handleAutoExposure(const Args& args) {
    return adjust(args, "Could not perform one shot auto-exposure. Camera %d is not connected.",
                  "Failed to perform one shot auto-exposure.", [&](const CameraHandle& handle) {
                      return QorinOneShotAutoExposure(handle, targetByte(args.integer(2)), args.integer(3),
                                                      args.integer(4), args.integer(5), args.integer(6));
                  });
}

ArrayPtr handleAutoIris(const Args& args) {
    return adjust(args, "Could not perform one shot auto-iris. Camera %d is not connected.",
                  "Failed to perform one shot auto-iris.", [&](const CameraHandle& handle) {
                      return QorinOneShotAutoIris(handle, targetByte(args.integer(2)), args.integer(3),
                                                  args.integer(4), args.integer(5), args.integer(6));
                  });
}

ArrayPtr handleAutoWhiteBalance(const Args& args) {
    return adjust(args, kAutoWhiteBalanceNotConnected, kAutoWhiteBalanceFailed, [&](const CameraHandle& handle) {
        return QorinOneShotAutoWhiteBalance(handle, args.integer(2), args.integer(3), args.integer(4), args.integer(5));
    });
}

ArrayPtr handleAutoWhiteBalanceEx(const Args& args) {
    return adjust(args, kAutoWhiteBalanceNotConnected, kAutoWhiteBalanceFailed, [&](const CameraHandle& handle) {
        return QorinOneShotAutoWhiteBalanceEx(handle, args.single(2), args.single(3), args.integer(4),
                                              args.integer(5), args.integer(6), args.integer(7));
    });
}

ArrayPtr handleDigitalWhiteBalance(const Args& args) {
    return adjust(args, kDigitalWhiteBalanceNotConnected, kDigitalWhiteBalanceFailed, [&](const CameraHandle& handle) {
        return QorinDigitalWhiteBalance(handle, args.integer(2), args.integer(3), args.integer(4), args.integer(5));
    });
}

ArrayPtr handleDigitalWhiteBalanceEx(const Args& args) {
    return adjust(args, kDigitalWhiteBalanceNotConnected, kDigitalWhiteBalanceFailed, [&](const CameraHandle& handle) {
        return QorinDigitalWhiteBalanceEx(handle, args.single(2), args.single(3), args.integer(4), args.integer(5),
                                          args.integer(6), args.integer(7));
    });
}

ArrayPtr handleWhiteBalanceFromSnapshot(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not adjust white balance. Camera %d is not connected.");
    suspendPreview(camera);
    // The snapshot steps up to the raw frame; the SDK balances from that frame, so no
    // picture is built.
    CapturedFrame frame = describeSnapshot(camera);
    frame.raw = allocateFrameBuffer(frame.geometry.rawBytes, kSnapshotRawFailed);
    captureSnapshot(camera, frame, "Error %u occured while attempting to take a snapshot with camera %d.");
    if (QorinAdjustWhiteBalanceFromSnapshot(camera.handle, &camera.snapshot, frame.raw.data(), args.single(2),
                                            args.single(3), args.integer(4), args.integer(5), args.integer(6),
                                            args.integer(7)) == 0) {
        failSdkWithLastError("White balance settings could not be applied. Error #%d");
    }
    resumePreview(camera);
    return nullptr;
}

ArrayPtr handleResetCamera(const Args& args) {
    return adjust(args, "Could not reset camera. Camera %d is not connected.", "Could not reset camera.",
                  [](const CameraHandle& handle) { return QorinCameraReset(handle); });
}

ArrayPtr handleGetAutoRoi(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not get roi. Camera %d is not connected.");
    std::int32_t first = 0;
    std::int32_t second = 0;
    std::int32_t third = 0;
    std::int32_t fourth = 0;
    if (QorinAutoRoiGet(camera.handle, &first, &second, &third, &fourth) == 0) {
        failSdk("Could not get auto region of interest.");
    }
    return makeDoubleMatrix(4, 1, {double(first), double(second), double(third), double(fourth)});
}

ArrayPtr handleSetAutoRoi(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set roi. Camera %d is not connected.");
    if (QorinAutoRoiSet(camera.handle, args.integer(2), args.integer(3), args.integer(4), args.integer(5)) == 0) {
        failSdkWithLastError("An error occured while auto-setting the ROI. Error# %d");
    }
    return nullptr;
}

}  // namespace qorin
