// video_grabs.cpp - codes 76, 75 and 7: the current frame of a running preview as a raw, grey or RGB array.
#include "acquisition/video_frame.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"

namespace qorin {

VideoFrame grabVideoFrame(std::int32_t cameraNumber) {
    VideoFrame frame;
    CameraRecord& camera = connectedCamera(cameraNumber, "Could not capture a frame. Camera %d is not connected.");
    frame.camera = &camera;
    requireState(camera, CameraState::Previewing, "Could not capture a frame, not previewing.");
    readVideoFormat(camera);
    frame.colourFormat = readColourFormat(camera.handle, frame.flags);
    frame.pixelFormat = scratchFormat().pixelFormat;
    frame.geometry = captureGeometry(scratchFormat());
    frame.raw = allocateFrameBuffer(frame.geometry.rawBytes, "Not enough memory to make raw frame buffer.");
    if (QorinTakeVideo(camera.handle, 1, frame.raw.data()) == 0) {
        failSdk("An error occured while trying to take a video frame.");
    }
    return frame;
}

FrameBuffer buildVideoPicture(VideoFrame& frame, ConversionParams& params, bool monoPicture) {
    constexpr const char* kPictureFailed = "Not enough memory to make rgb frame buffer.";
    const bool build = monoPicture || !monochromeSensor(frame.colourFormat);
    FrameBuffer picture = build
                              ? allocateFrameBuffer(frame.geometry.pictureBytes, kPictureFailed)
                              : allocatePictureBuffer(frame.geometry.pictureBytes, frame.colourFormat, kPictureFailed);
    QorinHandle handle = frame.camera->handle;
    params = readConversionParams(handle, frame.flags);
    if (build) {
        buildRgbPicture(handle, frame.raw.data(), picture.data(), frame.geometry, frame.pixelFormat, frame.colourFormat,
                        frame.flags, params);
    }
    return picture;
}

ArrayPtr handleGrabRawFrame(const Args& args) {
    VideoFrame frame = grabVideoFrame(args.integer(1));
    const FrameGeometry& g = frame.geometry;
    const Orientation orientation = readOrientation(frame.camera->handle, frame.flags, frame.colourFormat);
    ArrayPtr array = makeNumericArray({g.rows, g.columns}, imageClass(frame.pixelFormat), kArrayFailed, true);
    copyPlaneToArray(frame.raw.data(), g.rows, g.columns, g.sampleBytes, orientation, mxGetData(array.get()), g.rows,
                     0);
    return array;
}

ArrayPtr handleGrabMonoFrame(const Args& args) {
    VideoFrame frame = grabVideoFrame(args.integer(1));
    const FrameGeometry& g = frame.geometry;
    QorinHandle handle = frame.camera->handle;
    ConversionParams params = readConversionParams(handle, frame.flags);
    FrameBuffer grey = allocateFrameBuffer(g.rawBytes, "Not enough memory to make grayscale frame buffer.");
    if (frame.pixelFormat == QORIN_PIXEL_16BIT) {
        if (QorinConvertFrameToGreyscale16(handle, grey.data(), frame.raw.data(), g.columns, g.rows,
                                           frame.pixelFormat, &params) == 0) {
            failSdk("Failed to convert to 16-bit monochrome");
        }
    } else if (QorinConvertFrameToGreyscale8(handle, grey.data(), frame.raw.data(), g.columns, g.rows,
                                             frame.pixelFormat, &params) == 0) {
        failSdk("Failed to convert to 8-bit monochrome");
    }
    frame.raw.release();
    ArrayPtr array = makeNumericArray({g.rows, g.columns}, imageClass(frame.pixelFormat), kArrayFailed, true);
    const Orientation orientation = readOrientation(handle, frame.flags, frame.colourFormat);
    copyPlaneToArray(grey.data(), g.rows, g.columns, g.sampleBytes, orientation, mxGetData(array.get()), g.rows, 0);
    return array;
}

ArrayPtr handleGrabRgbFrame(const Args& args) {
    VideoFrame frame = grabVideoFrame(args.integer(1));
    const FrameGeometry& g = frame.geometry;
    ConversionParams params{};
    FrameBuffer picture = buildVideoPicture(frame, params, false);
    // The flipping read below overwrites the word the 16-bit rule goes by.
    const std::uint32_t pictureFlags = frame.flags;
    // A monochrome frame is still to be copied.
    if (!monochromeSensor(frame.colourFormat)) frame.raw.release();
    ArrayPtr array = makeNumericArray({g.rows, g.columns, 3}, imageClass(frame.pixelFormat), kArrayFailed, true);
    const Orientation orientation = readOrientation(frame.camera->handle, frame.flags, frame.colourFormat);
    copyRgbSlab(picture, frame.raw, frame.colourFormat, pictureFlags, g, g.sampleBytes, orientation,
                mxGetData(array.get()), g.rows, 0);
    return array;
}

}  // namespace qorin
