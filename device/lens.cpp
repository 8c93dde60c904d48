// lens.cpp - lens controller initialisation and the auto-focus start, wait, stop and progress.
#include <cstdint>

#include "camera/camera_table.h"
#include "device/device_values.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"
#include "gateway/truncation.h"

namespace qorin {

ArrayPtr handleInitAutoLens(const Args& args) {
    CameraRecord& camera =
        connectedCamera(args.integer(1), "Could not initialize the lens controller. Camera %d is not connected.");
    if (QorinInitAutoLens(camera.handle, args.logical(2) ? 1 : 0) == 0) {
        failSdk("An error occured while initializing the lens controller.");
    }
    return nullptr;
}

ArrayPtr handleAutoFocusStart(const Args& args) {
    CameraRecord& camera =
        connectedCamera(args.integer(1), "Could not start an auto-focus operation. Camera %d is not connected.");
    // Three integers go over as floats and the last two fill pointer-width slots, sign-extended.
    if (QorinAutoFocusStart(camera.handle, args.integer(2), args.integer(3), args.integer(4), args.integer(5),
                            static_cast<float>(args.integer(6)), static_cast<float>(args.integer(7)),
                            static_cast<float>(args.integer(8)), static_cast<std::intptr_t>(args.integer(9)),
                            static_cast<std::intptr_t>(args.integer(10))) == 0) {
        failSdk("An error occured while starting an auto-focus operation.");
    }
    return nullptr;
}

ArrayPtr handleAutoFocusWait(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set focus timeout value. Camera %d is not connected.");
    if (QorinAutoFocusWait(camera.handle, lowWord(args.real(2))) == 0) {
        failSdkWithLastError("An error occured while setting the focus wait timeout value. Error# %d");
    }
    return nullptr;
}

ArrayPtr handleAutoFocusStop(const Args& args) {
    CameraRecord& camera =
        connectedCamera(args.integer(1), "Could not stop the auto-focus operation. Camera %d is not connected.");
    if (QorinAutoFocusStop(camera.handle) == 0) failSdk("An error occured while stopping the auto-focus operation.");
    return nullptr;
}

ArrayPtr handleAutoFocusProgress(const Args& args) {
    CameraRecord& camera = connectedCamera(
        args.integer(1), "Could notget auto-focus operation progress value . Camera %d is not connected.");
    float progress = 0.0f;
    if (QorinAutoFocusQueryProgress(camera.handle, &progress) == 0) {
        failSdkWithLastError("An error occured while reading the auto-focus operation progress value. Error# %d");
    }
    return makeDoubleScalar(static_cast<double>(progress));
}

}  // namespace qorin
