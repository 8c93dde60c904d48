// frame_result.cpp - a single frame's picture result, step by step, and the snapshot's own steps.
#include "acquisition/frame_result.h"

#include "acquisition/array_slabs.h"
#include "acquisition/frame_readings.h"
#include "acquisition/sdk_conversions.h"
#include "gateway/errors.h"
#include "gateway/truncation.h"

namespace qorin {
namespace {

// A colour picture that can be arranged in place.
bool builtInArray(const CapturedFrame& frame) { return !frame.monochrome() && picturesInPlace(frame.geometry, 1); }

}  // namespace

ReservedPicture::ReservedPicture(const CapturedFrame& frame) {
    const FrameGeometry& g = frame.geometry;
    array_.reserve({g.rows, g.columns, 3}, arrayClass(*frame.format));
}

PlacedPicture ReservedPicture::placePicture(CapturedFrame& frame, const char* failMessage) && {
    const bool builtHere = builtInArray(frame);
    if (builtHere) array_.ready();
    frame.picture = allocatePictureBuffer(frame, failMessage);
    const bool inArray = builtHere && array_.get() != nullptr;
    if (inArray) frame.picture.view(static_cast<std::uint8_t*>(mxGetData(array_.get())), frame.geometry.pictureBytes);
    return PlacedPicture(std::move(array_), inArray);
}

ArrayPtr PlacedPicture::finish(QorinHandle handle, CapturedFrame& frame) && {
    ConversionParams params = readFrameConversion(handle, frame);
    if (!frame.monochrome()) {
        buildRgbPicture(handle, frame, frame.picture.data(), params);
        // A picture built in the array is arranged there with the raw buffer's memory.
        if (!inArray_) frame.raw.release();
    }
    ArrayPtr array = array_.claim(kArrayFailed);
    const Orientation orientation = readOrientation(handle, frame.colourFormat);
    const FrameGeometry& g = frame.geometry;
    copyRgbSlab(frame, ArraySlab{mxGetData(array.get()), g.rows, g.sampleBytes, 0}, orientation);
    frame.picture.release();
    frame.raw.release();
    return array;
}

CapturedFrame describeSnapshot(CameraRecord& camera) {
    const PropertyReading colourFormat = readColourFormat(camera.handle);
    refreshSnapshotFormat(camera);
    return describeFrame(camera.snapshot.format, colourFormat);
}

void captureSnapshot(CameraRecord& camera, CapturedFrame& frame, const char* errorFormat) {
    if (QorinTakeSnapshot(camera.handle, &camera.snapshot, frame.raw.data()) != 0) return;
    const std::uint32_t error = QorinGetLastError();
    if (error == QORIN_ERROR_TIMEOUT) failSdk("Snapshot timed out.");
QORIN_FIXED_FORMAT_BEGIN
    failSdk(formatText(errorFormat, error, camera.cameraNumber));
QORIN_FIXED_FORMAT_END
}

}  // namespace qorin
