// sim_calllog.cpp - the call log and the fault queue every simulated SDK call goes through.
#include "sim/sim_internal.h"

#include <cstring>
#include <set>

namespace qorinsim {
namespace {

struct Fault {
    uint32_t error_ = 0;
    uint32_t count_ = 0;
    uint32_t skip_ = 0;
};

// Never destroyed: a host may still call the SDK from its own exit hooks after this
// library's static destructors would have run.
std::deque<CallRecord>& callLog() {
    static auto* log = new std::deque<CallRecord>;
    return *log;
}

std::map<std::string, Fault>& faults() {
    static auto* table = new std::map<std::string, Fault>;
    return *table;
}

const std::set<std::string>& sdkFunctions() {
    static const std::set<std::string> names = {
        "QorinNumCameras", "QorinCameraOpen", "QorinCameraClose", "QorinCameraReset",
        "QorinGetFormat", "QorinSetFormat", "QorinEnumAvailableFrameRates", "QorinStreamVideoControl",
        "QorinCreateDisplayWindow", "QorinDestroyDisplayWindow", "QorinAdjustDisplayWindow",
        "QorinDisplayPropertyPage", "QorinDisplayVideoFormatPage", "QorinGetStillImageFormat",
        "QorinGetVideoImageFormat", "QorinTakeVideo", "QorinTakeSnapshot", "QorinEnableFastFrames",
        "QorinTakeFastFrame", "QorinDisableFastFrames", "QorinEnableSynchronousSnapshots",
        "QorinTakeSynchronousSnapshots", "QorinDisableSynchronousSnapshots", "QorinSaveImageEx",
        "QorinConvertFrameToRgb24", "QorinConvertFrameToRgb48", "QorinConvertFrameToGreyscale8",
        "QorinConvertFrameToGreyscale16", "QorinGetProperty", "QorinSetProperty", "QorinPropertyRange",
        "QorinOneShotAutoExposure", "QorinOneShotAutoIris", "QorinOneShotAutoWhiteBalance",
        "QorinOneShotAutoWhiteBalanceEx", "QorinDigitalWhiteBalance", "QorinDigitalWhiteBalanceEx",
        "QorinAdjustWhiteBalanceFromSnapshot", "QorinAutoRoiGet", "QorinAutoRoiSet", "QorinInitAutoLens",
        "QorinAutoFocusStart", "QorinAutoFocusWait", "QorinAutoFocusStop", "QorinAutoFocusQueryProgress",
        "QorinSetup8bitsLUT", "QorinSetup8bitsColorLUT", "QorinSetupCustomMatrix", "QorinGetCurrentMatrix",
        "QorinGpioRead", "QorinGpioWrite", "QorinGpoSelect", "QorinGpioConfigure", "QorinSetTimeout",
        "QorinRegisterEventNotification", "QorinUnregisterEventNotification", "QorinPermanentBufferRead",
        "QorinPermanentBufferWrite", "QorinQueryVersion", "QorinQueryExternInterface",
        "QorinSelectExternInterface", "QorinGetCameraId", "QorinGetTruePixelDepth",
        "QorinGetHardwareRevision", "QorinGetLastError"};
    return names;
}

void record(const char* name, int camera, std::vector<LogValue> args) {
    auto& log = callLog();
    if (log.size() >= kCallLogLimit) log.pop_front();
    log.push_back(CallRecord{name, camera, std::move(args)});
}

}  // namespace

// Log values

LogValue logEmpty() { return LogValue{}; }

LogValue logNumber(double value) {
    LogValue v;
    v.kind_ = LogValue::Kind::kNumber;
    v.number_ = value;
    return v;
}

LogValue logPointer(const void* pointer) {
    if (pointer == nullptr) return logEmpty();
    return logNumber(static_cast<double>(reinterpret_cast<intptr_t>(pointer)));
}

LogValue logBytes(const void* data, std::size_t count) {
    LogValue v;
    if (data == nullptr) return v;
    v.kind_ = LogValue::Kind::kBytes;
    const auto* bytes = static_cast<const uint8_t*>(data);
    v.bytes_.assign(bytes, bytes + count);
    return v;
}

LogValue logFloats(const float* data, std::size_t count) {
    if (data == nullptr) return logEmpty();
    return logDoubles(std::vector<double>(data, data + count));
}

LogValue logDoubles(std::vector<double> values) {
    LogValue v;
    v.kind_ = LogValue::Kind::kDoubles;
    v.doubles_ = std::move(values);
    return v;
}

LogValue logText(const char* text) {
    LogValue v;
    if (text == nullptr) return v;
    v.kind_ = LogValue::Kind::kText;
    v.bytes_.assign(text, text + std::strlen(text));
    return v;
}

LogValue logFormat(const FrameFormat* format) {
    LogValue v = logBytes(format, sizeof(FrameFormat));
    if (format != nullptr) v.kind_ = LogValue::Kind::kFrameFormat;
    return v;
}

LogValue logSettings(const SnapshotSettings* const* settings, std::size_t count) {
    LogValue v;
    if (settings == nullptr || count == 0) return v;
    v.kind_ = LogValue::Kind::kSettings;
    v.bytes_.resize(count * sizeof(SnapshotSettings));
    for (std::size_t k = 0; k < count; ++k) {
        // A null entry of a table is shown as zeros rather than dropped, so indices still line up.
        if (settings[k] != nullptr)
            std::memcpy(v.bytes_.data() + k * sizeof(SnapshotSettings), settings[k], sizeof(SnapshotSettings));
    }
    return v;
}

LogValue logParams(const ConversionParams* params) {
    LogValue v = logBytes(params, sizeof(ConversionParams));
    if (params != nullptr) v.kind_ = LogValue::Kind::kParams;
    return v;
}

// Calls

Call::Call(const char* name, const void* handle, std::vector<LogValue> args) : name_(name), handle_(handle) {
    record(name, cameraOfHandle(handle), std::move(args));
}

Call::Call(const char* name, std::vector<LogValue> args) : name_(name), handle_(nullptr) {
    record(name, 0, std::move(args));
}

bool Call::injected() {
    auto it = faults().find(name_);
    if (it == faults().end() || it->second.skip_ > 0 || it->second.count_ == 0) return false;
    state().lastError_ = it->second.error_;
    if (--it->second.count_ == 0) faults().erase(it);
    return true;
}

CameraState* Call::begin() {
    if (injected()) return nullptr;
    CameraState* camera = openCamera(handle_);
    if (camera == nullptr) state().lastError_ = kErrorInvalidHandle;
    return camera;
}

int32_t Call::fail(uint32_t error) {
    state().lastError_ = error;
    return 0;
}

void Call::countSuccess() {
    auto it = faults().find(name_);
    if (it != faults().end() && it->second.skip_ > 0) --it->second.skip_;
}

// Control API

bool isSdkFunction(const std::string& name) { return sdkFunctions().count(name) != 0; }

bool failCalls(const std::string& name, uint32_t error, uint32_t count, uint32_t skip) {
    if (name.empty()) {
        faults().clear();
        return true;
    }
    // Failing the error query itself would leave nothing to report the failure with.
    if (!isSdkFunction(name) || name == "QorinGetLastError") return false;
    if (count == 0) {
        faults().erase(name);
        return true;
    }
    faults()[name] = Fault{error, count, skip};
    return true;
}

const std::deque<CallRecord>& calls() { return callLog(); }

void clearCalls() { callLog().clear(); }

const std::vector<std::string>& frameFormatFields() {
    static const std::vector<std::string> names = {"xOffset", "yOffset", "width",   "height", "pixelFormat",
                                                   "xBinSub", "xFlags",  "yBinSub", "yFlags"};
    return names;
}

const std::vector<std::string>& settingsFields() {
    static const std::vector<std::string> names = {"exposure", "gain",        "redGain", "blueGain",
                                                   "green1Gain", "green2Gain", "strobe",  "strobeDelay",
                                                   "trigger",  "timeout",     "format",  "shutterType"};
    return names;
}

}  // namespace qorinsim
