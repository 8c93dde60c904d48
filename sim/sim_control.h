// sim_control.h - control API of the simulated camera SDK, used by the qorinsim MEX and the unit tests.
#pragma once

#include "sdk/qorinapi.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// The control API is for the qorinsim MEX and the tests.  A Windows build of the library
// (qorinapi.dll) exports only the SDK unless built with QORINSIM_EXPORT_CONTROLS, as the
// simulator for qorinsim.mexw64 is; the controls are C++ and need the same compiler on both sides.
#if defined(_WIN32) && defined(QORINSIM_EXPORT_CONTROLS) && defined(QORIN_BUILDING_SDK)
#  define QORINSIM_API __declspec(dllexport)
#elif defined(_WIN32) && defined(QORINSIM_EXPORT_CONTROLS)
#  define QORINSIM_API __declspec(dllimport)
#elif defined(_WIN32)
#  define QORINSIM_API
#else
#  define QORINSIM_API __attribute__((visibility("default")))
#endif

namespace qorinsim {

constexpr int kMaxCameras = 64;

// The chart is at its nominal levels at this exposure and gain (the cameras' defaults); it
// scales with exposure x gain and clips at full scale.
constexpr float kReferenceExposure = 60.0f;
constexpr float kReferenceGain = 2.0f;
// Sensor temperature of a camera that is not cooled, in degrees Celsius.
constexpr double kAmbientTemperature = 25.0;
// Fraction of the distance to its goal the sensor temperature covers per delivered frame.
constexpr double kTemperatureStep = 0.2;
constexpr std::size_t kCallLogLimit = 100000;
// Bytes of logged buffers the call log keeps at most: it drops its oldest calls beyond that.
constexpr std::size_t kCallLogByteLimit = std::size_t{64} << 20;

// Last-error numbers of the refusals the simulator makes by itself (injected faults use
// whatever number the test chose).
enum : uint32_t {
    kErrorInvalidArgument = 1,  // null pointer, refused value or format, frame that does not match
    kErrorInvalidHandle = 2,    // not an open camera, registration or synchronous session
    kErrorNotAttached = 3,      // camera number not plugged in, or the camera count made to fail
    kErrorAlreadyOpen = 4,
    kErrorOutOfRange = 5,       // permanent buffer past its end
    kErrorFileWrite = 6,        // image file could not be written
    kErrorTimeout = QORIN_ERROR_TIMEOUT,  // a capture waited longer than the video timeout
};

// When a camera's video and fast frames come: all at once, or paced at the frame rate.
enum class Timing : uint8_t { kImmediate, kRealtime };

struct Property {
    float value_ = 0.0f;
    uint32_t flags_ = 0;
    bool hasRange_ = false;
    float minimum_ = 0.0f;
    float maximum_ = 0.0f;
    uint32_t steps_ = 0;
};

// A frame set by a test: samples row by row, 16-bit samples little-endian.
struct Frame {
    uint32_t rows_ = 0;
    uint32_t columns_ = 0;
    uint32_t sampleBytes_ = 1;
    std::vector<uint8_t> data_;
};

// One simulated camera: the session the module opened on it and the setup tests give it.
struct SimulatedCamera {
    // Session state, cleared on close.
    bool open_ = false;
    uintptr_t handle_ = 0;
    bool streaming_ = false;
    bool window_ = false;
    int32_t windowWidth_ = 0;
    int32_t windowHeight_ = 0;
    bool fastFrames_ = false;
    SnapshotSettings fastSettings_{};
    bool hasSnapshotFormat_ = false;
    FrameFormat snapshotFormat_{};  // from the last SnapshotSettings the camera was given
    std::vector<uintptr_t> registrations_;

