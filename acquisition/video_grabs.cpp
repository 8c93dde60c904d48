// video_grabs.cpp - codes 76, 75 and 7: the current frame of a running preview as a raw, grey or RGB array.
#include "acquisition/video_frame.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"

namespace qorin {

VideoFrame grabVideoFrame(std::int32_t cameraNumber, ReservedArray* plane, FrameResult* picture) {
    CameraRecord& camera = connectedCamera(cameraNumber, "Could not capture a frame. Camera %d is not connected.");
    requireState(camera, CameraState::Previewing, "Could not capture a frame, not previewing.");
    const FrameFormat format = readVideoFormat(camera);
    VideoFrame frame;
    static_cast<CapturedFrame&>(frame) = describeFrame(format, readColourFormat(camera.handle));
    frame.camera = &camera;
    if (plane != nullptr) plane->reserve({frame.geometry.rows, frame.geometry.columns}, arrayClass(*frame.format));
    if (picture != nullptr) picture->reserve(frame);
    frame.raw = allocateFrameBuffer(frame.geometry.rawBytes, "Not enough memory to make raw frame buffer.");
    if (QorinTakeVideo(camera.handle, 1, frame.raw.data()) == 0) {
        failSdk("An error occured while trying to take a video frame.");
    }
    return frame;
}

void buildVideoPicture(VideoFrame& frame, ConversionParams& params, bool monoPicture, FrameResult* result) {
    constexpr const char* kPictureFailed = "Not enough memory to make rgb frame buffer.";
    const bool build = monoPicture || !frame.monochrome();
    if (result != nullptr) result->ready(frame);
    frame.picture = build ? allocateFrameBuffer(frame.geometry.pictureBytes, kPictureFailed)
                          : allocatePictureBuffer(frame, kPictureFailed);
    if (result != nullptr) result->placePicture(frame);
    QorinHandle handle = frame.camera->handle;
    ConversionReading conversion = readConversionParams(handle);
    params = conversion.params;
    frame.monoWordFlags = conversion.flags;
    if (build) buildRgbPicture(handle, frame, frame.picture.data(), params);
}

ArrayPtr handleGrabRawFrame(const Args& args) {
    ReservedArray plane;
    VideoFrame frame = grabVideoFrame(args.integer(1), &plane);
    const FrameGeometry& g = frame.geometry;
    const Orientation orientation = readOrientation(frame.camera->handle, frame.colourFormat);
    ArrayPtr array = plane.claim(kArrayFailed);
    copyPlaneToArray(frame.raw.data(), g.rows, g.columns, g.sampleBytes, orientation, mxGetData(array.get()), g.rows,
                     0);
    return array;
}

ArrayPtr handleGrabMonoFrame(const Args& args) {
    ReservedArray plane;
    VideoFrame frame = grabVideoFrame(args.integer(1), &plane);
    const FrameGeometry& g = frame.geometry;
    QorinHandle handle = frame.camera->handle;
    ConversionReading conversion = readConversionParams(handle);
    FrameBuffer grey = allocateFrameBuffer(g.rawBytes, "Not enough memory to make grayscale frame buffer.");
    const SdkConversions& sdk = sdkConversions(*frame.format);
    convertFrame(handle, sdk.grey, frame, grey.data(), conversion.params, sdk.greyFailed);
    frame.raw.release();
    ArrayPtr array = plane.claim(kArrayFailed);
    const Orientation orientation = readOrientation(handle, frame.colourFormat);
    copyPlaneToArray(grey.data(), g.rows, g.columns, g.sampleBytes, orientation, mxGetData(array.get()), g.rows, 0);
    return array;
}

ArrayPtr handleGrabRgbFrame(const Args& args) {
    FrameResult result;
    VideoFrame frame = grabVideoFrame(args.integer(1), nullptr, &result);
    const FrameGeometry& g = frame.geometry;
    ConversionParams params{};
    buildVideoPicture(frame, params, false, &result);
    // A monochrome frame is still to be copied, and a picture built in the array arranged.
    if (!frame.monochrome() && !result.holdsPicture()) frame.raw.release();
    ArrayPtr array = result.take();
    const Orientation orientation = readOrientation(frame.camera->handle, frame.colourFormat);
    copyRgbSlab(frame, ArraySlab{mxGetData(array.get()), g.rows, g.sampleBytes, 0}, orientation);
    return array;
}

}  // namespace qorin
