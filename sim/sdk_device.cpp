// sdk_device.cpp - simulated SDK entry points for automatic adjustment, lens, colour processing and device control.
#include "sim/sim_internal.h"

#include <algorithm>

using namespace qorinsim;

namespace {

template <typename T>
int32_t report(const char* name, QorinHandle handle, T* out, T SimulatedCamera::*field) {
    Call call(name, handle, {logEmpty()});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (out == nullptr) return call.fail(kErrorInvalidArgument);
    *out = camera->*field;
    return call.ok();
}

// The adjustments' arguments as logged: what comes before the region, then its four numbers.
std::vector<LogValue> withRegion(std::vector<LogValue> before, int32_t a, int32_t b, int32_t c, int32_t d) {
    for (int32_t corner : {a, b, c, d}) before.push_back(logNumber(corner));
    return before;
}

}  // namespace

// Automatic adjustment

int32_t QorinOneShotAutoExposure(QorinHandle handle, uint8_t target, int32_t a, int32_t b, int32_t c, int32_t d) {
    return acknowledge(__func__, handle, withRegion({logNumber(target)}, a, b, c, d));
}

int32_t QorinOneShotAutoIris(QorinHandle handle, uint8_t target, int32_t a, int32_t b, int32_t c, int32_t d) {
    return acknowledge(__func__, handle, withRegion({logNumber(target)}, a, b, c, d));
}

int32_t QorinOneShotAutoWhiteBalance(QorinHandle handle, int32_t a, int32_t b, int32_t c, int32_t d) {
    return acknowledge(__func__, handle, withRegion({}, a, b, c, d));
}

int32_t QorinOneShotAutoWhiteBalanceEx(QorinHandle handle, float first, float second, int32_t a, int32_t b, int32_t c,
                                       int32_t d) {
    return acknowledge(__func__, handle, withRegion({logNumber(first), logNumber(second)}, a, b, c, d));
}

int32_t QorinDigitalWhiteBalance(QorinHandle handle, int32_t a, int32_t b, int32_t c, int32_t d) {
    return acknowledge(__func__, handle, withRegion({}, a, b, c, d));
}

int32_t QorinDigitalWhiteBalanceEx(QorinHandle handle, float first, float second, int32_t a, int32_t b, int32_t c,
                                   int32_t d) {
    return acknowledge(__func__, handle, withRegion({logNumber(first), logNumber(second)}, a, b, c, d));
}

int32_t QorinAdjustWhiteBalanceFromSnapshot(QorinHandle handle, SnapshotSettings* settings, void* rawFrame,
                                            float first, float second, int32_t a, int32_t b, int32_t c, int32_t d) {
    const SnapshotSettings* table[] = {settings};
    // The raw frame is logged as handed over, holding the caller's snapshot, before the SDK
    // takes its own into it below.
    Call call(__func__, handle,
              withRegion({logSettings(table, 1),
                          settings == nullptr ? logEmpty() : logFrame(rawFrame, settings->format), logNumber(first),
                          logNumber(second)},
                         a, b, c, d));
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (settings == nullptr) return call.fail(kErrorInvalidArgument);
    camera->hasSnapshotFormat_ = true;
    camera->snapshotFormat_ = settings->format;
    // The SDK takes the snapshot it balances from into the caller's buffer.
    uint32_t error = 0;
    if (!deliverFrame(*camera, settings->format, snapshotExposure(*settings), rawFrame, error))
        return call.fail(error);
    return call.ok();
}

int32_t QorinAutoRoiGet(QorinHandle handle, int32_t* a, int32_t* b, int32_t* c, int32_t* d) {
    Call call(__func__, handle, {logEmpty(), logEmpty(), logEmpty(), logEmpty()});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (a == nullptr || b == nullptr || c == nullptr || d == nullptr) return call.fail(kErrorInvalidArgument);
    *a = camera->roi_[0];
    *b = camera->roi_[1];
    *c = camera->roi_[2];
    *d = camera->roi_[3];
    return call.ok();
}

