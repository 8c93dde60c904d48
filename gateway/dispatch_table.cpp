// dispatch_table.cpp - the 103 commands: parameter kinds, check order, messages and handlers.
#include <iterator>

#include "gateway/commands.h"
#include "gateway/dispatch.h"
#include "gateway/handlers.h"

namespace qorin {
namespace {

// Count messages; their wording differs from command to command and is kept as it is.
constexpr const char* kNeeds0 = "This function requires no input parameters.";
constexpr const char* kNeeds1 = "This function requires 1 input parameter.";
constexpr const char* kNeeds1Paramenter = "This function requires 1 input paramenter.";
constexpr const char* kNeeds1Functions = "This functions requires 1 input parameter.";
constexpr const char* kNeeds2Singular = "This function requires 2 input parameter.";
constexpr const char* kNeeds2 = "This function requires 2 input parameters.";
constexpr const char* kNeeds3 = "This function requires 3 input parameters.";
constexpr const char* kNeeds3NoStop = "This function requires 3 input parameters";
constexpr const char* kNeeds4 = "This function requires 4 input parameters.";
constexpr const char* kNeeds4NoStop = "This function requires 4 input parameters";
constexpr const char* kNeeds5 = "This function requires 5 input parameters.";
constexpr const char* kNeeds6 = "This function requires 6 input parameters.";
constexpr const char* kNeeds7 = "This function requires 7 input parameters.";
constexpr const char* kNeeds8 = "This function requires 8 input parameters.";
constexpr const char* kNeeds10 = "This function requires 10 input parameters.";

// Parameter checks.
constexpr CheckStep kP1Integer{Check::Integer, param(1), "Parameter 1 must be an integer."};
constexpr CheckStep kP1IntegerPlural{Check::Integer, param(1), "Parameters 1 must be an integer."};
constexpr CheckStep kP2Double{Check::Double, param(2), "Parameter 2 must be a double."};
constexpr CheckStep kP2Logical{Check::Logical, param(2), "Parameter 2 must be a logical."};
constexpr CheckStep kP2Boolean{Check::Logical, param(2), "Parameter 2 must be a boolean."};
constexpr CheckStep kP2Integer{Check::Integer, param(2), "Parameter 2 must be an integer."};
constexpr CheckStep kP3Integer{Check::Integer, param(3), "Parameter 3 must be an integer."};
constexpr CheckStep kP3BooleanAsP4{Check::Logical, param(3), "Parameter 4 must be a boolean."};
constexpr CheckStep kP1to3Comma{Check::Integer, params(1, 3), "Parameters 1, 2, and 3 must be integers."};
constexpr CheckStep kP1to3NoStop{Check::Integer, params(1, 3), "Parameters 1, 2 and 3 must be integers"};
constexpr CheckStep kP1to3Through{Check::Integer, params(1, 3), "Parameters 1 through 3 must be integers."};
constexpr CheckStep kP1to5Through{Check::Integer, params(1, 5), "Parameters 1 through 5 must be integers."};
constexpr CheckStep kP1to5{Check::Integer, params(1, 5), "Parameters 1-5 must be integers."};
constexpr CheckStep kP1to6{Check::Integer, params(1, 6), "Parameters 1-6 must be integers."};
constexpr CheckStep kP1to10{Check::Integer, params(1, 10), "Parameters 1-10 must be integers."};
constexpr CheckStep kP1and2{Check::Integer, params(1, 2), "Parameters 1 and 2 must be integers."};
constexpr CheckStep kP1and2NoStop{Check::Integer, params(1, 2), "Parameters 1 and 2 must be integers"};
constexpr CheckStep kP1and3{Check::Integer, param(1) | param(3), "Parameters 1 and 3 must be integers"};
constexpr CheckStep kP1and4to7{Check::Integer, param(1) | params(4, 7), "Parameters 1 and 4-7 must be integers."};
constexpr CheckStep kP2and3Doubles{Check::Double, params(2, 3), "Parameters 2 and 3 must be doubles."};
constexpr CheckStep kP2to5Doubles{Check::Double, params(2, 5), "Parameters 2, 3, 4, and 5 must be doubles."};
constexpr CheckStep kP4to7Booleans{Check::Logical, params(4, 7), "Parameters 4 to 7 must be booleans."};
constexpr CheckStep kEachInput0to7{Check::IntegerEachPosition, params(0, 7), "Parameter %i must be an integer."};

// Conversions, parameter 1 first.
constexpr Conv I = Conv::Integer;
constexpr Conv D = Conv::Double;
constexpr Conv S = Conv::Single;
constexpr Conv IS = Conv::IntegerAsSingle;
constexpr Conv L = Conv::Logical;
constexpr Conv A = Conv::Array;
constexpr Conv T = Conv::Text;
constexpr bool kResult = true;
constexpr bool kNone = false;

// clang-format off
const CommandRow kRows[] = {
// code, name, parameters, count message, conversions, checks in order, handler, result
{CMD_DISCONNECT, "CMD_DISCONNECT", 1, kNeeds1Paramenter, {I}, {kP1Integer}, handleDisconnect, kNone},
{CMD_CONNECT, "CMD_CONNECT", 1, kNeeds1, {I}, {kP1Integer}, handleConnect, kNone},
{CMD_START_PREVIEW, "CMD_START_PREVIEW", 1, kNeeds1Functions, {I}, {kP1Integer}, handleStartPreview, kNone},
{CMD_STOP_PREVIEW, "CMD_STOP_PREVIEW", 1, kNeeds1, {I}, {kP1Integer}, handleStopPreview, kNone},
{CMD_SET_FRAME_SIZE, "CMD_SET_FRAME_SIZE", 3, kNeeds3, {I, I, I}, {kP1to3Comma}, handleSetFrameSize, kNone},
{CMD_SET_FRAME_RATE, "CMD_SET_FRAME_RATE", 2, kNeeds2Singular, {I, D}, {kP2Double, kP1Integer}, handleSetFrameRate, kNone},
{CMD_LIST_FRAME_RATES, "CMD_LIST_FRAME_RATES", 1, kNeeds1, {I}, {kP1Integer}, handleListFrameRates, kResult},
{CMD_SHOW_PROPERTY_PAGE, "CMD_SHOW_PROPERTY_PAGE", 1, kNeeds1, {I}, {kP1Integer}, handleShowPropertyPage, kNone},
{CMD_IS_CONNECTED, "CMD_IS_CONNECTED", 1, kNeeds1, {I}, {kP1Integer}, handleIsConnected, kResult},
{CMD_GRAB_RGB_FRAME, "CMD_GRAB_RGB_FRAME", 1, kNeeds1, {I}, {kP1Integer}, handleGrabRgbFrame, kResult},
{CMD_GET_OFFSET, "CMD_GET_OFFSET", 1, kNeeds1, {I}, {kP1Integer}, handleGetOffset, kResult},
{CMD_SET_OFFSET, "CMD_SET_OFFSET", 3, kNeeds3, {I, I, I}, {kP1to3Comma}, handleSetOffset, kNone},
{CMD_SET_16BIT_VIDEO, "CMD_SET_16BIT_VIDEO", 2, kNeeds2, {I, L}, {kP1Integer, kP2Logical}, handleSet16BitVideo, kNone},
{CMD_GET_16BIT_VIDEO, "CMD_GET_16BIT_VIDEO", 1, kNeeds1, {I}, {kP1Integer}, handleGet16BitVideo, kResult},
{CMD_GET_FRAME_SIZE, "CMD_GET_FRAME_SIZE", 1, kNeeds1, {I}, {kP1Integer}, handleGetFrameSize, kResult},
{CMD_TAKE_SNAPSHOT, "CMD_TAKE_SNAPSHOT", 1, kNeeds1, {I}, {kP1Integer}, handleTakeSnapshot, kResult},
{CMD_GET_SNAPSHOT_EXPOSURE_RANGE, "CMD_GET_SNAPSHOT_EXPOSURE_RANGE", 1, kNeeds1, {I}, {kP1Integer}, handleGetSnapshotExposureRange, kResult},
{CMD_SET_SNAPSHOT_EXPOSURE, "CMD_SET_SNAPSHOT_EXPOSURE", 2, kNeeds2, {I, D}, {kP1Integer, kP2Double}, handleSetSnapshotExposure, kNone},
{CMD_GET_SNAPSHOT_GAIN_RANGE, "CMD_GET_SNAPSHOT_GAIN_RANGE", 1, kNeeds1, {I}, {kP1Integer}, handleGetSnapshotGainRange, kResult},
{CMD_SET_SNAPSHOT_GAIN, "CMD_SET_SNAPSHOT_GAIN", 2, kNeeds2, {I, D}, {kP1Integer, kP2Double}, handleSetSnapshotGain, kNone},
{CMD_SET_SNAPSHOT_16BIT, "CMD_SET_SNAPSHOT_16BIT", 2, kNeeds2, {I, L}, {kP1Integer, kP2Logical}, handleSetSnapshot16Bit, kNone},
{CMD_GET_SNAPSHOT_16BIT, "CMD_GET_SNAPSHOT_16BIT", 1, kNeeds1, {I}, {kP1Integer}, handleGetSnapshot16Bit, kResult},
{CMD_SET_SNAPSHOT_COLOUR_GAINS, "CMD_SET_SNAPSHOT_COLOUR_GAINS", 5, kNeeds5, {I, D, D, D, D}, {kP1Integer, kP2to5Doubles}, handleSetSnapshotColourGains, kNone},
{CMD_GET_SNAPSHOT_COLOUR_GAINS, "CMD_GET_SNAPSHOT_COLOUR_GAINS", 1, kNeeds1, {I}, {kP1Integer}, handleGetSnapshotColourGains, kResult},
{CMD_SET_STROBE, "CMD_SET_STROBE", 2, kNeeds2, {I, L}, {kP1Integer, kP2Logical}, handleSetStrobe, kNone},
{CMD_GET_STROBE, "CMD_GET_STROBE", 1, kNeeds1, {I}, {kP1Integer}, handleGetStrobe, kResult},
{CMD_SET_STROBE_DELAY, "CMD_SET_STROBE_DELAY", 2, kNeeds2, {I, D}, {kP1Integer, kP2Double}, handleSetStrobeDelay, kNone},
{CMD_GET_STROBE_DELAY, "CMD_GET_STROBE_DELAY", 1, kNeeds1, {I}, {kP1Integer}, handleGetStrobeDelay, kResult},
{CMD_SET_HW_TRIGGER, "CMD_SET_HW_TRIGGER", 2, kNeeds2, {I, L}, {kP1Integer, kP2Logical}, handleSetHwTrigger, kNone},
{CMD_GET_HW_TRIGGER, "CMD_GET_HW_TRIGGER", 1, kNeeds1, {I}, {kP1Integer}, handleGetHwTrigger, kResult},
{CMD_SET_GAIN, "CMD_SET_GAIN", 2, kNeeds2Singular, {I, D}, {kP1Integer, kP2Double}, handleSetGain, kNone},
{CMD_GET_GAIN, "CMD_GET_GAIN", 1, kNeeds1, {I}, {kP1Integer}, handleGetGain, kResult},
{CMD_SET_EXPOSURE, "CMD_SET_EXPOSURE", 2, kNeeds2, {I, D}, {kP1Integer, kP2Double}, handleSetExposure, kNone},
{CMD_GET_EXPOSURE, "CMD_GET_EXPOSURE", 1, kNeeds1, {I}, {kP1Integer}, handleGetExposure, kResult},
{CMD_SYNC_SNAPSHOTS, "CMD_SYNC_SNAPSHOTS", 0, nullptr, {}, {}, handleSyncSnapshots, kResult},
{CMD_GET_FRAME_RATE, "CMD_GET_FRAME_RATE", 1, kNeeds1, {I}, {kP1Integer}, handleGetFrameRate, kResult},
{CMD_READ_GPIO, "CMD_READ_GPIO", 1, kNeeds1, {I}, {kP1Integer}, handleReadGpio, kResult},
{CMD_WRITE_GPO, "CMD_WRITE_GPO", 2, kNeeds2, {I, I}, {kP1Integer}, handleWriteGpo, kNone},
{CMD_SELECT_GPO, "CMD_SELECT_GPO", 2, kNeeds2, {I, I}, {kP1Integer}, handleSelectGpo, kNone},
{CMD_COUNT_CAMERAS, "CMD_COUNT_CAMERAS", 0, kNeeds0, {}, {}, handleCountCameras, kResult},
{CMD_ENUMERATE_CAMERAS, "CMD_ENUMERATE_CAMERAS", 0, kNeeds0, {}, {}, handleEnumerateCameras, kResult},
{CMD_GET_PROPERTY, "CMD_GET_PROPERTY", 2, kNeeds2, {I, I}, {kP1Integer, kP2Integer}, handleGetProperty, kResult},
{CMD_SET_PROPERTY, "CMD_SET_PROPERTY", 4, kNeeds4, {I, I, D, I}, {kP1Integer, kP2Double, kP3Integer}, handleSetProperty, kNone},
{CMD_GET_GAMMA, "CMD_GET_GAMMA", 1, kNeeds1, {I}, {kP1Integer}, handleGetGamma, kResult},
{CMD_SET_GAMMA, "CMD_SET_GAMMA", 2, kNeeds2, {I, D}, {kP1Integer, kP2Double}, handleSetGamma, kNone},
{CMD_GET_CONTRAST, "CMD_GET_CONTRAST", 1, kNeeds1, {I}, {kP1Integer}, handleGetContrast, kResult},
{CMD_SET_CONTRAST, "CMD_SET_CONTRAST", 2, kNeeds2, {I, D}, {kP1Integer, kP2Double}, handleSetContrast, kNone},
{CMD_GET_BRIGHTNESS, "CMD_GET_BRIGHTNESS", 1, kNeeds1, {I}, {kP1Integer}, handleGetBrightness, kResult},
{CMD_SET_BRIGHTNESS, "CMD_SET_BRIGHTNESS", 2, kNeeds2, {I, D}, {kP1Integer, kP2Double}, handleSetBrightness, kNone},
{CMD_GET_HUE, "CMD_GET_HUE", 1, kNeeds1, {I}, {kP1Integer}, handleGetHue, kResult},
{CMD_SET_HUE, "CMD_SET_HUE", 2, kNeeds2, {I, D}, {kP1Integer, kP2Double}, handleSetHue, kNone},
{CMD_GET_SATURATION, "CMD_GET_SATURATION", 1, kNeeds1, {I}, {kP1Integer}, handleGetSaturation, kResult},
{CMD_SET_SATURATION, "CMD_SET_SATURATION", 2, kNeeds2, {I, D}, {kP1Integer, kP2Double}, handleSetSaturation, kNone},
{CMD_GET_PROPERTY_RANGE, "CMD_GET_PROPERTY_RANGE", 2, kNeeds2Singular, {I, I}, {kP1Integer, kP2Integer}, handleGetPropertyRange, kResult},
{CMD_GET_GAMMA_RANGE, "CMD_GET_GAMMA_RANGE", 1, kNeeds1, {I}, {kP1Integer}, handleGetGammaRange, kResult},
{CMD_GET_CONTRAST_RANGE, "CMD_GET_CONTRAST_RANGE", 1, kNeeds1, {I}, {kP1Integer}, handleGetContrastRange, kResult},
{CMD_GET_BRIGHTNESS_RANGE, "CMD_GET_BRIGHTNESS_RANGE", 1, kNeeds1, {I}, {kP1Integer}, handleGetBrightnessRange, kResult},
{CMD_GET_HUE_RANGE, "CMD_GET_HUE_RANGE", 1, kNeeds1, {I}, {kP1Integer}, handleGetHueRange, kResult},
{CMD_GET_SATURATION_RANGE, "CMD_GET_SATURATION_RANGE", 1, kNeeds1, {I}, {kP1Integer}, handleGetSaturationRange, kResult},
{CMD_QUERY_VERSION, "CMD_QUERY_VERSION", 1, kNeeds1, {I}, {kP1Integer}, handleQueryVersion, kResult},
{CMD_QUERY_INTERFACE, "CMD_QUERY_INTERFACE", 1, kNeeds1, {I}, {kP1Integer}, handleQueryInterface, kResult},
{CMD_GET_CAMERA_ID, "CMD_GET_CAMERA_ID", 1, kNeeds1, {I}, {kP1Integer}, handleGetCameraId, kResult},
{CMD_GET_PIXEL_DEPTH, "CMD_GET_PIXEL_DEPTH", 1, kNeeds1, {I}, {kP1Integer}, handleGetPixelDepth, kResult},
{CMD_CONFIGURE_GPIO, "CMD_CONFIGURE_GPIO", 2, kNeeds2, {I, I}, {kP1Integer}, handleConfigureGpio, kNone},
{CMD_GET_FRAME_FORMAT, "CMD_GET_FRAME_FORMAT", 1, kNeeds1, {I}, {kP1Integer}, handleGetFrameFormat, kResult},
{CMD_SET_FRAME_FORMAT, "CMD_SET_FRAME_FORMAT", 2, kNeeds2, {I, A}, {kP1IntegerPlural}, handleSetFrameFormat, kNone},
{CMD_AUTO_EXPOSURE, "CMD_AUTO_EXPOSURE", 6, kNeeds6, {I, I, I, I, I, I}, {kP1to6}, handleAutoExposure, kNone},
{CMD_AUTO_WHITE_BALANCE, "CMD_AUTO_WHITE_BALANCE", 5, kNeeds5, {I, I, I, I, I}, {kP1to5}, handleAutoWhiteBalance, kNone},
{CMD_AUTO_WHITE_BALANCE_EX, "CMD_AUTO_WHITE_BALANCE_EX", 7, kNeeds7, {I, S, S, I, I, I, I}, {kP1and4to7, kP2and3Doubles}, handleAutoWhiteBalanceEx, kNone},
{CMD_DIGITAL_WHITE_BALANCE, "CMD_DIGITAL_WHITE_BALANCE", 5, kNeeds5, {I, I, I, I, I}, {kP1to5}, handleDigitalWhiteBalance, kNone},
{CMD_DIGITAL_WHITE_BALANCE_EX, "CMD_DIGITAL_WHITE_BALANCE_EX", 7, kNeeds7, {I, S, S, I, I, I, I}, {kP1and4to7, kP2and3Doubles}, handleDigitalWhiteBalanceEx, kNone},
{CMD_INIT_AUTO_LENS, "CMD_INIT_AUTO_LENS", 2, kNeeds2Singular, {I, L}, {kP1Integer, kP2Boolean}, handleInitAutoLens, kNone},
{CMD_AUTO_IRIS, "CMD_AUTO_IRIS", 6, kNeeds6, {I, I, I, I, I, I}, {kP1to6}, handleAutoIris, kNone},
{CMD_AUTO_FOCUS_START, "CMD_AUTO_FOCUS_START", 10, kNeeds10, {I, I, I, I, I, I, I, I, I, I}, {kP1to10}, handleAutoFocusStart, kNone},
{CMD_AUTO_FOCUS_WAIT, "CMD_AUTO_FOCUS_WAIT", 2, kNeeds2, {I, D}, {kP1Integer, kP2Double}, handleAutoFocusWait, kNone},
{CMD_AUTO_FOCUS_STOP, "CMD_AUTO_FOCUS_STOP", 1, kNeeds1, {I}, {kP1Integer}, handleAutoFocusStop, kNone},
{CMD_AUTO_FOCUS_PROGRESS, "CMD_AUTO_FOCUS_PROGRESS", 1, kNeeds1, {I}, {kP1Integer}, handleAutoFocusProgress, kResult},
{CMD_GRAB_MONO_FRAME, "CMD_GRAB_MONO_FRAME", 1, kNeeds2, {I}, {kP1Integer}, handleGrabMonoFrame, kResult},
{CMD_GRAB_RAW_FRAME, "CMD_GRAB_RAW_FRAME", 1, kNeeds1, {I}, {kP1Integer}, handleGrabRawFrame, kResult},
{CMD_SAVE_IMAGE, "CMD_SAVE_IMAGE", 3, kNeeds4NoStop, {I, T, L}, {kP1Integer, kP3BooleanAsP4}, handleSaveImage, kNone},
{CMD_SET_SHUTTER_TYPE, "CMD_SET_SHUTTER_TYPE", 2, kNeeds3NoStop, {I, I}, {kP1and2}, handleSetShutterType, kNone},
{CMD_SET_PREVIEW_SIZE, "CMD_SET_PREVIEW_SIZE", 3, kNeeds4NoStop, {I, I, I}, {kP1to3Through}, handleSetPreviewSize, kNone},
{CMD_ADJUST_DISPLAY_WINDOW, "CMD_ADJUST_DISPLAY_WINDOW", 5, kNeeds6, {I, I, I, I, I}, {kP1to5Through}, handleAdjustDisplayWindow, kNone},
{CMD_SET_COOLING, "CMD_SET_COOLING", 3, kNeeds4, {I, L, I}, {kP1and3, kP2Boolean}, handleSetCooling, kNone},
{CMD_WHITE_BALANCE_FROM_SNAPSHOT, "CMD_WHITE_BALANCE_FROM_SNAPSHOT", 7, kNeeds8, {I, S, S, I, I, I, I}, {kEachInput0to7}, handleWhiteBalanceFromSnapshot, kNone},
{CMD_RESET_CAMERA, "CMD_RESET_CAMERA", 1, kNeeds1, {I}, {kP1Integer}, handleResetCamera, kNone},
{CMD_GET_AUTO_ROI, "CMD_GET_AUTO_ROI", 1, kNeeds2Singular, {I}, {kP1Integer}, handleGetAutoRoi, kResult},
{CMD_SET_AUTO_ROI, "CMD_SET_AUTO_ROI", 5, kNeeds6, {I, I, I, I, I}, {kP1to5Through}, handleSetAutoRoi, kNone},
{CMD_GET_COLOUR_MATRIX, "CMD_GET_COLOUR_MATRIX", 1, kNeeds1, {I}, {kP1Integer}, handleGetColourMatrix, kResult},
{CMD_TAKE_FAST_FRAMES, "CMD_TAKE_FAST_FRAMES", 2, kNeeds3NoStop, {I, I}, {kP1and2}, handleTakeFastFrames, kResult},
{CMD_SETUP_LUT, "CMD_SETUP_LUT", 3, kNeeds4, {I, A, I}, {kP1and3}, handleSetupLut, kNone},
{CMD_SETUP_COLOUR_LUT, "CMD_SETUP_COLOUR_LUT", 7, kNeeds8, {I, A, I, L, L, L, L}, {kP1and3, kP4to7Booleans}, handleSetupColourLut, kNone},
{CMD_SETUP_CUSTOM_MATRIX, "CMD_SETUP_CUSTOM_MATRIX", 2, kNeeds3, {I, A}, {kP1Integer}, handleSetupCustomMatrix, kNone},
{CMD_SET_TIMEOUT, "CMD_SET_TIMEOUT", 3, kNeeds4, {I, L, IS}, {kP1and3, kP2Boolean}, handleSetTimeout, kNone},
{CMD_REGISTER_EVENT, "CMD_REGISTER_EVENT", 2, kNeeds3, {I, I}, {kP1and2}, handleRegisterEvent, kResult},
{CMD_UNREGISTER_EVENT, "CMD_UNREGISTER_EVENT", 2, kNeeds3, {I, I}, {kP1and2}, handleUnregisterEvent, kNone},
{CMD_GET_HW_REVISION, "CMD_GET_HW_REVISION", 1, kNeeds1, {I}, {kP1Integer}, handleGetHwRevision, kResult},
{CMD_SHOW_FORMAT_PAGE, "CMD_SHOW_FORMAT_PAGE", 1, kNeeds1, {I}, {kP1Integer}, handleShowFormatPage, kNone},
{CMD_READ_PERMANENT_BUFFER, "CMD_READ_PERMANENT_BUFFER", 3, kNeeds4, {I, I, I}, {kP1to3NoStop}, handleReadPermanentBuffer, kResult},
{CMD_WRITE_PERMANENT_BUFFER, "CMD_WRITE_PERMANENT_BUFFER", 3, kNeeds4, {I, I, A}, {kP1and2NoStop}, handleWritePermanentBuffer, kNone},
{CMD_GET_STILL_IMAGE_FORMAT, "CMD_GET_STILL_IMAGE_FORMAT", 1, kNeeds1, {I}, {kP1Integer}, handleGetStillImageFormat, kResult},
{CMD_GET_VIDEO_IMAGE_FORMAT, "CMD_GET_VIDEO_IMAGE_FORMAT", 1, kNeeds1, {I}, {kP1Integer}, handleGetVideoImageFormat, kResult},
{CMD_SELECT_EXTERN_INTERFACE, "CMD_SELECT_EXTERN_INTERFACE", 1, kNeeds1, {I}, {kP1Integer}, handleSelectExternInterface, kNone},
};
// clang-format on

static_assert(std::size(kRows) == kCommandCount, "one row per command code");

}  // namespace

const CommandRow* findCommandRow(std::int32_t code) {
    if (code < kFirstCommand || code > kLastCommand) return nullptr;
    return &kRows[code - kFirstCommand];
}

const CommandRow* commandRowsBegin() { return std::begin(kRows); }
const CommandRow* commandRowsEnd() { return std::end(kRows); }

}  // namespace qorin
