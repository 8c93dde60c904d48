// save_image.cpp - SAVE_IMAGE: the current preview frame written to a file by the SDK, raw, grey or RGB.
#include <string>

#include "acquisition/sdk_conversions.h"
#include "acquisition/video_frame.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"
#include "platform/native_path.h"

namespace qorin {
namespace {

// The SDK writes raw sensor data for these names; the test is a case-sensitive substring
// search, so "frame.raw.tif" counts and "frame.Raw" does not.
bool isRawName(const std::string& name) {
    return name.find(".RAW") != std::string::npos || name.find(".raw") != std::string::npos;
}

}  // namespace

ArrayPtr handleSaveImage(const Args& args) {
    // The gateway passes any class through: only text can name a file, and the whole text
    // reaches the SDK, so a name can neither be cut short nor end early at a null character.
    const mxArray* nameArray = args.array(2);
    if (nameArray == nullptr || !mxIsChar(nameArray)) failUsage("The file name must be a character array.");
    const std::string& fileName = args.text(2);
    if (fileName.find('\0') != std::string::npos) failUsage(platform::kNullInFileName);
    const bool monochrome = args.logical(3);

    VideoFrame frame = grabVideoFrame(args.integer(1));
    // Built on every save, also when the file receives the raw frame or a grey image.
    ConversionParams params = buildVideoPicture(frame);

    QorinHandle handle = frame.camera->handle;
    const FrameGeometry& g = frame.geometry;
    const void* data = frame.picture.data();
    std::uint32_t savedFormat = frame.format->pictureCode;
    if (isRawName(fileName)) {
        data = frame.raw.data();
        savedFormat = frame.format->greyCode;
    } else if (monochrome) {
        savedFormat = frame.format->greyCode;
        const SdkConversions& sdk = sdkConversions(*frame.format);
        convertFrame(handle, sdk.grey, frame, frame.picture.data(), params, sdk.greySaveFailed);
    }
    if (QorinSaveImageEx(handle, g.columns, g.rows, savedFormat, data, fileName.c_str()) == 0) {
        failSdk("Image save not successful.");
    }
    return nullptr;
}

}  // namespace qorin
