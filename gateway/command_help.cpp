// command_help.cpp - one line of help per command: parameter names, result and what it does.
#include "gateway/command_help.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace qorin {
namespace {

// Parameter names are what the help shows; "cam" is the 1-based camera number.  Values the
// SDK takes without giving them a meaning of its own are named a, b, c, ...
// clang-format off
const CommandHelp kHelp[] = {
{-2, "cam", "", "Close the camera; its event notifications are released."},
{-1, "cam", "", "Open the camera; its snapshot settings start from their defaults."},
{0, "cam", "", "Start the live preview in a display window (connects the camera if needed)."},
{1, "cam", "", "Stop the live preview and close its window."},
{2, "cam, width, height", "", "Set the frame size in pixels."},
{3, "cam, fps", "", "Set the video frame rate."},
{4, "cam", "1xN double", "Frame rates the camera offers."},
{5, "cam", "", "Show the SDK's property page."},
{6, "cam", "logical", "Whether the camera is connected."},
{7, "cam", "[rows,cols,3] uint8|uint16", "Current video frame as RGB (needs a running preview)."},
{8, "cam", "2x1 double [x; y]", "Frame offset."},
{9, "cam, x, y", "", "Set the frame offset."},
{10, "cam, on", "", "16-bit video on or off."},
{11, "cam", "logical", "Whether video is 16-bit."},
{12, "cam", "2x1 double [width; height]", "Frame size."},
{13, "cam", "[rows,cols,3] uint8|uint16", "Take a snapshot with the snapshot settings (pauses a preview)."},
{14, "cam", "2x1 double [min; max]", "Exposure range for snapshots."},
{15, "cam, exposure", "", "Snapshot exposure (>= 0)."},
{16, "cam", "2x1 double [min; max]", "Gain range for snapshots."},
{17, "cam, gain", "", "Snapshot gain (>= 0)."},
{18, "cam, on", "", "16-bit snapshots on or off."},
{19, "cam", "logical", "Whether snapshots are 16-bit."},
{20, "cam, red, green1, green2, blue", "", "Snapshot colour gains."},
{21, "cam", "4x1 double [red; green1; green2; blue]", "Snapshot colour gains."},
{22, "cam, on", "", "Strobe on or off for snapshots."},
{23, "cam", "logical", "Whether snapshots fire the strobe."},
{24, "cam, delay", "", "Strobe delay for snapshots (>= 0)."},
{25, "cam", "double", "Strobe delay."},
{26, "cam, on", "", "Hardware trigger for snapshots on or off."},
{27, "cam", "logical", "Whether snapshots wait for the hardware trigger."},
{28, "cam, gain", "", "Live gain (>= 0)."},
{29, "cam", "double", "Live gain."},
{30, "cam, exposure", "", "Live exposure (>= 0)."},
{31, "cam", "double", "Live exposure."},
{32, "", "[rows,cols,3,N] uint8|uint16", "One synchronous snapshot from every connected camera (at least 2), in connection order."},
{33, "cam", "double", "Video frame rate."},
{34, "cam", "1x2 double", "Read the two GPIO bytes."},
{35, "cam, value", "", "Write the GPO byte (0..255)."},
{36, "cam, mask", "", "Select GPO lines for manual operation (0..255)."},
{37, "", "double", "Number of cameras attached."},
{38, "", "Nx1 struct (version fields)", "Versions of every attached camera."},
{39, "cam, property", "1x2 double [value, flags]", "Read any camera property by number."},
{40, "cam, property, value, flags", "", "Write any camera property by number."},
{41, "cam", "double", "Gamma."},
{42, "cam, gamma", "", "Set gamma."},
{43, "cam", "double", "Contrast."},
{44, "cam, contrast", "", "Set contrast."},
{45, "cam", "double", "Brightness."},
{46, "cam, brightness", "", "Set brightness."},
{47, "cam", "double", "Hue."},
{48, "cam, hue", "", "Set hue."},
{49, "cam", "double", "Saturation."},
{50, "cam, saturation", "", "Set saturation."},
{51, "cam, property", "2x1 double [min; max]", "Range of any camera property."},
{52, "cam", "2x1 double [min; max]", "Gamma range."},
{53, "cam", "2x1 double [min; max]", "Contrast range."},
{54, "cam", "2x1 double [min; max]", "Brightness range."},
{55, "cam", "2x1 double [min; max]", "Hue range."},
{56, "cam", "2x1 double [min; max]", "Saturation range."},
{57, "cam", "struct (version fields)", "Firmware, FPGA, API, driver versions and serial number."},
{58, "cam", "char 'USB2'|'USB1'", "The camera's interface."},
{59, "cam", "double", "Camera ID."},
{60, "cam", "double", "True pixel depth in bits."},
{61, "cam, config", "", "Configure the GPIO lines (0..255)."},
{62, "cam", "struct (frame format)", "Frame format: width, height, xOffset, yOffset, xBinSub, yBinSub, xFlags, yFlags, pixelFormat, frameRate."},
{63, "cam, format", "", "Set the frame format from such a struct (the preview keeps running)."},
{64, "cam, target, a, b, c, d", "", "One-shot automatic exposure towards target (0..255)."},
{65, "cam, a, b, c, d", "", "One-shot automatic white balance."},
{66, "cam, first, second, a, b, c, d", "", "One-shot automatic white balance with two ratios."},
{67, "cam, a, b, c, d", "", "Digital white balance."},
{68, "cam, first, second, a, b, c, d", "", "Digital white balance with two ratios."},
{69, "cam, on", "", "Initialise the lens controller."},
{70, "cam, target, a, b, c, d", "", "One-shot automatic iris towards target (0..255)."},
{71, "cam, a, b, c, d, e, f, g, h, i", "", "Start automatic focus."},
{72, "cam, limit", "", "Wait for automatic focus, at most the time limit."},
{73, "cam", "", "Stop automatic focus."},
{74, "cam", "double", "Automatic focus progress."},
{75, "cam", "[rows,cols] uint8|uint16", "Current video frame as monochrome (needs a running preview)."},
{76, "cam", "[rows,cols] uint8|uint16", "Current video frame as raw sensor samples (needs a running preview)."},
{77, "cam, file, mono", "", "Save the current video frame as an image file ('.raw' in the name: raw samples)."},
{78, "cam, type", "", "Snapshot shutter type (0 or 1)."},
{79, "cam, width, height", "", "Size of the preview window."},
{80, "cam, x, y, width, height", "", "Move and resize the preview window."},
{81, "cam, on, celsius", "", "Sensor cooling on or off and its target temperature."},
{82, "cam, first, second, a, b, c, d", "", "Take a snapshot and let the SDK white-balance from it."},
{83, "cam", "", "Reset the camera."},
{84, "cam", "4x1 double", "Automatic region of interest."},
{85, "cam, a, b, c, d", "", "Set the automatic region of interest."},
{86, "cam", "3x3 double", "Current colour matrix."},
{87, "cam, n", "[rows,cols,3,n] uint8|uint16", "Burst of n fast frames with the snapshot settings."},
{88, "cam, table, length", "", "Load an 8-bit look-up table (numeric vector)."},
{89, "cam, table, length, ch1, ch2, ch3, ch4", "", "Load an 8-bit colour look-up table for the channels flagged."},
{90, "cam, matrix", "", "Load a custom 3x3 colour matrix."},
{91, "cam, snapshot, milliseconds", "", "Time-out of snapshots (snapshot true) or video (false)."},
{92, "cam, kind", "double", "Register an event notification; returns its ID."},
{93, "cam, id", "", "Unregister an event notification."},
{94, "cam", "double", "Hardware revision."},
{95, "cam", "", "Show the SDK's video format page."},
{96, "cam, offset, count", "1xcount uint8", "Read bytes of the permanent buffer."},
{97, "cam, offset, data", "", "Write bytes (text or numeric vector) to the permanent buffer."},
{98, "cam", "struct (image format)", "Still image format: Size, Width, Height, PixelFormat, ImageSize."},
{99, "cam", "struct (image format)", "Video image format: Size, Width, Height, PixelFormat, ImageSize."},
{100, "selector", "", "Select the SDK's external interface (no camera number)."},
};
// clang-format on

}  // namespace

const CommandHelp* commandHelpBegin() { return std::begin(kHelp); }
const CommandHelp* commandHelpEnd() { return std::end(kHelp); }

const CommandHelp* findCommandHelp(std::int32_t code) {
    const auto* it = std::find_if(std::begin(kHelp), std::end(kHelp),
                                  [code](const CommandHelp& entry) { return entry.code == code; });
    return it == std::end(kHelp) ? nullptr : it;
}

std::size_t countParameterNames(const char* parameters) {
    if (parameters == nullptr || *parameters == '\0') return 0;
    std::size_t count = 1;
    for (const char* p = parameters; *p != '\0'; ++p) count += *p == ',';
    return count;
}

}  // namespace qorin
