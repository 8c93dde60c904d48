// sdk_functions.h - the SDK's function names: one list for the call log, the fault queue and the test harnesses.
#pragma once

#include <cstddef>
#include <iterator>

// Every function of sdk/qorinapi.h, in the order it declares them except QorinGetLastError,
// which stands last: a fault for it is refused (nothing would be left to report the failure
// with), so the functions that can be made to fail are the first kFailableSdkFunctionCount.
// The fuzzer picks a function by its index here, so reordering changes what old inputs do.
#define QORINSIM_SDK_FUNCTIONS(X) \
    X(QorinNumCameras) X(QorinCameraOpen) X(QorinCameraClose) X(QorinCameraReset) X(QorinGetFormat) \
    X(QorinSetFormat) X(QorinEnumAvailableFrameRates) X(QorinStreamVideoControl) X(QorinCreateDisplayWindow) \
    X(QorinDestroyDisplayWindow) X(QorinAdjustDisplayWindow) X(QorinDisplayPropertyPage) \
    X(QorinDisplayVideoFormatPage) X(QorinGetStillImageFormat) X(QorinGetVideoImageFormat) X(QorinTakeVideo) \
    X(QorinTakeSnapshot) X(QorinEnableFastFrames) X(QorinTakeFastFrame) X(QorinDisableFastFrames) \
    X(QorinEnableSynchronousSnapshots) X(QorinTakeSynchronousSnapshots) X(QorinDisableSynchronousSnapshots) \
    X(QorinSaveImageEx) X(QorinConvertFrameToRgb24) X(QorinConvertFrameToRgb48) \
    X(QorinConvertFrameToGreyscale8) X(QorinConvertFrameToGreyscale16) X(QorinGetProperty) X(QorinSetProperty) \
    X(QorinPropertyRange) X(QorinOneShotAutoExposure) X(QorinOneShotAutoIris) X(QorinOneShotAutoWhiteBalance) \
    X(QorinOneShotAutoWhiteBalanceEx) X(QorinDigitalWhiteBalance) X(QorinDigitalWhiteBalanceEx) \
    X(QorinAdjustWhiteBalanceFromSnapshot) X(QorinAutoRoiGet) X(QorinAutoRoiSet) X(QorinInitAutoLens) \
    X(QorinAutoFocusStart) X(QorinAutoFocusWait) X(QorinAutoFocusStop) X(QorinAutoFocusQueryProgress) \
    X(QorinSetup8bitsLUT) X(QorinSetup8bitsColorLUT) X(QorinSetupCustomMatrix) X(QorinGetCurrentMatrix) \
    X(QorinGpioRead) X(QorinGpioWrite) X(QorinGpoSelect) X(QorinGpioConfigure) X(QorinSetTimeout) \
    X(QorinRegisterEventNotification) X(QorinUnregisterEventNotification) X(QorinPermanentBufferRead) \
    X(QorinPermanentBufferWrite) X(QorinQueryVersion) X(QorinQueryExternInterface) \
    X(QorinSelectExternInterface) X(QorinGetCameraId) X(QorinGetTruePixelDepth) X(QorinGetHardwareRevision) \
    X(QorinGetLastError)

namespace qorinsim {

#define QORINSIM_SDK_FUNCTION_NAME(function) #function,
inline constexpr const char* kSdkFunctions[] = {QORINSIM_SDK_FUNCTIONS(QORINSIM_SDK_FUNCTION_NAME)};
#undef QORINSIM_SDK_FUNCTION_NAME

inline constexpr std::size_t kSdkFunctionCount = std::size(kSdkFunctions);
inline constexpr std::size_t kFailableSdkFunctionCount = kSdkFunctionCount - 1;

}  // namespace qorinsim
