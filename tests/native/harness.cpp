// harness.cpp - reset, calls and the module/simulator consistency checks the native harnesses share.
#include "tests/native/harness.h"

#include <cstdint>
#include <thread>

#include "camera/camera_table.h"
#include "platform/win32.h"
#include "sim/sim_control.h"

namespace harness {
namespace {

int gEventBaseline = 0;

}  // namespace

void resetAll(int attached) {
    hostdouble::clearCreationFaults();
    qorinsim::failCalls("", 0, 0, 0);
    hostdouble::runExitHook();
    qorinsim::reset();
    qorinsim::setAttached(attached);
    QorinPlatformReset();
    // Text for the SDK in Windows-1252 on every system, whatever code page Wine's locale gives:
    // the Linux and Windows runs must say the same.
    QorinPlatformSetCodePage(1252);
    gEventBaseline = QorinPlatformOpenEvents();
    hostdouble::resetCounters();
}

Outcome runRaw(std::vector<mxArray*> inputs, int outputCount) {
    Outcome outcome;
    std::vector<mxArray*> outputs;
    hostdouble::RaisedError error;
    std::vector<const mxArray*> constInputs(inputs.begin(), inputs.end());
    outcome.ok = hostdouble::call(outputs, constInputs, &error, outputCount);
    if (!outcome.ok) {
        outcome.identifier = error.identifier;
        outcome.message = error.message;
    }
    if (!outputs.empty()) outcome.result.reset(outputs[0]);
    for (std::size_t k = 1; k < outputs.size(); ++k) mxDestroyArray(outputs[k]);
    for (mxArray* input : inputs) mxDestroyArray(input);
    return outcome;
}

Outcome run(double code, std::vector<mxArray*> params, int outputCount) {
    params.insert(params.begin(), hostdouble::makeDouble(code));
    return runRaw(std::move(params), outputCount);
}

bool awaitRecordingEnd(int camera, bool settled, std::chrono::steady_clock::time_point deadline) {
    qorin::CameraTable& table = qorin::cameraTable();
    const std::int32_t slot = table.findCameraSlot(camera);
    if (slot == -1 || table.at(slot).recorder == nullptr) return true;
    qorin::CameraRecord& record = table.at(slot);
    while (record.recording()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (settled) record.recorder->syncCameraRecord();
    return true;
}

std::string sanity() {
    std::string problems;
    auto note = [&](const std::string& text) { problems += (problems.empty() ? "" : "; ") + text; };
    qorin::CameraTable& table = qorin::cameraTable();
    int events = 0;
    std::size_t registrations = 0;
    // A recording that ended is settled as the next command would.
    for (std::int32_t slot = 0; slot < table.count(); ++slot) {
        qorin::CameraRecord& camera = table.at(slot);
        if (camera.recorder != nullptr) camera.recorder->syncCameraRecord();
    }
    for (std::int32_t slot = 0; slot < table.count(); ++slot) {
        qorin::CameraRecord& camera = table.at(slot);
        for (const qorin::CameraEvent& entry : camera.events) {
            if (entry.event() != nullptr) ++events;
            if (entry.registration() != nullptr) ++registrations;
        }
        if (!camera.connected()) continue;
        const qorinsim::SimulatedCamera* sim = qorinsim::camera(camera.cameraNumber);
        if (sim == nullptr || !sim->open_ || sim->handle_ != reinterpret_cast<std::uintptr_t>(camera.handle.get()))
            note("camera " + std::to_string(camera.cameraNumber) + " connected but not open in the SDK");
    }
    std::size_t simRegistrations = 0;
    for (int n = 1; n <= qorinsim::kMaxCameras; ++n) {
        const qorinsim::SimulatedCamera* sim = qorinsim::camera(n);
        simRegistrations += sim->registrations_.size();
        bool owned = false;
        bool previewing = false;
        bool suspended = false;
        bool recording = false;  // a running recording holds a stream or fast-frame mode of its own
        for (std::int32_t slot = 0; slot < table.count(); ++slot) {
            const qorin::CameraRecord& camera = table.at(slot);
            if (sim->open_ && camera.connected() && reinterpret_cast<std::uintptr_t>(camera.handle.get()) == sim->handle_) {
                owned = true;
                previewing = camera.previewing();
                suspended = camera.state() == qorin::CameraState::PreviewSuspended;
                recording = camera.recording();
            }
        }
        if (sim->fastFrames_ && !recording) note("camera " + std::to_string(n) + " left in fast-frame mode");
        if (qorinsim::inSyncSession(n)) note("camera " + std::to_string(n) + " left in a synchronous session");
        if (!sim->open_) continue;
        if (!owned) note("camera " + std::to_string(n) + " open in the SDK without a connected record");
        if (sim->streaming_ && !previewing && !recording)
            note("camera " + std::to_string(n) + " streaming without its previewing flag");
        if (previewing && sim->streaming_ == suspended)
            note("camera " + std::to_string(n) + (suspended ? " streaming while its preview is suspended" : " previewing without a stream"));
        if (sim->window_ && !previewing) note("camera " + std::to_string(n) + " has a display window without its previewing flag");
    }
    const int openEvents = QorinPlatformOpenEvents() - gEventBaseline;
    if (openEvents != events)
        note(std::to_string(openEvents) + " event objects open, " + std::to_string(events) + " held by records");
    if (simRegistrations != registrations)
        note(std::to_string(simRegistrations) + " SDK registrations, " + std::to_string(registrations) + " held by records");
    return problems;
}

std::string expand(std::string pattern, int camera, long error) {
    auto replace = [&](const std::string& key, const std::string& value) {
        for (std::size_t at = pattern.find(key); at != std::string::npos; at = pattern.find(key, at + value.size()))
            pattern.replace(at, key.size(), value);
    };
    replace("{cam}", std::to_string(camera));
    replace("{err}", std::to_string(error));
    return pattern;
}

std::string show(const std::string& message) {
    std::string out = "\"";
    for (char c : message) out += c == '\n' ? std::string("\\n") : std::string(1, c);
    return out + "\"";
}

}  // namespace harness
