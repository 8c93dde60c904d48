// frame_rates.cpp - setting, listing and reading a camera's video frame rate.
#include <cstdint>
#include <vector>

#include "camera/sdk_readers.h"
#include "camera/session.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"

namespace qorin {
namespace {

constexpr const char* kRateMatrixFailed = "An error occured while creating frame rate matrix.";

}  // namespace

// The SDK keeps the rate beside the format, so the format is written back unchanged with it.
ArrayPtr handleSetFrameRate(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not set frame rate. Camera %d is not connected.");
    const auto rate = static_cast<float>(args.real(2));
    suspendPreview(camera);
    FormatReading current = readFormat(camera.handle, kFrameFormatFailed);
    if (QorinSetFormat(camera.handle, &current.format, rate) == 0) failSdk("Failed to set frame rate.");
    resumePreview(camera);
    return nullptr;
}

ArrayPtr handleListFrameRates(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not list frame rates. Camera %d is not connected.");
    const std::int32_t count = QorinEnumAvailableFrameRates(camera.handle, 0, nullptr);
    // A negative count is as unusable as none, and must not become a huge allocation.
    if (count <= 0) failSdk("An error occured while obtaining number of available frame rates.\n");
    const auto n = static_cast<std::size_t>(count);
    // The row comes first (see ReservedArray) and the SDK writes its floats into the row's
    // first half, widened in place from the last.  Without it they wait in a buffer.
    ReservedArray reserved;
    reserved.reserve({1, n}, mxDOUBLE_CLASS, true);
    std::vector<float> buffer;
    if (reserved.get() == nullptr) buffer.resize(n);
    float* rates = reserved.get() ? static_cast<float*>(mxGetData(reserved.get())) : buffer.data();
    if (QorinEnumAvailableFrameRates(camera.handle, static_cast<std::uint32_t>(count), rates) == 0) {
        failSdk("An error occured while obtaining available frame rates.\n");
    }
    ArrayPtr row = reserved.claim(kRateMatrixFailed);
    double* data = mxGetPr(row.get());
    if (buffer.empty()) {
        for (std::size_t k = n; k-- > 0;) data[k] = static_cast<double>(rates[k]);
    } else {
        for (std::size_t k = 0; k < n; ++k) data[k] = static_cast<double>(buffer[k]);
    }
    return row;
}

ArrayPtr handleGetFrameRate(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not get frame rate. Camera %d is not connected.");
    const float rate = readFormat(camera.handle, "An error occured while obtaining the current frame rate.").frameRate;
    return makeDoubleScalar(static_cast<double>(rate), kRateMatrixFailed);
}

}  // namespace qorin
