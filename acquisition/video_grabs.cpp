// video_grabs.cpp - GRAB_RAW_FRAME, GRAB_MONO_FRAME, GRAB_RGB_FRAME: the current preview frame as a raw, grey or RGB array.
#include "acquisition/array_slabs.h"
#include "acquisition/frame_readings.h"
#include "acquisition/frame_result.h"
#include "acquisition/sdk_conversions.h"
#include "acquisition/video_frame.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"

namespace qorin {
namespace {

constexpr const char* kPictureFailed = "Not enough memory to make rgb frame buffer.";

}  // namespace

VideoFrame describeVideoFrame(std::int32_t cameraNumber) {
    CameraRecord& camera = connectedCamera(cameraNumber, "Could not capture a frame. Camera %d is not connected.");
    requireState(camera, CameraState::Previewing, "Could not capture a frame, not previewing.");
    const FrameFormat format = readVideoFormat(camera).format;
    VideoFrame frame;
    static_cast<CapturedFrame&>(frame) = describeFrame(format, readColourFormat(camera.handle));
    frame.camera = &camera;
    return frame;
}

void takeVideoFrame(VideoFrame& frame) {
    frame.raw = allocateFrameBuffer(frame.geometry.rawBytes, "Not enough memory to make raw frame buffer.");
    if (QorinTakeVideo(frame.camera->handle, 1, frame.raw.data()) == 0) {
        failSdk("An error occured while trying to take a video frame.");
    }
}

VideoFrame grabVideoFrame(std::int32_t cameraNumber, ReservedArray* plane) {
    VideoFrame frame = describeVideoFrame(cameraNumber);
    if (plane != nullptr) plane->reserve({frame.geometry.rows, frame.geometry.columns}, arrayClass(*frame.format));
    takeVideoFrame(frame);
    return frame;
}

ConversionParams buildVideoPicture(VideoFrame& frame) {
    frame.picture = allocateFrameBuffer(frame.geometry.pictureBytes, kPictureFailed);
    QorinHandle handle = frame.camera->handle;
    ConversionParams params = readFrameConversion(handle, frame);
    buildRgbPicture(handle, frame, frame.picture.data(), params);
    return params;
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

// A snapshot's steps, but with the frame taken before its picture buffer is allocated.
ArrayPtr handleGrabRgbFrame(const Args& args) {
    VideoFrame frame = describeVideoFrame(args.integer(1));
    ReservedPicture reserved(frame);
    takeVideoFrame(frame);
    PlacedPicture placed = std::move(reserved).placePicture(frame, kPictureFailed);
    return std::move(placed).finish(frame.camera->handle, frame);
}

}  // namespace qorin
