/* qorinapi.h - binding of the camera maker's SDK (qorinapi) as the module uses it. */
#ifndef QORINAPI_H
#define QORINAPI_H

/* Written from the module's own needs: every call, record and width the module
 * relies on.  The maker's library on Windows and the simulated library built from
 * sim/ both provide exactly these symbols.  Calls return non-zero on success and
 * zero on failure unless noted otherwise. */

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#  if defined(QORIN_BUILDING_SDK)
#    define QORIN_API __declspec(dllexport)
#  else
#    define QORIN_API __declspec(dllimport)
#  endif
#  define QORIN_CALL __stdcall
#else
#  define QORIN_API __attribute__((visibility("default")))
#  define QORIN_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef void* QorinHandle;            /* an open camera; null on failure */
typedef void* QorinSyncHandle;        /* a synchronous-snapshot session */
typedef void* QorinEventRegistration; /* an event registration, opaque */
typedef void* QorinWindow;            /* a window (HWND on Windows) */
typedef void* QorinEvent;             /* an event object (HANDLE on Windows) */

/* Region of interest, depth and binning of the frames a camera delivers. */
typedef struct FrameFormat {
    uint32_t xOffset;
    uint32_t yOffset;
    uint32_t width;
    uint32_t height;
    uint32_t pixelFormat; /* 0 8-bit, 1 16-bit, 3 YUV 4:2:2 */
    uint16_t xBinSub;
    uint16_t xFlags;
    uint16_t yBinSub;
    uint16_t yFlags;
} FrameFormat;

/* Everything a still capture is taken with; the SDK reads it by address. */
typedef struct SnapshotSettings {
    float exposure;
    float gain;
    float redGain;
    float blueGain;
    float green1Gain;
    float green2Gain;
    uint32_t strobe;
    float strobeDelay;
    uint32_t trigger;
    float timeout;
    FrameFormat format;
    uint32_t shutterType;
    float reservedFloat1;
    uint32_t reservedWord1;
    uint32_t reservedWord2;
    float reservedFloat2;
    float reservedFloat3;
} SnapshotSettings;

/* Parameters of the SDK's frame conversions. */
typedef struct ConversionParams {
    uint32_t demosaicMethod;
    uint32_t correctionMatrix;
} ConversionParams;

/* The SDK's description of still or video images; Size is set by the caller. */
typedef struct ImageFormat {
    uint32_t Size;
    uint32_t Width;
    uint32_t Height;
    uint32_t PixelFormat;
    uint32_t ImageSize;
    uint32_t Reserved[8];
} ImageFormat;

/* Version words of a camera and its software, in the SDK's record order. */
typedef struct VersionInfo {
    uint32_t Firmware;
    uint32_t FPGA;
    uint32_t API;
    uint32_t Driver;
    uint32_t SN;
    uint32_t Reserved;
} VersionInfo;

/* Pixel-format numbers, shared by FrameFormat and QorinSaveImageEx. */
enum {
    QORIN_PIXEL_8BIT = 0,
    QORIN_PIXEL_16BIT = 1,
    QORIN_PIXEL_RGB24 = 2,
    QORIN_PIXEL_YUV422 = 3,
    QORIN_PIXEL_RGB48 = 7
};

/* Camera property numbers. */
enum {
    QORIN_PROP_BRIGHTNESS = 0,
    QORIN_PROP_CONTRAST = 1,
    QORIN_PROP_HUE = 2,
    QORIN_PROP_SATURATION = 3,
    QORIN_PROP_GAMMA = 5,
    QORIN_PROP_EXPOSURE = 20,
    QORIN_PROP_GAIN = 40,
    QORIN_PROP_DEMOSAIC_METHOD = 64,
    QORIN_PROP_CORRECTION_MATRIX = 65,
    QORIN_PROP_FLIPPING = 66,
    QORIN_PROP_COLOUR_FORMAT = 80,
    QORIN_PROP_MAX_WIDTH = 81,
    QORIN_PROP_MAX_HEIGHT = 82,
    QORIN_PROP_TARGET_TEMPERATURE = 108,
    QORIN_PROP_COOLING = 118
};

/* Stream modes of QorinStreamVideoControl. */
enum { QORIN_STREAM_STOP = 0, QORIN_STREAM_START = 2 };