int32_t QorinAutoRoiSet(QorinHandle handle, int32_t a, int32_t b, int32_t c, int32_t d) {
    return applyToCamera(__func__, handle, withRegion({}, a, b, c, d),
                         [&](SimulatedCamera& camera) { camera.roi_ = {a, b, c, d}; });
}

// Lens

int32_t QorinInitAutoLens(QorinHandle handle, int32_t flag) {
    return applyToCamera(__func__, handle, {logNumber(flag)},
                         [&](SimulatedCamera& camera) { camera.lensInitialised_ = flag != 0; });
}

int32_t QorinAutoFocusStart(QorinHandle handle, int32_t a, int32_t b, int32_t c, int32_t d, float e, float f, float g,
                            intptr_t h, intptr_t i) {
    return applyToCamera(__func__, handle,
                         {logNumber(a), logNumber(b), logNumber(c), logNumber(d), logNumber(e), logNumber(f),
                          logNumber(g), logNumber(static_cast<double>(h)), logNumber(static_cast<double>(i))},
                         [&](SimulatedCamera& camera) { camera.focusing_ = true; });
}

int32_t QorinAutoFocusWait(QorinHandle handle, uint32_t timeLimit) {
    return applyToCamera(__func__, handle, {logNumber(timeLimit)},
                         [&](SimulatedCamera& camera) { camera.focusing_ = false; });
}

int32_t QorinAutoFocusStop(QorinHandle handle) {
    return applyToCamera(__func__, handle, {}, [&](SimulatedCamera& camera) { camera.focusing_ = false; });
}

int32_t QorinAutoFocusQueryProgress(QorinHandle handle, float* progress) {
    return report(__func__, handle, progress, &SimulatedCamera::progress_);
}

// Colour processing

int32_t QorinSetup8bitsLUT(QorinHandle handle, const uint8_t* table, uint32_t length) {
    Call call(__func__, handle, {logBytes(table, length), logNumber(length)});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (table == nullptr && length > 0) return call.fail(kErrorInvalidArgument);
    camera->lut_.assign(table, table + length);
    camera->lutColour_ = false;
    camera->lutFlags_ = {0, 0, 0, 0};
    return call.ok();
}

int32_t QorinSetup8bitsColorLUT(QorinHandle handle, const uint8_t* table, uint32_t length, int32_t flag1,
                                int32_t flag2, int32_t flag3, int32_t flag4) {
    Call call(__func__, handle,
              {logBytes(table, length), logNumber(length), logNumber(flag1), logNumber(flag2), logNumber(flag3),
               logNumber(flag4)});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (table == nullptr && length > 0) return call.fail(kErrorInvalidArgument);
    camera->lut_.assign(table, table + length);
    camera->lutColour_ = true;
    camera->lutFlags_ = {flag1, flag2, flag3, flag4};
    return call.ok();
}

int32_t QorinSetupCustomMatrix(QorinHandle handle, const float* matrix) {
    Call call(__func__, handle, {logFloats(matrix, 9)});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (matrix == nullptr) return call.fail(kErrorInvalidArgument);
    std::copy_n(matrix, 9, camera->matrix_.begin());
    return call.ok();
}

int32_t QorinGetCurrentMatrix(QorinHandle handle, float* matrix) {
    Call call(__func__, handle, {logEmpty()});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (matrix == nullptr) return call.fail(kErrorInvalidArgument);
    std::copy(camera->matrix_.begin(), camera->matrix_.end(), matrix);
    return call.ok();
}

// Device

int32_t QorinGpioRead(QorinHandle handle, uint8_t* first, uint8_t* second) {
    Call call(__func__, handle, {logEmpty(), logEmpty()});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (first == nullptr || second == nullptr) return call.fail(kErrorInvalidArgument);
    *first = camera->gpio_[0];
    *second = camera->gpio_[1];
    return call.ok();
}

int32_t QorinGpioWrite(QorinHandle handle, uint8_t value) {
    return applyToCamera(__func__, handle, {logNumber(value)}, [&](SimulatedCamera& camera) { camera.gpo_ = value; });
}

