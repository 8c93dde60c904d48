// sdk_camera.cpp - simulated SDK entry points for cameras, format and display, capture, conversion and properties.
#include "sim/sim_internal.h"

#include <algorithm>

using namespace qorinsim;

namespace {

// Everything that belongs to one open session of a camera; its setup stays.
void endSession(SimulatedCamera& camera) {
    camera.open_ = false;
    camera.handle_ = 0;
    camera.streaming_ = false;
    camera.window_ = false;
    camera.windowWidth_ = 0;
    camera.windowHeight_ = 0;
    camera.fastFrames_ = false;
    camera.fastSettings_ = SnapshotSettings{};
    camera.hasSnapshotFormat_ = false;
    camera.snapshotFormat_ = FrameFormat{};
    camera.registrations_.clear();
    stopClock(camera);
    state().wake_.notify_all();  // a capture waiting on this camera gives up
}

const FrameFormat& knownSnapshotFormat(const SimulatedCamera& camera) {
    return camera.hasSnapshotFormat_ ? camera.snapshotFormat_ : camera.format_;
}

void rememberSnapshotFormat(SimulatedCamera& camera, const SnapshotSettings& settings) {
    camera.hasSnapshotFormat_ = true;
    camera.snapshotFormat_ = settings.format;
}

float propertyValue(const SimulatedCamera& camera, uint32_t number) {
    auto it = camera.properties_.find(number);
    return it == camera.properties_.end() ? 0.0f : it->second.value_;
}

int32_t fillImageFormat(Call& call, const FrameFormat& source, ImageFormat* format) {
    Geometry geometry;
    if (format == nullptr || !captureGeometry(source, geometry)) return call.fail(kErrorInvalidArgument);
    format->Width = static_cast<uint32_t>(geometry.columns_);
    format->Height = static_cast<uint32_t>(geometry.rows_);
    format->PixelFormat = source.pixelFormat;
    format->ImageSize = static_cast<uint32_t>(geometry.bytes());
    return call.ok();
}

int32_t capture(Call& call, SimulatedCamera& camera, const FrameFormat& format, const Exposure& exposure,
                void* buffer) {
    uint32_t error = 0;
    if (!deliverFrame(camera, format, exposure, buffer, error)) return call.fail(error);
    return call.ok();
}

int32_t convert(const char* name, Conversion conversion, QorinHandle handle, void* destination, const void* source,
                uint32_t columns, uint32_t rows, uint32_t pixelFormat, ConversionParams* params) {
    Call call(name, handle,
              {logEmpty(), logFrame(source, columns, rows, pixelFormat), logNumber(columns), logNumber(rows),
               logNumber(pixelFormat), logParams(params)});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (params == nullptr ||
        !convertFrame(conversion, isColour(*camera), destination, source, columns, rows, pixelFormat))
        return call.fail(kErrorInvalidArgument);
    return call.ok();
}

}  // namespace

// Cameras

int32_t QorinNumCameras(void) {
    Call call(__func__, {});
    if (call.injected()) return -1;
    if (state().attached_ < 0) {
        call.fail(kErrorNotAttached);
        return -1;
    }
    return call.succeed(state().attached_);
}

QorinHandle QorinCameraOpen(int32_t cameraNumber) {
    Call call(__func__, {logNumber(cameraNumber)});
    if (call.injected()) return nullptr;
    if (cameraNumber < 1 || cameraNumber > state().attached_) {
        call.fail(kErrorNotAttached);
        return nullptr;
    }
    SimulatedCamera& camera = *qorinsim::camera(cameraNumber);
    if (camera.open_) {
        call.fail(kErrorAlreadyOpen);
        return nullptr;
    }
    endSession(camera);
    camera.open_ = true;
    camera.handle_ = issueToken(cameraNumber);
    return call.succeed(reinterpret_cast<QorinHandle>(camera.handle_));
}

int32_t QorinCameraClose(QorinHandle handle) {
    return applyToCamera(__func__, handle, {}, [&](SimulatedCamera& camera) { endSession(camera); });
}

int32_t QorinCameraReset(QorinHandle handle) {
    return acknowledge(__func__, handle, {});
}

uint32_t QorinGetLastError(void) {
    Call call(__func__, {});
    return lastError();
}

// Format and display

int32_t QorinGetFormat(QorinHandle handle, FrameFormat* format, float* frameRate) {
    Call call(__func__, handle, {logEmpty(), logEmpty()});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (format == nullptr || frameRate == nullptr) return call.fail(kErrorInvalidArgument);
    *format = camera->format_;
    *frameRate = camera->frameRate_;
    return call.ok();
}

