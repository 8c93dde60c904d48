// frame_rates.cpp - setting, listing and reading a camera's video frame rate.
#include <cstdint>
#include <vector>

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
    FrameFormat format{};
    float currentRate = 0.0f;
    if (QorinGetFormat(camera.handle, &format, &currentRate) == 0) {
        failSdk("An error occured while obtaining the frame format.\n");
    }
    if (QorinSetFormat(camera.handle, &format, rate) == 0) failSdk("Failed to set frame rate.");
    resumePreview(camera);
    return nullptr;
}

ArrayPtr handleListFrameRates(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not list frame rates. Camera %d is not connected.");
    const std::int32_t count = QorinEnumAvailableFrameRates(camera.handle, 0, nullptr);
    // A negative count is as unusable as none, and must not become a huge allocation.
    if (count <= 0) failSdk("An error occured while obtaining number of available frame rates.\n");
    std::vector<float> rates(static_cast<std::size_t>(count));
    if (QorinEnumAvailableFrameRates(camera.handle, static_cast<std::uint32_t>(count), rates.data()) == 0) {
        failSdk("An error occured while obtaining available frame rates.\n");
    }
    ArrayPtr row = makeDoubleMatrix(1, rates.size(), kRateMatrixFailed);
    double* data = mxGetPr(row.get());
    for (std::size_t k = 0; k < rates.size(); ++k) data[k] = static_cast<double>(rates[k]);
    return row;
}

ArrayPtr handleGetFrameRate(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not get frame rate. Camera %d is not connected.");
    FrameFormat format{};
    float rate = 0.0f;
    if (QorinGetFormat(camera.handle, &format, &rate) == 0) {
        failSdk("An error occured while obtaining the current frame rate.");
    }
    return makeDoubleScalar(static_cast<double>(rate), kRateMatrixFailed);
}

}  // namespace qorin