    // Camera setup and settings; they survive open and close.
    FrameFormat format_{};
    float frameRate_ = 30.0f;
    std::map<uint32_t, Property> properties_;
    std::vector<float> frameRates_;
    VersionInfo version_{};
    uint32_t interfaceCode_ = 2;
    uint32_t cameraId_ = 0;
    uint32_t pixelDepth_ = 10;
    uint32_t hwRevision_ = 1;
    std::array<uint8_t, 2> gpio_{};
    uint8_t gpo_ = 0;
    uint8_t gpoSelect_ = 0;
    uint8_t gpioConfig_ = 0;
    std::array<int32_t, 4> roi_{};
    std::array<float, 9> matrix_{};
    std::vector<uint8_t> lut_;
    bool lutColour_ = false;  // the last table came with channel flags
    std::array<int32_t, 4> lutFlags_{};
    float videoTimeout_ = 5000.0f;
    float snapshotTimeout_ = 5000.0f;
    float progress_ = 0.0f;
    bool lensInitialised_ = false;
    bool focusing_ = false;
    std::vector<uint8_t> permanentBuffer_;
    std::vector<Frame> frames_;  // explicit frames, delivered in turn; empty: the test chart
    std::size_t nextFrame_ = 0;
    uint64_t frameCounter_ = 0;  // index of the next frame, moves the chart's counter element
    double noise_ = 0.0;         // chart noise in 8-bit levels at the ambient temperature; 0: none
    double temperature_ = kAmbientTemperature;  // sensor temperature, moved by cooling frame by frame

    // Pacing of video and fast frames.  Realtime: frame k is produced at clockStart_ +
    // (k - clockFrame_) / clockRate_, and a capture waits for it or takes the newest one.
    Timing timing_ = Timing::kImmediate;
    bool clockRunning_ = false;
    std::chrono::steady_clock::time_point clockStart_{};
    uint64_t clockFrame_ = 0;  // frame index produced at clockStart_
    float clockRate_ = 0.0f;   // the frame rate the clock was started with
    // A stall of the bus: the first video or fast frame with an index from hiccupFrame_ on waits
    // hiccupDelay_ ms before it is delivered, and the frames produced meanwhile are lost.
    uint64_t hiccupFrame_ = 0;
    double hiccupDelay_ = 0.0;  // 0: none
    bool hiccupPending_ = false;
    std::chrono::steady_clock::time_point stallEnd_{};  // deliveries wait until then
};

// One argument of a logged call.  Records are kept as their raw bytes to keep a long
// log small; readers decode them with the record type named by kind_.
struct LogValue {
    enum class Kind : uint8_t { kEmpty, kNumber, kBytes, kDoubles, kText, kFrameFormat, kSettings, kParams };
    Kind kind_ = Kind::kEmpty;
    double number_ = 0.0;
    std::vector<uint8_t> bytes_;    // kBytes, kText, and the records (kSettings: one or more)
    std::vector<double> doubles_;   // kDoubles
};

struct CallRecord {
    const char* name_ = "";  // points at a literal of the simulator
    int camera_ = 0;
    std::vector<LogValue> args_;
};

// Every function here and every SDK entry point runs under this one lock, so the SDK may be
// called from several threads at once.  A caller that keeps using what camera() or calls()
// returned while other threads call in holds it meanwhile (it is recursive, so the functions
// here may still be called), but never around an SDK call that waits for a frame: that one
// releases only its own hold on the lock while it waits.
QORINSIM_API std::recursive_mutex& mutex();

// Every camera closed and back to its defaults, one attached, log and faults empty; the last
// error of the calling thread is 0 again (each thread has its own).
QORINSIM_API void reset();
// -1 makes QorinNumCameras fail.
QORINSIM_API void setAttached(int count);
QORINSIM_API int attached();
// Camera n (1-based); nullptr outside 1..kMaxCameras.
QORINSIM_API SimulatedCamera* camera(int number);
// Camera number of a handle the simulator issued (open or not), 0 otherwise.
QORINSIM_API int cameraOfHandle(const void* handle);
// True while camera n takes part in an enabled synchronous session.
QORINSIM_API bool inSyncSession(int number);
QORINSIM_API int32_t interfaceSelector();

QORINSIM_API bool isSdkFunction(const std::string& name);
// After `skip` further successful calls of `name`, its next `count` calls fail with `error`.
// False for a name that is not an SDK function (or cannot fail).
QORINSIM_API bool failCalls(const std::string& name, uint32_t error, uint32_t count, uint32_t skip);
// The log itself: read it while holding mutex(), or while no other thread calls in.
QORINSIM_API const std::deque<CallRecord>& calls();
QORINSIM_API void clearCalls();

}  // namespace qorinsim
