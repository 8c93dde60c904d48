// sim_calllog.cpp - the call log and the fault queue every simulated SDK call goes through.
#include "sim/sim_internal.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <type_traits>

#include "sim/sdk_functions.h"

namespace qorinsim {
namespace {

struct Fault {
    uint32_t error_ = 0;
    uint32_t count_ = 0;
    uint32_t skip_ = 0;
};

struct CallLog {
    std::deque<CallRecord> records_;
    std::size_t bytes_ = 0;  // of the buffers the records hold
};

// Never destroyed: a host may still call the SDK from its own exit hooks after this
// library's static destructors would have run.
CallLog& callLog() {
    static auto* log = new CallLog;
    return *log;
}

std::size_t bufferBytes(const CallRecord& call) {
    std::size_t bytes = 0;
    for (const LogValue& value : call.args_) bytes += value.bytes_.size() + value.doubles_.size() * sizeof(double);
    return bytes;
}

std::map<std::string, Fault>& faults() {
    static auto* table = new std::map<std::string, Fault>;
    return *table;
}

// Each name of the list is a function the binding declares.
#define QORINSIM_DECLARED(function) \
    static_assert(std::is_function_v<decltype(::function)>, #function " is not an SDK function");
QORINSIM_SDK_FUNCTIONS(QORINSIM_DECLARED)
#undef QORINSIM_DECLARED

// Position of an SDK function in kSdkFunctions; kSdkFunctionCount for any other name.
std::size_t sdkFunctionIndex(const std::string& name) {
    return static_cast<std::size_t>(std::find(std::begin(kSdkFunctions), std::end(kSdkFunctions), name) -
                                    std::begin(kSdkFunctions));
}

void record(const char* name, int camera, std::vector<LogValue> args) {
    CallLog& log = callLog();
    log.records_.push_back(CallRecord{name, camera, std::move(args)});
    log.bytes_ += bufferBytes(log.records_.back());
    // The newest call stays, however large its buffers.
    while (log.records_.size() > kCallLogLimit || (log.bytes_ > kCallLogByteLimit && log.records_.size() > 1)) {
        log.bytes_ -= bufferBytes(log.records_.front());
        log.records_.pop_front();
    }
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

LogValue logFrame(const void* frame, const FrameFormat& format) {
    Geometry geometry;
    if (!captureGeometry(format, geometry)) return logEmpty();
    return logBytes(frame, geometry.bytes());
}

LogValue logFrame(const void* frame, uint32_t columns, uint32_t rows, uint32_t pixelFormat) {
    FrameFormat format{};
    format.width = columns;
    format.height = rows;
    format.pixelFormat = pixelFormat;
    format.xBinSub = 1;
    format.yBinSub = 1;
    return logFrame(frame, format);
}

LogValue logImage(const void* image, uint32_t columns, uint32_t rows, uint32_t pixelFormat) {
    uint64_t bytes = 0;
    return imageBytes(columns, rows, pixelFormat, bytes) ? logBytes(image, bytes) : logEmpty();
}

// Calls

uint32_t& lastError() {
    // Per thread, as the system's own last error is: a worker's failure does not overwrite what
    // another thread is about to read.
    static thread_local uint32_t error = 0;
    return error;
}

Call::Call(const char* name, const void* handle, std::vector<LogValue> args)
    : lock_(mutex()), name_(name), handle_(handle) {
    record(name, cameraOfHandle(handle), std::move(args));
}

Call::Call(const char* name, std::vector<LogValue> args) : lock_(mutex()), name_(name), handle_(nullptr) {
    record(name, 0, std::move(args));
}

bool Call::injected() {
    auto it = faults().find(name_);
    if (it == faults().end() || it->second.skip_ > 0 || it->second.count_ == 0) return false;
    lastError() = it->second.error_;
    if (--it->second.count_ == 0) faults().erase(it);
    return true;
}

SimulatedCamera* Call::begin() {
    if (injected()) return nullptr;
    SimulatedCamera* camera = openCamera(handle_);
    if (camera == nullptr) lastError() = kErrorInvalidHandle;
    return camera;
}

int32_t Call::fail(uint32_t error) {
    lastError() = error;
    return 0;
}

void Call::countSuccess() {
    auto it = faults().find(name_);
    if (it != faults().end() && it->second.skip_ > 0) --it->second.skip_;
}

// Control API

bool isSdkFunction(const std::string& name) { return sdkFunctionIndex(name) < kSdkFunctionCount; }

bool failCalls(const std::string& name, uint32_t error, uint32_t count, uint32_t skip) {
    std::lock_guard<std::recursive_mutex> lock(mutex());
    if (name.empty()) {
        faults().clear();
        return true;
    }
    if (sdkFunctionIndex(name) >= kFailableSdkFunctionCount) return false;  // QorinGetLastError, or no SDK function
    if (count == 0) {
        faults().erase(name);
        return true;
    }
    faults()[name] = Fault{error, count, skip};
    return true;
}

const std::deque<CallRecord>& calls() {
    std::lock_guard<std::recursive_mutex> lock(mutex());
    return callLog().records_;
}

void clearCalls() {
    std::lock_guard<std::recursive_mutex> lock(mutex());
    callLog().records_.clear();
    callLog().bytes_ = 0;
}

}  // namespace qorinsim