/* QorinGetLastError after a snapshot that waited longer than its timeout. */
enum { QORIN_ERROR_TIMEOUT = 19 };

/* Cameras */
QORIN_API int32_t QORIN_CALL QorinNumCameras(void); /* count, -1 on failure */
QORIN_API QorinHandle QORIN_CALL QorinCameraOpen(int32_t cameraNumber);
QORIN_API int32_t QORIN_CALL QorinCameraClose(QorinHandle camera);
QORIN_API int32_t QORIN_CALL QorinCameraReset(QorinHandle camera);
QORIN_API uint32_t QORIN_CALL QorinGetLastError(void);

/* Format and display */
QORIN_API int32_t QORIN_CALL QorinGetFormat(QorinHandle camera, FrameFormat* format, float* frameRate);
QORIN_API int32_t QORIN_CALL QorinSetFormat(QorinHandle camera, const FrameFormat* format, float frameRate);
/* With count 0 and no buffer: the number of rates (0 on failure); else fills rates. */
QORIN_API int32_t QORIN_CALL QorinEnumAvailableFrameRates(QorinHandle camera, uint32_t count, float* rates);
QORIN_API int32_t QORIN_CALL QorinStreamVideoControl(QorinHandle camera, uint32_t mode, QorinWindow window);
QORIN_API int32_t QORIN_CALL QorinCreateDisplayWindow(QorinHandle camera, const char* title, uint32_t style,
                                                      int32_t x, int32_t y, int32_t width, int32_t height,
                                                      QorinWindow parent, void* menu);
QORIN_API int32_t QORIN_CALL QorinDestroyDisplayWindow(QorinHandle camera);
QORIN_API int32_t QORIN_CALL QorinAdjustDisplayWindow(QorinHandle camera, const char* title, int32_t x, int32_t y,
                                                      int32_t width, int32_t height);
QORIN_API int32_t QORIN_CALL QorinDisplayPropertyPage(QorinHandle camera, QorinWindow parent);
QORIN_API int32_t QORIN_CALL QorinDisplayVideoFormatPage(QorinHandle camera, QorinWindow parent);
QORIN_API int32_t QORIN_CALL QorinGetStillImageFormat(QorinHandle camera, ImageFormat* format);
QORIN_API int32_t QORIN_CALL QorinGetVideoImageFormat(QorinHandle camera, ImageFormat* format);

/* Capture */
QORIN_API int32_t QORIN_CALL QorinTakeVideo(QorinHandle camera, uint32_t frames, void* buffer);
QORIN_API int32_t QORIN_CALL QorinTakeSnapshot(QorinHandle camera, SnapshotSettings* settings, void* buffer);
QORIN_API int32_t QORIN_CALL QorinEnableFastFrames(QorinHandle camera, SnapshotSettings* settings);
QORIN_API int32_t QORIN_CALL QorinTakeFastFrame(QorinHandle camera, void* buffer);
QORIN_API int32_t QORIN_CALL QorinDisableFastFrames(QorinHandle camera);
QORIN_API QorinSyncHandle QORIN_CALL QorinEnableSynchronousSnapshots(uint32_t count, QorinHandle* cameras,
                                                                     SnapshotSettings** settings);
QORIN_API int32_t QORIN_CALL QorinTakeSynchronousSnapshots(QorinSyncHandle sync, void** buffers);
QORIN_API int32_t QORIN_CALL QorinDisableSynchronousSnapshots(QorinSyncHandle sync);
QORIN_API int32_t QORIN_CALL QorinSaveImageEx(QorinHandle camera, uint32_t columns, uint32_t rows,
                                              uint32_t pixelFormat, const void* data, const char* fileName);

/* Conversion: destination, source raw frame, columns, rows, pixel format, parameters */
QORIN_API int32_t QORIN_CALL QorinConvertFrameToRgb24(QorinHandle camera, void* destination, const void* source,
                                                      uint32_t columns, uint32_t rows, uint32_t pixelFormat,
                                                      ConversionParams* params);
QORIN_API int32_t QORIN_CALL QorinConvertFrameToRgb48(QorinHandle camera, void* destination, const void* source,
                                                      uint32_t columns, uint32_t rows, uint32_t pixelFormat,
                                                      ConversionParams* params);