int32_t QorinSetFormat(QorinHandle handle, const FrameFormat* format, float frameRate) {
    Call call(__func__, handle, {logFormat(format), logNumber(frameRate)});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (format == nullptr || format->xBinSub == 0 || format->yBinSub == 0 || !(frameRate > 0.0f))
        return call.fail(kErrorInvalidArgument);
    if (format->width > static_cast<double>(propertyValue(*camera, QORIN_PROP_MAX_WIDTH)) ||
        format->height > static_cast<double>(propertyValue(*camera, QORIN_PROP_MAX_HEIGHT)))
        return call.fail(kErrorInvalidArgument);
    if (format->pixelFormat != QORIN_PIXEL_8BIT && format->pixelFormat != QORIN_PIXEL_16BIT &&
        format->pixelFormat != QORIN_PIXEL_YUV422)
        return call.fail(kErrorInvalidArgument);
    camera->format_ = *format;
    camera->frameRate_ = frameRate;
    return call.ok();
}

int32_t QorinEnumAvailableFrameRates(QorinHandle handle, uint32_t count, float* rates) {
    Call call(__func__, handle, {logNumber(count), logEmpty()});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    const auto available = static_cast<int32_t>(camera->frameRates_.size());
    if (count == 0) return call.succeed(available);
    if (rates == nullptr) return call.fail(kErrorInvalidArgument);
    std::copy_n(camera->frameRates_.begin(), std::min<std::size_t>(count, camera->frameRates_.size()), rates);
    return call.succeed(available);
}

int32_t QorinStreamVideoControl(QorinHandle handle, uint32_t mode, QorinWindow window) {
    return applyToCamera(__func__, handle, {logNumber(mode), logPointer(window)}, [&](SimulatedCamera& camera) {
        const bool start = mode != QORIN_STREAM_STOP;
        // The stream's frames are numbered from its start; fast frames may still run on without it.
        if (start && !camera.streaming_) startClock(camera);
        if (!start && !camera.fastFrames_) stopClock(camera);
        camera.streaming_ = start;
    });
}

int32_t QorinCreateDisplayWindow(QorinHandle handle, const char* title, uint32_t style, int32_t x, int32_t y,
                                 int32_t width, int32_t height, QorinWindow parent, void* menu) {
    return applyToCamera(__func__, handle,
                         {logText(title), logNumber(style), logNumber(x), logNumber(y), logNumber(width),
                          logNumber(height), logPointer(parent), logPointer(menu)},
                         [&](SimulatedCamera& camera) {
                             camera.window_ = true;
                             camera.windowWidth_ = width;
                             camera.windowHeight_ = height;
                         });
}

int32_t QorinDestroyDisplayWindow(QorinHandle handle) {
    return applyToCamera(__func__, handle, {},
                         [&](SimulatedCamera& camera) {
                             camera.window_ = false;
                             camera.windowWidth_ = 0;
                             camera.windowHeight_ = 0;
                         });
}

int32_t QorinAdjustDisplayWindow(QorinHandle handle, const char* title, int32_t x, int32_t y, int32_t width,
                                 int32_t height) {
    return applyToCamera(__func__, handle,
                         {logText(title), logNumber(x), logNumber(y), logNumber(width), logNumber(height)},
                         [&](SimulatedCamera& camera) {
                             if (camera.window_) {
                                 camera.windowWidth_ = width;
                                 camera.windowHeight_ = height;
                             }
                         });
}

int32_t QorinDisplayPropertyPage(QorinHandle handle, QorinWindow parent) {
    return acknowledge(__func__, handle, {logPointer(parent)});
}

int32_t QorinDisplayVideoFormatPage(QorinHandle handle, QorinWindow parent) {
    return acknowledge(__func__, handle, {logPointer(parent)});
}

int32_t QorinGetStillImageFormat(QorinHandle handle, ImageFormat* format) {
    Call call(__func__, handle, {logEmpty()});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    return fillImageFormat(call, knownSnapshotFormat(*camera), format);
}

int32_t QorinGetVideoImageFormat(QorinHandle handle, ImageFormat* format) {
    Call call(__func__, handle, {logEmpty()});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    return fillImageFormat(call, camera->format_, format);
}

// Capture

