// enumeration.cpp - version information of the attached cameras (code 38) and of one camera (code 57).
#include <cstdint>
#include <memory>
#include <new>

#include "camera/camera_table.h"
#include "device/device_values.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"

namespace qorin {
namespace {

constexpr const char* kEnumerateFailed = "Failed to enumerate all the cameras.";

void storeVersionTexts(mxArray* structure, std::size_t index, const VersionInfo& version) {
    setStructField(structure, index, 0, makeString(dottedVersionText(version.API)));
    setStructField(structure, index, 1, makeString(dottedVersionText(version.Driver)));
    setStructField(structure, index, 2, makeString(lowWordVersionText(version.Firmware)));
    setStructField(structure, index, 3, makeString(lowWordVersionText(version.FPGA)));
    setStructField(structure, index, 4, makeString(serialNumberText(version.SN)));
    setStructField(structure, index, 5, makeString(reservedWordText(version.Reserved)));
}

ArrayPtr makeVersionStruct(std::size_t rows) {
    return makeStructArray(rows, 1, {"API", "Driver", "Firmware", "FPGA", "SN", "Reserved"});
}

}  // namespace

ArrayPtr handleEnumerateCameras(const Args&) {
    const std::int32_t attached = QorinNumCameras();
    // Only -1 is documented as the failure value; no other negative count can be honoured either.
    if (attached < 0) failSdk(kEnumerateFailed);
    if (attached == 0) fail(ErrorKind::NotConnected, "No cameras attached to computer.");
    const auto count = static_cast<std::size_t>(attached);

    // Value-initialised: an element without a connected camera shows six zero words.
    std::unique_ptr<VersionInfo[]> versions(new (std::nothrow) VersionInfo[count]());
    if (versions == nullptr) failMemory("Failed to allocate memory.");

    CameraTable& table = cameraTable();
    for (std::int32_t slot = 0; slot < table.count(); ++slot) {
        const CameraRecord& camera = table.at(slot);
        if (!camera.connected()) continue;
        // A camera connected before others were unplugged can sit beyond the n elements.
        if (static_cast<std::size_t>(slot) >= count) continue;
        if (QorinQueryVersion(camera.handle, &versions[static_cast<std::size_t>(slot)]) == 0) {
            failSdk(kEnumerateFailed);
        }
    }

    ArrayPtr result = makeVersionStruct(count);
    for (std::size_t k = 0; k < count; ++k) storeVersionTexts(result.get(), k, versions[k]);
    return result;
}

ArrayPtr handleQueryVersion(const Args& args) {
    CameraRecord& camera = connectedCamera(
        args.integer(1), "Could not query software version information . Camera %d is not connected.");
    VersionInfo version{};
    if (QorinQueryVersion(camera.handle, &version) == 0) failSdk("Failed to query software version information.");
    ArrayPtr result = makeVersionStruct(1);
    storeVersionTexts(result.get(), 0, version);
    return result;
}

}  // namespace qorin