QORIN_API int32_t QORIN_CALL QorinConvertFrameToGreyscale8(QorinHandle camera, void* destination,
                                                           const void* source, uint32_t columns, uint32_t rows,
                                                           uint32_t pixelFormat, ConversionParams* params);
QORIN_API int32_t QORIN_CALL QorinConvertFrameToGreyscale16(QorinHandle camera, void* destination,
                                                            const void* source, uint32_t columns, uint32_t rows,
                                                            uint32_t pixelFormat, ConversionParams* params);

/* Properties */
QORIN_API int32_t QORIN_CALL QorinGetProperty(QorinHandle camera, uint32_t property, float* value, uint32_t* flags);
QORIN_API int32_t QORIN_CALL QorinSetProperty(QorinHandle camera, uint32_t property, float value, uint32_t flags);
QORIN_API int32_t QORIN_CALL QorinPropertyRange(QorinHandle camera, uint32_t property, float* minimum,
                                                float* maximum, uint32_t* steps, uint32_t* flags);

/* Automatic adjustment */
QORIN_API int32_t QORIN_CALL QorinOneShotAutoExposure(QorinHandle camera, uint8_t target, int32_t a, int32_t b,
                                                      int32_t c, int32_t d);
QORIN_API int32_t QORIN_CALL QorinOneShotAutoIris(QorinHandle camera, uint8_t target, int32_t a, int32_t b,
                                                  int32_t c, int32_t d);
QORIN_API int32_t QORIN_CALL QorinOneShotAutoWhiteBalance(QorinHandle camera, int32_t a, int32_t b, int32_t c,
                                                          int32_t d);
QORIN_API int32_t QORIN_CALL QorinOneShotAutoWhiteBalanceEx(QorinHandle camera, float first, float second,
                                                            int32_t a, int32_t b, int32_t c, int32_t d);
QORIN_API int32_t QORIN_CALL QorinDigitalWhiteBalance(QorinHandle camera, int32_t a, int32_t b, int32_t c,
                                                      int32_t d);
QORIN_API int32_t QORIN_CALL QorinDigitalWhiteBalanceEx(QorinHandle camera, float first, float second, int32_t a,
                                                        int32_t b, int32_t c, int32_t d);
QORIN_API int32_t QORIN_CALL QorinAdjustWhiteBalanceFromSnapshot(QorinHandle camera, SnapshotSettings* settings,
                                                                 void* rawFrame, float first, float second,
                                                                 int32_t a, int32_t b, int32_t c, int32_t d);
QORIN_API int32_t QORIN_CALL QorinAutoRoiGet(QorinHandle camera, int32_t* a, int32_t* b, int32_t* c, int32_t* d);
QORIN_API int32_t QORIN_CALL QorinAutoRoiSet(QorinHandle camera, int32_t a, int32_t b, int32_t c, int32_t d);

/* Lens */
QORIN_API int32_t QORIN_CALL QorinInitAutoLens(QorinHandle camera, int32_t flag);
QORIN_API int32_t QORIN_CALL QorinAutoFocusStart(QorinHandle camera, int32_t a, int32_t b, int32_t c, int32_t d,
                                                 float e, float f, float g, intptr_t h, intptr_t i);
QORIN_API int32_t QORIN_CALL QorinAutoFocusWait(QorinHandle camera, uint32_t timeLimit);
QORIN_API int32_t QORIN_CALL QorinAutoFocusStop(QorinHandle camera);
QORIN_API int32_t QORIN_CALL QorinAutoFocusQueryProgress(QorinHandle camera, float* progress);

/* Colour processing */
QORIN_API int32_t QORIN_CALL QorinSetup8bitsLUT(QorinHandle camera, const uint8_t* table, uint32_t length);
QORIN_API int32_t QORIN_CALL QorinSetup8bitsColorLUT(QorinHandle camera, const uint8_t* table, uint32_t length,
                                                     int32_t flag1, int32_t flag2, int32_t flag3, int32_t flag4);
QORIN_API int32_t QORIN_CALL QorinSetupCustomMatrix(QorinHandle camera, const float* matrix); /* 9 floats */
QORIN_API int32_t QORIN_CALL QorinGetCurrentMatrix(QorinHandle camera, float* matrix);        /* 9 floats */

