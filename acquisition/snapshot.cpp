// snapshot.cpp - code 13: one still image with the camera's snapshot settings, as an RGB array.
#include "acquisition/pipeline.h"
#include "camera/session.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"

namespace qorin {

ArrayPtr handleTakeSnapshot(const Args& args) {
    CameraRecord& camera = connectedCamera(args.integer(1), "Could not take snapshot. Camera %d is not connected.");
    suspendPreview(camera);
    SnapshotFrame frame = prepareSnapshot(camera);
    const FrameGeometry& g = frame.geometry;
    const bool mono = monochromeSensor(frame.colourFormat);
    FrameBuffer picture =
        allocatePictureBuffer(g.pictureBytes, frame.colourFormat, "Not enough memory to make picture buffer.");
    // The message speaks of a fast frame; callers may match on it, so it stays.
    captureSnapshot(camera, frame, "Error %u occured while attempting to take a fast frame with camera %d.");

    const std::uint32_t pixelFormat = camera.snapshot.format.pixelFormat;
    ConversionParams params = readConversionParams(camera.handle, frame.flags);
    // The flipping read below overwrites the word the 16-bit rule goes by.
    const std::uint32_t pictureFlags = frame.flags;
    if (!mono) {
        buildRgbPicture(camera.handle, frame.raw.data(), picture.data(), g, pixelFormat, frame.colourFormat,
                        frame.flags, params);
        frame.raw.release();
    }

    ArrayPtr array = makeNumericArray({g.rows, g.columns, 3}, imageClass(pixelFormat), kArrayFailed, true);
    const Orientation orientation = readOrientation(camera.handle, frame.flags, frame.colourFormat);
    copyRgbSlab(picture, frame.raw, frame.colourFormat, pictureFlags, g, g.sampleBytes, orientation,
                mxGetData(array.get()), g.rows, 0);
    picture.release();
    frame.raw.release();
    resumePreview(camera);
    return array;
}

}  // namespace qorin
