// identity.cpp - interface, camera ID, pixel depth and hardware revision queries; extern interface selection.
#include <cstdint>

#include "camera/camera_table.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"

namespace qorin {
namespace {

constexpr std::uint32_t kUsb2Interface = 2;

using WordQuery = std::int32_t(QORIN_CALL*)(QorinHandle, std::uint32_t*);

// The three unsigned 32-bit queries differ only in their call and texts.
ArrayPtr queryWord(const Args& args, WordQuery query, const char* notConnected, const char* failure) {
    CameraRecord& camera = connectedCamera(args.integer(1), notConnected);
    std::uint32_t value = 0;
    if (query(camera.handle, &value) == 0) failSdk(failure);
    return makeDoubleScalar(static_cast<double>(value));
}

}  // namespace

ArrayPtr handleQueryInterface(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not query USB interface. Camera %d is not connected.");
    std::uint32_t interfaceCode = 0;
    if (QorinQueryExternInterface(camera.handle, &interfaceCode) == 0) failSdk("Failed to query external interface.");
    return makeString(interfaceCode == kUsb2Interface ? "USB2" : "USB1");
}

ArrayPtr handleGetCameraId(const Args& args) {
    return queryWord(args, QorinGetCameraId, "Could not get camera ID. Camera %d is not connected.",
                     "Failed to get camera ID.");
}

ArrayPtr handleGetPixelDepth(const Args& args) {
    return queryWord(args, QorinGetTruePixelDepth, "Could not get pixel depth. Camera %d is not connected.",
                     "Failed to get pixel depth.");
}

ArrayPtr handleGetHwRevision(const Args& args) {
    return queryWord(args, QorinGetHardwareRevision, "Could not get hardware revision. Camera %d is not connected.",
                     "Error while getting hardware revision.");
}

ArrayPtr handleSelectExternInterface(const Args& args) {
    // A setting of the SDK as a whole: no camera is involved.
    if (QorinSelectExternInterface(args.integer(1)) == 0) failSdk("Could not select extern interface.");
    return nullptr;
}

}  // namespace qorin