int32_t QorinTakeVideo(QorinHandle handle, uint32_t frames, void* buffer) {
    Call call(__func__, handle, {logNumber(frames), logEmpty()});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    // The format the caller sized its buffer for, whatever happens while the call waits.
    const FrameFormat format = camera->format_;
    Geometry geometry;
    if (buffer == nullptr || !captureGeometry(format, geometry)) return call.fail(kErrorInvalidArgument);
    auto* out = static_cast<uint8_t*>(buffer);
    for (uint32_t k = 0; k < frames; ++k) {
        uint32_t error = 0;
        if (!awaitFrame(call, camera, error) ||
            !deliverPacedFrame(call, *camera, format, videoExposure(*camera), out + k * geometry.bytes(), error))
            return call.fail(error);
    }
    return call.ok();
}

int32_t QorinTakeSnapshot(QorinHandle handle, SnapshotSettings* settings, void* buffer) {
    const SnapshotSettings* table[] = {settings};
    Call call(__func__, handle, {logSettings(table, 1), logEmpty()});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (settings == nullptr) return call.fail(kErrorInvalidArgument);
    rememberSnapshotFormat(*camera, *settings);
    return capture(call, *camera, settings->format, snapshotExposure(*settings), buffer);
}

int32_t QorinEnableFastFrames(QorinHandle handle, SnapshotSettings* settings) {
    const SnapshotSettings* table[] = {settings};
    Call call(__func__, handle, {logSettings(table, 1)});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (settings == nullptr) return call.fail(kErrorInvalidArgument);
    camera->fastFrames_ = true;
    camera->fastSettings_ = *settings;
    startClock(*camera);
    rememberSnapshotFormat(*camera, *settings);
    return call.ok();
}

int32_t QorinTakeFastFrame(QorinHandle handle, void* buffer) {
    Call call(__func__, handle, {logEmpty()});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    const FrameFormat format = knownSnapshotFormat(*camera);
    Geometry geometry;
    if (buffer == nullptr || !captureGeometry(format, geometry)) return call.fail(kErrorInvalidArgument);
    uint32_t error = 0;
    if (!awaitFrame(call, camera, error)) return call.fail(error);
    const Exposure exposure = camera->fastFrames_ ? snapshotExposure(camera->fastSettings_) : videoExposure(*camera);
    if (!deliverPacedFrame(call, *camera, format, exposure, buffer, error)) return call.fail(error);
    return call.ok();
}

int32_t QorinDisableFastFrames(QorinHandle handle) {
    return applyToCamera(__func__, handle, {}, [&](SimulatedCamera& camera) {
        camera.fastFrames_ = false;
        if (!camera.streaming_) stopClock(camera);
    });
}

QorinSyncHandle QorinEnableSynchronousSnapshots(uint32_t count, QorinHandle* cameras, SnapshotSettings** settings) {
    LogValue handles = logEmpty();
    if (cameras != nullptr) {
        std::vector<double> numbers(count);
        for (uint32_t k = 0; k < count; ++k) numbers[k] = cameraOfHandle(cameras[k]);
        handles = logDoubles(std::move(numbers));
    }
    Call call(__func__,
              {logNumber(count), std::move(handles), logSettings(settings, settings == nullptr ? 0 : count)});
    if (call.injected()) return nullptr;
    if (count == 0 || cameras == nullptr || settings == nullptr) {
        call.fail(kErrorInvalidArgument);
        return nullptr;
    }
    SyncSession session;
    for (uint32_t k = 0; k < count; ++k) {
        SimulatedCamera* camera = openCamera(cameras[k]);
        if (camera == nullptr) {
            call.fail(kErrorInvalidHandle);
            return nullptr;
        }
        if (settings[k] == nullptr) {
            call.fail(kErrorInvalidArgument);
            return nullptr;
        }
        session.cameras_.push_back(cameraOfHandle(cameras[k]));
        // Copied: the caller's records need not outlive this call.
        session.settings_.push_back(*settings[k]);
    }
    for (uint32_t k = 0; k < count; ++k) rememberSnapshotFormat(*openCamera(cameras[k]), *settings[k]);
    uintptr_t token = issueSessionToken();
    state().syncSessions_[token] = std::move(session);
    return call.succeed(reinterpret_cast<QorinSyncHandle>(token));
}

int32_t QorinTakeSynchronousSnapshots(QorinSyncHandle sync, void** buffers) {
    Call call(__func__, {logEmpty()});
    if (call.injected()) return 0;
    auto it = state().syncSessions_.find(reinterpret_cast<uintptr_t>(sync));
    if (it == state().syncSessions_.end()) return call.fail(kErrorInvalidHandle);
    if (buffers == nullptr) return call.fail(kErrorInvalidArgument);
    const SyncSession& session = it->second;
    for (std::size_t k = 0; k < session.cameras_.size(); ++k) {
        SimulatedCamera& camera = *qorinsim::camera(session.cameras_[k]);
        if (!camera.open_) return call.fail(kErrorInvalidHandle);
        uint32_t error = 0;
        const SnapshotSettings& settings = session.settings_[k];
        if (!deliverFrame(camera, settings.format, snapshotExposure(settings), buffers[k], error))
            return call.fail(error);
    }
    return call.ok();
}

