// colour.cpp - the current colour matrix, 8-bit look-up tables and the custom colour matrix.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "camera/camera_table.h"
#include "device/device_values.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"
#include "platform/mex_host.h"

namespace qorin {
namespace {

constexpr std::size_t kMatrixSide = 3;

// The SDK keeps the matrix row by row (float 3i + j); MATLAB column by column (index i + 3j).
constexpr std::size_t sdkIndex(std::size_t row, std::size_t column) { return kMatrixSide * row + column; }
constexpr std::size_t matlabIndex(std::size_t row, std::size_t column) { return row + kMatrixSide * column; }

// The look-up table of SETUP_LUT and SETUP_COLOUR_LUT as the SDK's byte run of `length` bytes.
std::unique_ptr<std::uint8_t[]> lookUpTableBytes(const mxArray* table, std::int32_t length) {
    // The allocation comes first, so a negative length is refused whatever the table holds.
    std::unique_ptr<std::uint8_t[]> bytes;
    if (length >= 0) bytes.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(length)]);
    if (bytes == nullptr) failMemory("Error allocating memory for buffer.");
    if (!mxIsNumeric(table)) failUsage("Look up table must be a numeric array of 256 bytes.");
    // Never read past the table: a short one is refused rather than padded with guesses.
    if (mxGetNumberOfElements(table) < static_cast<std::size_t>(length)) {
        failValue("Look up table has fewer elements than the length given.");
    }
    fillBytesFromArray(table, bytes.get(), static_cast<std::size_t>(length));
    return bytes;
}

// Codes 88 and 89: the table (parameters 2 and 3) checked and copied, then `setup` hands it with
// its length to the SDK.
template <typename Setup>
ArrayPtr setupLut(const Args& args, const char* notConnected, const char* failFormat, Setup setup) {
    CameraRecord& camera = connectedCamera(args.integer(1), notConnected);
    const std::int32_t length = args.integer(3);
    const auto bytes = lookUpTableBytes(args.array(2), length);
    if (setup(camera.handle, bytes.get(), static_cast<std::uint32_t>(length)) == 0) failSdkWithLastError(failFormat);
    return nullptr;
}

}  // namespace

ArrayPtr handleGetColourMatrix(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not get matrix. Camera %d is not connected.");
    float matrix[kMatrixSide * kMatrixSide] = {};
    if (QorinGetCurrentMatrix(camera.handle, matrix) == 0) failSdk("Could not get current matrix.");
    ArrayPtr result = makeNumericArray({kMatrixSide, kMatrixSide}, mxDOUBLE_CLASS,
                                       "An error occured while creating the Matlab array.");
    double* data = mxGetPr(result.get());
    for (std::size_t i = 0; i < kMatrixSide; ++i) {
        for (std::size_t j = 0; j < kMatrixSide; ++j) data[matlabIndex(i, j)] = matrix[sdkIndex(i, j)];
    }
    return result;
}

ArrayPtr handleSetupLut(const Args& args) {
    return setupLut(args, "Could not set up 8 bit look up table. Camera %d is not connected.",
                    "Error while setting up the 8-bit lookup table. Error# %d",
                    [](const CameraHandle& handle, const std::uint8_t* bytes, std::uint32_t length) {
                        return QorinSetup8bitsLUT(handle, bytes, length);
                    });
}

ArrayPtr handleSetupColourLut(const Args& args) {
    return setupLut(args, "Could set up 8 bit look up table. Camera %d is not connected.",
                    "Error while setting up the 8-bit color lookup table. Error# %d",
                    [&](const CameraHandle& handle, const std::uint8_t* bytes, std::uint32_t length) {
                        return QorinSetup8bitsColorLUT(handle, bytes, length, args.logical(4) ? 1 : 0,
                                                       args.logical(5) ? 1 : 0, args.logical(6) ? 1 : 0,
                                                       args.logical(7) ? 1 : 0);
                    });
}

ArrayPtr handleSetupCustomMatrix(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could set up custom matrix. Camera %d is not connected.");
    const mxArray* source = args.array(2);
    // Compared at full width, so that no dimension can wrap to 3.
    if (mxGetM(source) != kMatrixSide || mxGetN(source) != kMatrixSide) failValue("Matrix must be of size 3x3");
    // Every numeric class is read by value; text, logical, cell and structure data hold no
    // floats to read.
    if (!mxIsNumeric(source) || mxGetData(source) == nullptr) failUsage("Matrix data must be of type float.");
    float matrix[kMatrixSide * kMatrixSide] = {};
    for (std::size_t i = 0; i < kMatrixSide; ++i) {
        for (std::size_t j = 0; j < kMatrixSide; ++j) {
            matrix[sdkIndex(i, j)] = static_cast<float>(host::elementValue(source, matlabIndex(i, j)));
        }
    }
    if (QorinSetupCustomMatrix(camera.handle, matrix) == 0) failSdk("Error setting up custom matrix.");
    return nullptr;
}

}  // namespace qorin
