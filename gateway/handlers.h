// handlers.h - one handler per command, grouped by the file that implements them.
#pragma once

#include "gateway/args.h"
#include "gateway/results.h"

namespace qorin {

#define QORIN_HANDLER(name) ArrayPtr name(const Args& args)

// camera/session.cpp
QORIN_HANDLER(handleDisconnect);
QORIN_HANDLER(handleConnect);
QORIN_HANDLER(handleIsConnected);
QORIN_HANDLER(handleCountCameras);

// camera/preview.cpp
QORIN_HANDLER(handleStartPreview);
QORIN_HANDLER(handleStopPreview);
QORIN_HANDLER(handleSetPreviewSize);
QORIN_HANDLER(handleAdjustDisplayWindow);

// acquisition/: video grabs, snapshot, fast frames, synchronous snapshots, saving
QORIN_HANDLER(handleGrabRgbFrame);
QORIN_HANDLER(handleGrabMonoFrame);
QORIN_HANDLER(handleGrabRawFrame);
QORIN_HANDLER(handleTakeSnapshot);
QORIN_HANDLER(handleTakeFastFrames);
QORIN_HANDLER(handleSyncSnapshots);
QORIN_HANDLER(handleSaveImage);

// settings/snapshot_settings.cpp
QORIN_HANDLER(handleGetSnapshotExposureRange);
QORIN_HANDLER(handleSetSnapshotExposure);
QORIN_HANDLER(handleGetSnapshotGainRange);
QORIN_HANDLER(handleSetSnapshotGain);
QORIN_HANDLER(handleSetSnapshot16Bit);
QORIN_HANDLER(handleGetSnapshot16Bit);
QORIN_HANDLER(handleSetSnapshotColourGains);
QORIN_HANDLER(handleGetSnapshotColourGains);
QORIN_HANDLER(handleSetStrobe);
QORIN_HANDLER(handleGetStrobe);
QORIN_HANDLER(handleSetStrobeDelay);
QORIN_HANDLER(handleGetStrobeDelay);
QORIN_HANDLER(handleSetHwTrigger);
QORIN_HANDLER(handleGetHwTrigger);
QORIN_HANDLER(handleSetShutterType);

// settings/frame_geometry.cpp
QORIN_HANDLER(handleSetFrameSize);
QORIN_HANDLER(handleGetFrameSize);
QORIN_HANDLER(handleGetOffset);
QORIN_HANDLER(handleSetOffset);
QORIN_HANDLER(handleSet16BitVideo);
QORIN_HANDLER(handleGet16BitVideo);
QORIN_HANDLER(handleGetFrameFormat);
QORIN_HANDLER(handleSetFrameFormat);

// settings/frame_rates.cpp
QORIN_HANDLER(handleSetFrameRate);
QORIN_HANDLER(handleListFrameRates);
QORIN_HANDLER(handleGetFrameRate);

// settings/properties.cpp
QORIN_HANDLER(handleSetGain);
QORIN_HANDLER(handleGetGain);
QORIN_HANDLER(handleSetExposure);
QORIN_HANDLER(handleGetExposure);
QORIN_HANDLER(handleGetProperty);
QORIN_HANDLER(handleSetProperty);
QORIN_HANDLER(handleGetGamma);
QORIN_HANDLER(handleSetGamma);
QORIN_HANDLER(handleGetContrast);
QORIN_HANDLER(handleSetContrast);
QORIN_HANDLER(handleGetBrightness);
QORIN_HANDLER(handleSetBrightness);
QORIN_HANDLER(handleGetHue);
QORIN_HANDLER(handleSetHue);
QORIN_HANDLER(handleGetSaturation);
QORIN_HANDLER(handleSetSaturation);
QORIN_HANDLER(handleGetPropertyRange);
QORIN_HANDLER(handleGetGammaRange);
QORIN_HANDLER(handleGetContrastRange);
QORIN_HANDLER(handleGetBrightnessRange);
QORIN_HANDLER(handleGetHueRange);
QORIN_HANDLER(handleGetSaturationRange);

// settings/pages_and_formats.cpp
QORIN_HANDLER(handleShowPropertyPage);
QORIN_HANDLER(handleShowFormatPage);
QORIN_HANDLER(handleGetStillImageFormat);
QORIN_HANDLER(handleGetVideoImageFormat);

// device/enumeration.cpp
QORIN_HANDLER(handleEnumerateCameras);
QORIN_HANDLER(handleQueryVersion);

// device/identity.cpp
QORIN_HANDLER(handleQueryInterface);
QORIN_HANDLER(handleGetCameraId);
QORIN_HANDLER(handleGetPixelDepth);
QORIN_HANDLER(handleGetHwRevision);
QORIN_HANDLER(handleSelectExternInterface);

// device/auto_adjust.cpp
QORIN_HANDLER(handleAutoExposure);
QORIN_HANDLER(handleAutoIris);
QORIN_HANDLER(handleAutoWhiteBalance);
QORIN_HANDLER(handleAutoWhiteBalanceEx);
QORIN_HANDLER(handleDigitalWhiteBalance);
QORIN_HANDLER(handleDigitalWhiteBalanceEx);
QORIN_HANDLER(handleWhiteBalanceFromSnapshot);
QORIN_HANDLER(handleResetCamera);
QORIN_HANDLER(handleGetAutoRoi);
QORIN_HANDLER(handleSetAutoRoi);

// device/lens.cpp
QORIN_HANDLER(handleInitAutoLens);
QORIN_HANDLER(handleAutoFocusStart);
QORIN_HANDLER(handleAutoFocusWait);
QORIN_HANDLER(handleAutoFocusStop);
QORIN_HANDLER(handleAutoFocusProgress);

// device/colour.cpp
QORIN_HANDLER(handleGetColourMatrix);
QORIN_HANDLER(handleSetupLut);
QORIN_HANDLER(handleSetupColourLut);
QORIN_HANDLER(handleSetupCustomMatrix);

// device/gpio_cooling.cpp
QORIN_HANDLER(handleReadGpio);
QORIN_HANDLER(handleWriteGpo);
QORIN_HANDLER(handleSelectGpo);
QORIN_HANDLER(handleConfigureGpio);
QORIN_HANDLER(handleSetCooling);

// device/events.cpp
QORIN_HANDLER(handleSetTimeout);
QORIN_HANDLER(handleRegisterEvent);
QORIN_HANDLER(handleUnregisterEvent);

// device/permanent_buffer.cpp
QORIN_HANDLER(handleReadPermanentBuffer);
QORIN_HANDLER(handleWritePermanentBuffer);

#undef QORIN_HANDLER

}  // namespace qorin