int32_t QorinDisableSynchronousSnapshots(QorinSyncHandle sync) {
    Call call(__func__, {});
    if (call.injected()) return 0;
    if (state().syncSessions_.erase(reinterpret_cast<uintptr_t>(sync)) == 0) return call.fail(kErrorInvalidHandle);
    return call.ok();
}

int32_t QorinSaveImageEx(QorinHandle handle, uint32_t columns, uint32_t rows, uint32_t pixelFormat,
                         const void* data, const char* fileName) {
    Call call(__func__, handle,
              {logNumber(columns), logNumber(rows), logNumber(pixelFormat), logImage(data, columns, rows, pixelFormat),
               logText(fileName)});
    if (call.begin() == nullptr) return 0;
    uint32_t error = 0;
    if (!writePnm(fileName, columns, rows, pixelFormat, data, error)) return call.fail(error);
    return call.ok();
}

// Conversion

int32_t QorinConvertFrameToRgb24(QorinHandle handle, void* destination, const void* source, uint32_t columns,
                                 uint32_t rows, uint32_t pixelFormat, ConversionParams* params) {
    return convert(__func__, Conversion::kRgb24, handle, destination, source, columns, rows, pixelFormat, params);
}

int32_t QorinConvertFrameToRgb48(QorinHandle handle, void* destination, const void* source, uint32_t columns,
                                 uint32_t rows, uint32_t pixelFormat, ConversionParams* params) {
    return convert(__func__, Conversion::kRgb48, handle, destination, source, columns, rows, pixelFormat, params);
}

int32_t QorinConvertFrameToGreyscale8(QorinHandle handle, void* destination, const void* source, uint32_t columns,
                                      uint32_t rows, uint32_t pixelFormat, ConversionParams* params) {
    return convert(__func__, Conversion::kGrey8, handle, destination, source, columns, rows, pixelFormat, params);
}

int32_t QorinConvertFrameToGreyscale16(QorinHandle handle, void* destination, const void* source, uint32_t columns,
                                       uint32_t rows, uint32_t pixelFormat, ConversionParams* params) {
    return convert(__func__, Conversion::kGrey16, handle, destination, source, columns, rows, pixelFormat, params);
}

// Properties

int32_t QorinGetProperty(QorinHandle handle, uint32_t property, float* value, uint32_t* flags) {
    Call call(__func__, handle, {logNumber(property), logEmpty(), logEmpty()});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (value == nullptr || flags == nullptr) return call.fail(kErrorInvalidArgument);
    auto it = camera->properties_.find(property);
    // A property the camera has no entry for reads as zero, like an unused control.
    *value = it == camera->properties_.end() ? 0.0f : it->second.value_;
    *flags = it == camera->properties_.end() ? 0u : it->second.flags_;
    return call.ok();
}

int32_t QorinSetProperty(QorinHandle handle, uint32_t property, float value, uint32_t flags) {
    Call call(__func__, handle, {logNumber(property), logNumber(value), logNumber(flags)});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    Property& entry = camera->properties_[property];
    if (entry.hasRange_ && !(value >= entry.minimum_ && value <= entry.maximum_))
        return call.fail(kErrorInvalidArgument);
    entry.value_ = value;
    entry.flags_ = flags;
    return call.ok();
}

int32_t QorinPropertyRange(QorinHandle handle, uint32_t property, float* minimum, float* maximum, uint32_t* steps,
                           uint32_t* flags) {
    Call call(__func__, handle, {logNumber(property), logEmpty(), logEmpty(), logEmpty(), logEmpty()});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (minimum == nullptr || maximum == nullptr || steps == nullptr || flags == nullptr)
        return call.fail(kErrorInvalidArgument);
    Property entry;
    auto it = camera->properties_.find(property);
    if (it != camera->properties_.end()) entry = it->second;
    // Without a range a property spans just its current value.
    *minimum = entry.hasRange_ ? entry.minimum_ : entry.value_;
    *maximum = entry.hasRange_ ? entry.maximum_ : entry.value_;
    *steps = entry.hasRange_ ? entry.steps_ : 0u;
    *flags = entry.flags_;
    return call.ok();
}
