// sim_internal.h - state, call recording and frame services shared by the simulator's SDK entry points.
#pragma once

#include "sim/sim_control.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

namespace qorinsim {

struct SyncSession {
    std::vector<int> cameras_;
    std::vector<SnapshotSettings> settings_;
};

struct Simulator {
    std::array<SimulatedCamera, kMaxCameras> cameras_;
    int attached_ = 1;
    int32_t interfaceSelector_ = 0;
    std::map<uintptr_t, SyncSession> syncSessions_;
    // Captures waiting for a frame wait on this (with mutex()); a close or a reset wakes them.
    std::condition_variable_any wake_;
};

// The whole simulator; use it only while holding mutex().
Simulator& state();
// The calling thread's last error, as QorinGetLastError reports it.
uint32_t& lastError();
// A fresh camera n with every default.
SimulatedCamera defaultCamera(int number);
// Opaque tokens standing for handles: never dereferenced, only looked up.
uintptr_t issueToken(int number);
uintptr_t issueSessionToken();
uintptr_t issueRegistrationToken(int number);
SimulatedCamera* openCamera(const void* handle);

// Values for the call log.
LogValue logEmpty();
LogValue logNumber(double value);
LogValue logPointer(const void* pointer);  // null as [], else the signed pointer value
LogValue logBytes(const void* data, std::size_t count);
LogValue logFloats(const float* data, std::size_t count);
LogValue logDoubles(std::vector<double> values);
LogValue logText(const char* text);
LogValue logFormat(const FrameFormat* format);
LogValue logSettings(const SnapshotSettings* const* settings, std::size_t count);
LogValue logParams(const ConversionParams* params);
// Frames and images the caller hands in, as their bytes; [] for null or where the size cannot
// be known (zero binning, a pixel format QorinSaveImageEx does not save).
LogValue logFrame(const void* frame, const FrameFormat& format);
LogValue logFrame(const void* frame, uint32_t columns, uint32_t rows, uint32_t pixelFormat);
LogValue logImage(const void* image, uint32_t columns, uint32_t rows, uint32_t pixelFormat);

// One SDK call: takes the simulator's lock and logs the call on construction, then applies
// injected faults and handle checks.  The lock is held until the call returns, except where
// the call gives it up itself to wait or to draw a frame.
class Call {
public:
    Call(const char* name, const void* handle, std::vector<LogValue> args);  // per-camera call
    Call(const char* name, std::vector<LogValue> args);                      // call without a handle

    // True when an injected fault makes this call fail; the last error is set.
    bool injected();
    // The open camera of the handle, or nullptr when a fault fires or the handle is not
    // an open camera (last error set in both cases).
    SimulatedCamera* begin();
    int32_t fail(uint32_t error);
    int32_t ok() { return succeed<int32_t>(1); }
    std::unique_lock<std::recursive_mutex>& lock() { return lock_; }
    const void* handle() const { return handle_; }
    template <typename T>
    T succeed(T value) {
        countSuccess();
        return value;
    }

private:
    void countSuccess();

    std::unique_lock<std::recursive_mutex> lock_;  // first, so it is taken before anything else
    const char* name_;
    const void* handle_;
};

// A call that needs an open camera and cannot fail otherwise: logged, checked for faults and
// the handle, then `change` is applied to the camera.
template <typename Change>
int32_t applyToCamera(const char* name, const void* handle, std::vector<LogValue> args, Change change) {
    Call call(name, handle, std::move(args));
    SimulatedCamera* camera = call.begin();
    if (camera == nullptr) return 0;
    change(*camera);
    return call.ok();
}

// A call that only needs an open camera: the simulated camera has nothing to do.
inline int32_t acknowledge(const char* name, const void* handle, std::vector<LogValue> args) {
    return applyToCamera(name, handle, std::move(args), [](SimulatedCamera&) {});
}

// Frames and conversions.
struct Geometry {
    uint64_t columns_ = 0;
    uint64_t rows_ = 0;
    uint32_t sampleBytes_ = 1;
    uint64_t bytes() const { return columns_ * rows_ * sampleBytes_; }
};
// False for a zero binning factor.
bool captureGeometry(const FrameFormat& format, Geometry& geometry);

// The light a capture is taken with: video uses the live exposure and gain properties,
// still captures the values of their SnapshotSettings.
struct Exposure {
    float exposure = kReferenceExposure;
    float gain = kReferenceGain;
};
Exposure videoExposure(const SimulatedCamera& camera);
Exposure snapshotExposure(const SnapshotSettings& settings);

// How the chart is drawn: its brightness relative to the reference exposure and gain,
// and the standard deviation of the noise in 8-bit levels (0: none).
struct ChartLight {
    double brightness = 1.0;
    double noise = 0.0;
};
ChartLight chartLight(const SimulatedCamera& camera, const Exposure& exposure);

// A frame taken from the camera's state, to be drawn into the caller's buffer without the lock.
struct FramePlan {
    bool chart_ = false;  // false: nothing left to draw (an explicit frame is copied at once)
    Geometry geometry_;
    bool colour_ = false;
    uint64_t counter_ = 0;
    ChartLight light_;
    uint8_t* buffer_ = nullptr;
};
// Takes the camera's next frame: copies an explicit frame into buffer, or plans the chart;
// false (with the error) when it cannot.  Every frame taken advances the frame counter and
// the sensor temperature.
bool takeFrame(SimulatedCamera& camera, const FrameFormat& format, const Exposure& exposure, void* buffer,
               uint32_t& error, FramePlan& plan);
void drawFrame(const FramePlan& plan);
// takeFrame and drawFrame at once, under the lock.
bool deliverFrame(SimulatedCamera& camera, const FrameFormat& format, const Exposure& exposure, void* buffer,
                  uint32_t& error);
void renderChart(const Geometry& geometry, bool colour, uint64_t counter, const ChartLight& light, uint8_t* buffer);
// One frame's step of the sensor temperature toward the cooling target, or back toward the
// ambient temperature when cooling is off.
void stepTemperature(SimulatedCamera& camera);

enum class Conversion { kRgb24, kRgb48, kGrey8, kGrey16 };
bool convertFrame(Conversion conversion, bool colour, void* destination, const void* source, uint32_t columns,
                  uint32_t rows, uint32_t pixelFormat);
// Bytes of an image QorinSaveImageEx takes; false for a pixel format it does not save.
bool imageBytes(uint32_t columns, uint32_t rows, uint32_t pixelFormat, uint64_t& bytes);
// Binary PNM writer; error set on failure.
bool writePnm(const char* fileName, uint32_t columns, uint32_t rows, uint32_t pixelFormat, const void* data,
              uint32_t& error);

bool isColour(const SimulatedCamera& camera);

// Pacing of video and fast frames (sim_pacing.cpp).
// Starts the camera's clock now: the next frame index is produced at once.
void startClock(SimulatedCamera& camera);
void stopClock(SimulatedCamera& camera);
// Waits until the next video or fast frame of the call's camera may be delivered, releasing the
// lock meanwhile, and moves the camera's frame counter past the frames lost on the way.  On
// return camera is the call's open camera again; false with the error when the camera was closed
// meanwhile (invalid handle) or no frame came within the video timeout.
bool awaitFrame(Call& call, SimulatedCamera*& camera, uint32_t& error);
// Takes the next frame for awaitFrame's caller and draws it without the lock.
bool deliverPacedFrame(Call& call, SimulatedCamera& camera, const FrameFormat& format, const Exposure& exposure,
                       void* buffer, uint32_t& error);

}  // namespace qorinsim