/* Device */
QORIN_API int32_t QORIN_CALL QorinGpioRead(QorinHandle camera, uint8_t* first, uint8_t* second);
QORIN_API int32_t QORIN_CALL QorinGpioWrite(QorinHandle camera, uint8_t value);
QORIN_API int32_t QORIN_CALL QorinGpoSelect(QorinHandle camera, uint8_t value);
QORIN_API int32_t QORIN_CALL QorinGpioConfigure(QorinHandle camera, uint8_t value);
QORIN_API int32_t QORIN_CALL QorinSetTimeout(QorinHandle camera, int32_t snapshotFlag, float timeout);
QORIN_API QorinEventRegistration QORIN_CALL QorinRegisterEventNotification(QorinHandle camera, int32_t kind,
                                                                           QorinEvent event);
QORIN_API int32_t QORIN_CALL QorinUnregisterEventNotification(QorinHandle camera,
                                                              QorinEventRegistration registration);
QORIN_API int32_t QORIN_CALL QorinPermanentBufferRead(QorinHandle camera, uint8_t* buffer, uint32_t offset,
                                                      uint32_t count);
QORIN_API int32_t QORIN_CALL QorinPermanentBufferWrite(QorinHandle camera, const uint8_t* buffer, uint32_t offset,
                                                       uint32_t length);
QORIN_API int32_t QORIN_CALL QorinQueryVersion(QorinHandle camera, VersionInfo* version);
QORIN_API int32_t QORIN_CALL QorinQueryExternInterface(QorinHandle camera, uint32_t* interfaceCode);
QORIN_API int32_t QORIN_CALL QorinSelectExternInterface(int32_t selector);
QORIN_API int32_t QORIN_CALL QorinGetCameraId(QorinHandle camera, uint32_t* id);
QORIN_API int32_t QORIN_CALL QorinGetTruePixelDepth(QorinHandle camera, uint32_t* depth);
QORIN_API int32_t QORIN_CALL QorinGetHardwareRevision(QorinHandle camera, uint32_t* revision);

#ifdef __cplusplus
} /* extern "C" */

static_assert(sizeof(FrameFormat) == 28, "FrameFormat is 28 bytes");
static_assert(offsetof(FrameFormat, pixelFormat) == 16, "FrameFormat layout");
static_assert(offsetof(FrameFormat, xBinSub) == 20 && offsetof(FrameFormat, xFlags) == 22, "FrameFormat layout");
static_assert(offsetof(FrameFormat, yBinSub) == 24 && offsetof(FrameFormat, yFlags) == 26, "FrameFormat layout");
static_assert(sizeof(SnapshotSettings) == 92, "SnapshotSettings is 92 bytes");
static_assert(offsetof(SnapshotSettings, strobe) == 24 && offsetof(SnapshotSettings, strobeDelay) == 28,
              "SnapshotSettings layout");
static_assert(offsetof(SnapshotSettings, trigger) == 32 && offsetof(SnapshotSettings, timeout) == 36,
              "SnapshotSettings layout");
static_assert(offsetof(SnapshotSettings, format) == 40 && offsetof(SnapshotSettings, shutterType) == 68,
              "SnapshotSettings layout");
static_assert(offsetof(SnapshotSettings, format.pixelFormat) == 56, "SnapshotSettings layout");
static_assert(offsetof(SnapshotSettings, reservedFloat1) == 72 && offsetof(SnapshotSettings, reservedFloat3) == 88,
              "SnapshotSettings layout");
static_assert(sizeof(ConversionParams) == 8, "ConversionParams is 8 bytes");
static_assert(sizeof(ImageFormat) == 52, "ImageFormat is 52 bytes");
static_assert(offsetof(ImageFormat, ImageSize) == 16 && offsetof(ImageFormat, Reserved) == 20, "ImageFormat layout");
static_assert(sizeof(VersionInfo) == 24, "VersionInfo is 24 bytes");
static_assert(offsetof(VersionInfo, API) == 8 && offsetof(VersionInfo, Reserved) == 20, "VersionInfo layout");
#endif

#endif /* QORINAPI_H */
