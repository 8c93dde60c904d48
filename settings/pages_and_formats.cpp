// pages_and_formats.cpp - the SDK's property and format pages, and its still and video image formats.
#include <cstdint>

#include "camera/camera_table.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"
#include "platform/win32.h"

namespace qorin {
namespace {

using PageCall = std::int32_t(QORIN_CALL*)(QorinHandle, QorinWindow);
using ImageFormatCall = std::int32_t(QORIN_CALL*)(QorinHandle, ImageFormat*);

// The page is parented to whatever window has the foreground; without one nothing is shown.
ArrayPtr showPage(const Args& args, PageCall page, const char* notConnected, const char* failMessage) {
    const CameraRecord& camera = connectedCamera(args.integer(1), notConnected);
    const platform::WindowHandle parent = platform::foregroundWindow();
    if (parent == nullptr) failState("Foreground Window NULL");
    if (page(camera.handle, parent) == 0) failSdk(failMessage);
    return nullptr;
}

ArrayPtr imageFormat(const Args& args, ImageFormatCall query) {
    const CameraRecord& camera =
        connectedCamera(args.integer(1), "Could not get image format. Camera %d is not connected.");
    // The SDK checks Size; the outputs need no preset, the reserved words must be zero.
    ImageFormat format{};
    format.Size = sizeof(ImageFormat);
    if (query(camera.handle, &format) == 0) failSdk("Failed to get image format.");
    ArrayPtr structure = makeStructArray(1, 1, {"Size", "Width", "Height", "PixelFormat", "ImageSize"});
    const std::uint32_t values[] = {format.Size, format.Width, format.Height, format.PixelFormat, format.ImageSize};
    for (int k = 0; k < 5; ++k) {
        setStructField(structure.get(), 0, k, makeDoubleScalar(static_cast<double>(values[k])));
    }
    return structure;
}

}  // namespace

ArrayPtr handleShowPropertyPage(const Args& args) {
    return showPage(args, QorinDisplayPropertyPage,
                    "Could not display video property page. Camera %d is not connected.",
                    "An error occured trying to display the video property page.");
}

ArrayPtr handleShowFormatPage(const Args& args) {
    return showPage(args, QorinDisplayVideoFormatPage,
                    "Could not display video format page. Camera %d is not connected.",
                    "An error occured trying to display the video format page.");
}

ArrayPtr handleGetStillImageFormat(const Args& args) { return imageFormat(args, QorinGetStillImageFormat); }
ArrayPtr handleGetVideoImageFormat(const Args& args) { return imageFormat(args, QorinGetVideoImageFormat); }

}  // namespace qorin
