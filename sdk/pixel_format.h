// pixel_format.h - one description per pixel format: sample width, array class, picture and grey kinds, saved file kind.
#pragma once

#include <cstdint>

#include "sdk/qorinapi.h"

namespace qorin {

// The MATLAB class of an array holding samples of a format.
enum class SampleClass : unsigned char { kUint8, kUint16 };

// What one of the SDK's pixel-format numbers stands for.  Sensor formats (one sample per
// pixel) are what cameras deliver; picture formats (blue, green, red) are what the SDK makes
// of them.  Both kinds can be saved, and the file is of the kind the number names.
struct PixelFormat {
    std::uint32_t code;
    unsigned channels;         // 1 for sensor samples, 3 for a picture
    unsigned sampleBytes;      // 1 or 2, little-endian
    SampleClass sampleClass;   // of an array of these samples
    std::uint32_t pictureCode; // the picture of the same sample width (RGB24 or RGB48)
    std::uint32_t greyCode;    // the sensor format of the same sample width (grey images, raw files)
    bool wide() const { return sampleBytes == 2; }
};

inline constexpr PixelFormat kPixel8Bit{QORIN_PIXEL_8BIT, 1, 1, SampleClass::kUint8, QORIN_PIXEL_RGB24,
                                        QORIN_PIXEL_8BIT};
inline constexpr PixelFormat kPixel16Bit{QORIN_PIXEL_16BIT, 1, 2, SampleClass::kUint16, QORIN_PIXEL_RGB48,
                                         QORIN_PIXEL_16BIT};
inline constexpr PixelFormat kPixelRgb24{QORIN_PIXEL_RGB24, 3, 1, SampleClass::kUint8, QORIN_PIXEL_RGB24,
                                         QORIN_PIXEL_8BIT};
inline constexpr PixelFormat kPixelRgb48{QORIN_PIXEL_RGB48, 3, 2, SampleClass::kUint16, QORIN_PIXEL_RGB48,
                                         QORIN_PIXEL_16BIT};

// The samples a camera delivers in format `code`: 2 bytes for pixel format 1, and a byte for
// every other value (the SDK sizes every other format's frames in bytes).
constexpr const PixelFormat& sensorPixelFormat(std::uint32_t code) {
    return code == QORIN_PIXEL_16BIT ? kPixel16Bit : kPixel8Bit;
}

// True for the formats a capture can take into an array: their buffer size and the sample
// width of the array agree.
constexpr bool capturablePixelFormat(std::uint32_t code) {
    return code == QORIN_PIXEL_8BIT || code == QORIN_PIXEL_16BIT;
}

// The description of a format the SDK writes to a file, or null for any other number.
constexpr const PixelFormat* savedPixelFormat(std::uint32_t code) {
    switch (code) {
        case QORIN_PIXEL_8BIT: return &kPixel8Bit;
        case QORIN_PIXEL_16BIT: return &kPixel16Bit;
        case QORIN_PIXEL_RGB24: return &kPixelRgb24;
        case QORIN_PIXEL_RGB48: return &kPixelRgb48;
        default: return nullptr;
    }
}

}  // namespace qorin
