// sim_model.cpp - the simulated cameras: their defaults, handle tokens and the control calls on them.
#include "sim/sim_internal.h"

#include <cmath>

namespace qorinsim {
namespace {

// Tokens carry a tag in the high word so that a stray small integer or a real pointer is never
// taken for one, a serial that is never reused (a stale handle stays stale after a new open),
// and the camera number in the low byte.
constexpr uintptr_t kHandleTag = uintptr_t{0x5143} << 32;
constexpr uintptr_t kSessionTag = uintptr_t{0x5153} << 32;
constexpr uintptr_t kRegistrationTag = uintptr_t{0x5145} << 32;
constexpr uintptr_t kTagMask = uintptr_t{0xFFFF} << 32;
constexpr uintptr_t kSerialMask = 0xFFFFFFu;

uintptr_t gSerial = 0;

Property ranged(float value, float minimum, float maximum) {
    Property property;
    property.value_ = value;
    property.hasRange_ = true;
    property.minimum_ = minimum;
    property.maximum_ = maximum;
    property.steps_ = static_cast<uint32_t>(maximum - minimum);
    return property;
}

Property fixed(float value) {
    Property property;
    property.value_ = value;
    return property;
}

}  // namespace

std::recursive_mutex& mutex() {
    static auto* lock = new std::recursive_mutex;  // never destroyed, as state()
    return *lock;
}

Simulator& state() {
    // Never destroyed, for the same reason as the call log: exit hooks may still call in.
    static Simulator* simulator = [] {
        auto* created = new Simulator;
        for (int n = 1; n <= kMaxCameras; ++n) created->cameras_[n - 1] = defaultCamera(n);
        return created;
    }();
    return *simulator;
}

SimulatedCamera defaultCamera(int number) {
    SimulatedCamera camera;
    camera.format_.width = 640;
    camera.format_.height = 480;
    camera.format_.xBinSub = 1;
    camera.format_.yBinSub = 1;
    camera.frameRate_ = 30.0f;
    camera.frameRates_ = {3.75f, 7.5f, 15.0f, 30.0f, 60.0f};

    auto& p = camera.properties_;
    p[QORIN_PROP_BRIGHTNESS] = ranged(0.0f, -64.0f, 64.0f);
    p[QORIN_PROP_CONTRAST] = ranged(32.0f, 0.0f, 64.0f);
    p[QORIN_PROP_HUE] = ranged(0.0f, -180.0f, 180.0f);
    p[QORIN_PROP_SATURATION] = ranged(64.0f, 0.0f, 128.0f);
    p[QORIN_PROP_GAMMA] = ranged(1.0f, 0.0f, 4.0f);
    p[QORIN_PROP_EXPOSURE] = ranged(60.0f, 0.0f, 10000.0f);
    p[QORIN_PROP_GAIN] = ranged(2.0f, 1.0f, 16.0f);
    p[QORIN_PROP_DEMOSAIC_METHOD] = ranged(0.0f, 0.0f, 3.0f);
    p[QORIN_PROP_CORRECTION_MATRIX] = ranged(0.0f, 0.0f, 1.0f);
    p[QORIN_PROP_FLIPPING] = ranged(0.0f, 0.0f, 3.0f);
    p[QORIN_PROP_COLOUR_FORMAT] = fixed(1.0f);
    p[QORIN_PROP_MAX_WIDTH] = fixed(1280.0f);
    p[QORIN_PROP_MAX_HEIGHT] = fixed(1024.0f);
    p[QORIN_PROP_TARGET_TEMPERATURE] = ranged(20.0f, -50.0f, 40.0f);
    p[QORIN_PROP_COOLING] = ranged(0.0f, 0.0f, 1.0f);

    camera.version_ = VersionInfo{0x0102, 0x0003, 0x0200, 0x0105, 100000u + static_cast<uint32_t>(number), 0};
    camera.interfaceCode_ = 2;
    camera.cameraId_ = static_cast<uint32_t>(number);
    camera.pixelDepth_ = 10;
    camera.hwRevision_ = 1;
    camera.matrix_ = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    camera.permanentBuffer_.assign(1024, 0);
    return camera;
}

uintptr_t issueToken(int number) {
    gSerial = (gSerial + 1) & kSerialMask;
    return kHandleTag | (gSerial << 8) | static_cast<uintptr_t>(number);
}

uintptr_t issueSessionToken() {
    gSerial = (gSerial + 1) & kSerialMask;
    return kSessionTag | (gSerial << 8);
}

uintptr_t issueRegistrationToken(int number) {
    gSerial = (gSerial + 1) & kSerialMask;
    return kRegistrationTag | (gSerial << 8) | static_cast<uintptr_t>(number);
}

SimulatedCamera* openCamera(const void* handle) {
    int number = cameraOfHandle(handle);
    if (number == 0) return nullptr;
    SimulatedCamera& camera = state().cameras_[number - 1];
    if (!camera.open_ || camera.handle_ != reinterpret_cast<uintptr_t>(handle)) return nullptr;
    return &camera;
}

bool isColour(const SimulatedCamera& camera) {
    auto it = camera.properties_.find(QORIN_PROP_COLOUR_FORMAT);
    // Any value but exactly 0.0 (NaN included) is a colour mosaic, as the module reads it.
    return it == camera.properties_.end() || !(it->second.value_ == 0.0f);
}

// Control API

void reset() {
    std::lock_guard<std::recursive_mutex> lock(mutex());
    Simulator& simulator = state();
    for (int n = 1; n <= kMaxCameras; ++n) simulator.cameras_[n - 1] = defaultCamera(n);
    simulator.attached_ = 1;
    lastError() = 0;
    simulator.interfaceSelector_ = 0;
    simulator.syncSessions_.clear();
    clearCalls();
    failCalls("", 0, 0, 0);  // an empty name clears every pending fault
    simulator.wake_.notify_all();  // waiting captures find their cameras closed
}

void setAttached(int count) {
    std::lock_guard<std::recursive_mutex> lock(mutex());
    state().attached_ = count < -1 ? -1 : (count > kMaxCameras ? kMaxCameras : count);
}

int attached() {
    std::lock_guard<std::recursive_mutex> lock(mutex());
    return state().attached_;
}

SimulatedCamera* camera(int number) {
    if (number < 1 || number > kMaxCameras) return nullptr;
    std::lock_guard<std::recursive_mutex> lock(mutex());
    return &state().cameras_[number - 1];
}

// Touches no state: the number is read from the token itself.
int cameraOfHandle(const void* handle) {
    auto token = reinterpret_cast<uintptr_t>(handle);
    if ((token & kTagMask) != kHandleTag) return 0;
    int number = static_cast<int>(token & 0xFF);
    return number >= 1 && number <= kMaxCameras ? number : 0;
}

bool inSyncSession(int number) {
    std::lock_guard<std::recursive_mutex> lock(mutex());
    for (const auto& entry : state().syncSessions_)
        for (int n : entry.second.cameras_)
            if (n == number) return true;
    return false;
}

int32_t interfaceSelector() {
    std::lock_guard<std::recursive_mutex> lock(mutex());
    return state().interfaceSelector_;
}

}  // namespace qorinsim
