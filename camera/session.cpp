// session.cpp - connect, disconnect, is-connected, count and the connection's token: how CameraRecord records come and go.
#include "camera/session.h"

#include <algorithm>
#include <chrono>
#include <new>

#include "camera/sdk_readers.h"
#include "gateway/args.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"
#include "gateway/named_commands.h"

namespace qorin {
namespace {

void setSnapshotDefaults(SnapshotSettings& settings, const FrameFormat& videoFormat) {
    settings = SnapshotSettings{};
    settings.exposure = 60.0f;
    settings.gain = 2.0f;
    settings.redGain = 1.0f;
    settings.blueGain = 1.0f;
    settings.green1Gain = 1.0f;
    settings.green2Gain = 1.0f;
    settings.timeout = 5000.0f;
    settings.format = videoFormat;
}

// A connection's token: the steady clock's microseconds at the connect, or one more than the
// last token when the clock has not moved on.  A count would start again with each load of
// the module; the clock goes on for the whole process, and connects are far more than a
// microsecond apart.  Below 2^53 for centuries of uptime, so exact as a double.
std::uint64_t nextConnectionToken() {
    static std::uint64_t last = 0;
    const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    last = std::max(last + 1, static_cast<std::uint64_t>(now.count()));
    return last;
}

}  // namespace

void connectCamera(std::int32_t cameraNumber) {
    const CameraRecord* existing = findCamera(cameraNumber);
    if (existing != nullptr) requireState(*existing, CameraState::Disconnected, "Camera %d is already connected.");
    CameraTable& table = cameraTable();
    const std::int32_t freeSlot = table.findFreeSlot();
    if (table.count() >= kMaxCameraRecords && freeSlot == -1) {
        failState("The maximum number of cameras has been connected.");
    }

    // Everything that can fail for lack of memory happens before the camera is opened.
    auto record = std::unique_ptr<CameraRecord>(new (std::nothrow) CameraRecord());
    if (record == nullptr) failMemory("Not enough memory to create the camera record.");
    if (freeSlot == -1) table.reserveSlot();
    CameraHandle handle(QorinCameraOpen(cameraNumber));
    if (handle == nullptr) failSdk("An error has occured while opening a connection to the camera.\n");

    record->cameraNumber = cameraNumber;
    CameraRecord& camera = *record;
    if (freeSlot == -1) {
        table.append(std::move(record));
    } else {
        table.replace(freeSlot, std::move(record));
    }

    // Should the read fail, the record stays, disconnected, and the camera is closed on the way
    // out, so that it can be opened again.
    setSnapshotDefaults(camera.snapshot, readFormat(handle, "Failed to get the initial frame format.\n").format);
    camera.handle = std::move(handle);
    camera.connectionToken = nextConnectionToken();
    setState(camera, CameraState::Idle);
}

void disconnectCamera(std::int32_t cameraNumber) {
    CameraRecord& camera = connectedCamera(cameraNumber, "Camera %d already disconnected.");
    if (camera.previewing()) stopPreview(camera.cameraNumber);
    closeCamera(camera);
}

ArrayPtr handleConnect(const Args& args) {
    connectCamera(args.integer(1));
    return nullptr;
}

ArrayPtr handleDisconnect(const Args& args) {
    disconnectCamera(args.integer(1));
    return nullptr;
}

ArrayPtr handleIsConnected(const Args& args) {
    const std::int32_t cameraNumber = args.integer(1);
    requireAttached(cameraNumber);
    const std::int32_t slot = cameraTable().findCameraSlot(cameraNumber);
    return makeLogicalScalar(slot != -1 && cameraTable().at(slot).connected());
}

ArrayPtr handleCountCameras(const Args&) { return makeDoubleScalar(QorinNumCameras()); }

// Asks the table alone, no SDK: qorin.Camera calls it before each of its methods.
NamedResult handleConnection(const NamedInputs& inputs) {
    const std::int32_t cameraNumber = inputs.cameraNumber("qorincam('connection', cam)");
    inputs.atMost(1, "t = qorincam('connection', cam)");
    CameraTable& table = cameraTable();
    const std::int32_t slot = table.findCameraSlot(cameraNumber);
    const bool connected = slot != -1 && table.at(slot).connected();
    return NamedResult(makeDoubleScalar(connected ? static_cast<double>(table.at(slot).connectionToken) : 0.0));
}

}  // namespace qorin
