// sdk_conversions.h - the SDK's frame conversions by sample width, and turning a raw frame into a picture.
#pragma once

#include <cstdint>

#include "acquisition/captured_frame.h"
#include "acquisition/frame_readings.h"
#include "sdk/qorinapi.h"

namespace qorin {

// The SDK's conversions of one sample width, and the messages of their failures.
struct SdkConversions {
    using Convert = std::int32_t(QORIN_CALL*)(QorinHandle, void*, const void*, std::uint32_t, std::uint32_t,
                                              std::uint32_t, ConversionParams*);
    Convert rgb;
    const char* rgbFailed;
    Convert grey;
    const char* greyFailed;      // of a grabbed grey frame
    const char* greySaveFailed;  // of a grey image about to be saved
};
const SdkConversions& sdkConversions(const PixelFormat& format);

// Converts the frame's raw samples with one of the SDK's conversions into `destination`
// ("columns, rows, pixel format" as the frame has them); `failMessage` when the SDK refuses.
void convertFrame(QorinHandle handle, SdkConversions::Convert convert, const CapturedFrame& frame,
                  void* destination, ConversionParams& params, const char* failMessage);

// Turns the raw frame into a blue-green-red picture of geometry.pictureBytes at `picture`:
// replicated samples for a monochrome sensor (through the 16-bit rule of the frame's
// flags), the SDK's RGB24/RGB48 conversion otherwise.
void buildRgbPicture(QorinHandle handle, const CapturedFrame& frame, void* picture, ConversionParams& params);

// Reads the conversion parameters (readConversionParams) for a frame about to become a
// picture: their flags become the frame's 16-bit rule, the parameters are returned.
ConversionParams readFrameConversion(QorinHandle handle, CapturedFrame& frame);

}  // namespace qorin
