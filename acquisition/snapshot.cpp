// snapshot.cpp - code 13: one still image with the camera's snapshot settings, as an RGB array.
#include "acquisition/pipeline.h"
#include "camera/session.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"

namespace qorin {

ArrayPtr handleTakeSnapshot(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not take snapshot. Camera %d is not connected.");
    suspendPreview(camera);
    FrameResult result;
    CapturedFrame frame = prepareSnapshot(camera, &result);
    const FrameGeometry& g = frame.geometry;
    result.ready(frame);
    frame.picture = allocatePictureBuffer(frame, "Not enough memory to make picture buffer.");
    result.placePicture(frame);
    // The message speaks of a fast frame; callers may match on it, so it stays.
    captureSnapshot(camera, frame, "Error %u occured while attempting to take a fast frame with camera %d.");

    ConversionReading conversion = readConversionParams(camera.handle);
    frame.monoWordFlags = conversion.flags;
    if (!frame.monochrome()) {
        buildRgbPicture(camera.handle, frame, frame.picture.data(), conversion.params);
        if (!result.holdsPicture()) frame.raw.release();
    }

    ArrayPtr array = result.take();
    const Orientation orientation = readOrientation(camera.handle, frame.colourFormat);
    copyRgbSlab(frame, ArraySlab{mxGetData(array.get()), g.rows, g.sampleBytes, 0}, orientation);
    frame.picture.release();
    frame.raw.release();
    resumePreview(camera);
    return array;
}

}  // namespace qorin