int32_t QorinGpoSelect(QorinHandle handle, uint8_t value) {
    return applyToCamera(__func__, handle, {logNumber(value)},
                         [&](SimulatedCamera& camera) { camera.gpoSelect_ = value; });
}

int32_t QorinGpioConfigure(QorinHandle handle, uint8_t value) {
    return applyToCamera(__func__, handle, {logNumber(value)},
                         [&](SimulatedCamera& camera) { camera.gpioConfig_ = value; });
}

int32_t QorinSetTimeout(QorinHandle handle, int32_t snapshotFlag, float timeout) {
    return applyToCamera(__func__, handle, {logNumber(snapshotFlag), logNumber(timeout)},
                         [&](SimulatedCamera& camera) {
                             (snapshotFlag != 0 ? camera.snapshotTimeout_ : camera.videoTimeout_) = timeout;
                         });
}

QorinEventRegistration QorinRegisterEventNotification(QorinHandle handle, int32_t kind, QorinEvent event) {
    Call call(__func__, handle, {logNumber(kind), logPointer(event)});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return nullptr;
    // Nothing could ever be signalled through a missing event object.
    if (event == nullptr) {
        call.fail(kErrorInvalidArgument);
        return nullptr;
    }
    uintptr_t token = issueRegistrationToken(cameraOfHandle(handle));
    camera->registrations_.push_back(token);
    return call.succeed(reinterpret_cast<QorinEventRegistration>(token));
}

int32_t QorinUnregisterEventNotification(QorinHandle handle, QorinEventRegistration registration) {
    Call call(__func__, handle, {logPointer(registration)});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    auto& list = camera->registrations_;
    auto it = std::find(list.begin(), list.end(), reinterpret_cast<uintptr_t>(registration));
    if (it == list.end()) return call.fail(kErrorInvalidHandle);
    list.erase(it);
    return call.ok();
}

int32_t QorinPermanentBufferRead(QorinHandle handle, uint8_t* buffer, uint32_t offset, uint32_t count) {
    Call call(__func__, handle, {logEmpty(), logNumber(offset), logNumber(count)});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (buffer == nullptr) return call.fail(kErrorInvalidArgument);
    if (uint64_t{offset} + count > camera->permanentBuffer_.size()) return call.fail(kErrorOutOfRange);
    std::copy_n(camera->permanentBuffer_.begin() + offset, count, buffer);
    return call.ok();
}

int32_t QorinPermanentBufferWrite(QorinHandle handle, const uint8_t* buffer, uint32_t offset, uint32_t length) {
    Call call(__func__, handle, {logBytes(buffer, length), logNumber(offset), logNumber(length)});
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    if (buffer == nullptr) return call.fail(kErrorInvalidArgument);
    if (uint64_t{offset} + length > camera->permanentBuffer_.size()) return call.fail(kErrorOutOfRange);
    std::copy_n(buffer, length, camera->permanentBuffer_.begin() + offset);
    return call.ok();
}

int32_t QorinQueryVersion(QorinHandle handle, VersionInfo* version) {
    return report(__func__, handle, version, &SimulatedCamera::version_);
}

int32_t QorinQueryExternInterface(QorinHandle handle, uint32_t* interfaceCode) {
    return report(__func__, handle, interfaceCode, &SimulatedCamera::interfaceCode_);
}

int32_t QorinSelectExternInterface(int32_t selector) {
    Call call(__func__, {logNumber(selector)});
    if (call.injected()) return 0;
    state().interfaceSelector_ = selector;
    return call.ok();
}

int32_t QorinGetCameraId(QorinHandle handle, uint32_t* id) {
    return report(__func__, handle, id, &SimulatedCamera::cameraId_);
}

int32_t QorinGetTruePixelDepth(QorinHandle handle, uint32_t* depth) {
    return report(__func__, handle, depth, &SimulatedCamera::pixelDepth_);
}

int32_t QorinGetHardwareRevision(QorinHandle handle, uint32_t* revision) {
    return report(__func__, handle, revision, &SimulatedCamera::hwRevision_);
}
