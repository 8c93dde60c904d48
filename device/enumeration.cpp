// enumeration.cpp - version information of the attached cameras (ENUMERATE_CAMERAS) and of one camera (QUERY_VERSION).
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "camera/camera_table.h"
#include "device/device_values.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"

namespace qorin {
namespace {

constexpr const char* kEnumerateFailed = "Failed to enumerate all the cameras.";

// A version text on the stack while its array is created (they are 15 characters at most).
struct FieldText {
    explicit FieldText(const std::string& text) { std::snprintf(text_, sizeof text_, "%s", text.c_str()); }
    char text_[24];
};

void storeVersionTexts(mxArray* structure, std::size_t index, const VersionInfo& version) {
    const FieldText texts[] = {FieldText(dottedVersionText(version.API)),   FieldText(dottedVersionText(version.Driver)),
                               FieldText(lowWordVersionText(version.Firmware)), FieldText(lowWordVersionText(version.FPGA)),
                               FieldText(serialNumberText(version.SN)),     FieldText(reservedWordText(version.Reserved))};
    for (int field = 0; field < 6; ++field) setStructField(structure, index, field, makeString(texts[field].text_));
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
    std::unique_ptr<VersionInfo[]> records(new (std::nothrow) VersionInfo[count]());
    if (records == nullptr) failMemory("Failed to allocate memory.");

    CameraTable& table = cameraTable();
    for (std::int32_t slot = 0; slot < table.count(); ++slot) {
        const CameraRecord& camera = table.at(slot);
        if (!camera.connected()) continue;
        // A camera connected before others were unplugged can sit beyond the n elements.
        if (static_cast<std::size_t>(slot) >= count) continue;
        if (QorinQueryVersion(camera.handle, &records[static_cast<std::size_t>(slot)]) == 0) {
            failSdk(kEnumerateFailed);
        }
    }
    // Only table slots hold a connected camera's record: they move to the stack, and the
    // temporary goes before the structure is created, so that none of our memory is held if the
    // host ends the call there (MATLAB does when memory runs out).
    std::array<VersionInfo, kMaxCameraRecords> versions{};
    std::copy_n(records.get(), std::min<std::size_t>(count, versions.size()), versions.begin());
    records.reset();
    const VersionInfo unconnected{};

    ArrayPtr result = makeVersionStruct(count);
    for (std::size_t k = 0; k < count; ++k) storeVersionTexts(result.get(), k, k < versions.size() ? versions[k] : unconnected);
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
