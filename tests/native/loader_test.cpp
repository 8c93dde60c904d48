// loader_test.cpp - loads qorincam.mexw64 and qorinsim.mexw64 from their folder as MATLAB does, and drives them.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host_double.h"
#include "tests/native/harness.h"

#include "platform/windows_api.h"

namespace {

using harness::check;

// A MEX file loaded the way MATLAB loads one: by full path, its own folder searched for the
// libraries it imports (qorinapi.dll beside it).
struct MexFile {
    HMODULE module = nullptr;
    hostdouble::MexEntry entry = nullptr;

    bool load(const std::string& path) {
        module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (module == nullptr) return false;
        entry = reinterpret_cast<hostdouble::MexEntry>(reinterpret_cast<void*>(GetProcAddress(module, "mexFunction")));
        return entry != nullptr;
    }
    void unload() {
        FreeLibrary(module);
        module = nullptr;
        entry = nullptr;
    }
};

MexFile gCam;
MexFile gSim;

// One call; the inputs are destroyed.  Returns the error message ("" on success) and the first output.
std::string call(const MexFile& mex, std::vector<mxArray*> inputs, mxArray** result = nullptr) {
    hostdouble::setEntry(mex.entry);
    std::vector<mxArray*> outputs;
    hostdouble::RaisedError error;
    const bool ok = hostdouble::call(outputs, {inputs.begin(), inputs.end()}, &error, 1);
    for (mxArray* input : inputs) mxDestroyArray(input);
    for (std::size_t k = 0; k < outputs.size(); ++k) {
        if (k == 0 && result != nullptr) *result = outputs[0];
        else mxDestroyArray(outputs[k]);
    }
    return ok ? std::string() : error.message.empty() ? "(empty message)" : error.message;
}

mxArray* num(double value) { return hostdouble::makeDouble(value); }
mxArray* text(const char* value) { return hostdouble::makeText(value); }

// qorincam(code, camera, extra...) expected to succeed; returns its first output's first value.
double cam(double code, std::vector<mxArray*> params, const std::string& what) {
    params.insert(params.begin(), num(code));
    mxArray* result = nullptr;
    const std::string error = call(gCam, std::move(params), &result);
    check(error.empty(), what + ": " + error);
    const double value = result != nullptr && mxGetNumberOfElements(result) > 0 ? hostdouble::value(result, 0) : -1.0;
    mxDestroyArray(result);
    return value;
}

double simState(const char* name) {
    mxArray* result = nullptr;
    const std::string error = call(gSim, {text("get"), num(1), text(name)}, &result);
    check(error.empty(), std::string("qorinsim get ") + name + ": " + error);
    const double value = result != nullptr ? hostdouble::value(result, 0) : -1.0;
    mxDestroyArray(result);
    return value;
}

// The handle values the system gives the next few objects.  Handles are allocated lowest free
// slot first (on Windows and under Wine), so the values return to what they were once every
// event object the module opened since has been closed.  (Wine has no GetProcessHandleCount.)
std::vector<std::uintptr_t> nextHandles() {
    std::vector<HANDLE> probes;
    for (int k = 0; k < 16; ++k) probes.push_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    std::vector<std::uintptr_t> values;
    for (HANDLE probe : probes) {
        values.push_back(reinterpret_cast<std::uintptr_t>(probe));
        CloseHandle(probe);
    }
    return values;
}

bool loadBoth(const std::string& folder) {
    // qorinsim first: its qorinapi.dll is then the one qorincam binds to.
    return gSim.load(folder + "\\qorinsim.mexw64") && gCam.load(folder + "\\qorincam.mexw64");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: loader_test MEX-FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    check(loadBoth(folder), "load qorinsim.mexw64 and qorincam.mexw64 from " + folder);
    if (harness::checkCounts().failed != 0) return 1;
    check(GetModuleHandleA("qorinapi.dll") != nullptr, "qorinapi.dll loaded from beside the MEX files");

    check(call(gSim, {text("reset")}).empty(), "qorinsim reset");
    cam(-1, {num(1)}, "connect");
    // After the first call: the runtime's own one-time objects are made by then.
    const std::vector<std::uintptr_t> handlesBefore = nextHandles();
    cam(0, {num(1)}, "start preview");
    check(simState("streaming") == 1, "streaming after start preview");
    cam(7, {num(1)}, "grab an RGB frame");
    cam(1, {num(1)}, "stop preview");
    cam(13, {num(1)}, "snapshot");
    cam(87, {num(1), num(3)}, "fast frames");
    check(simState("fastFrames") == 0, "fast-frame mode left");
    const double first = cam(92, {num(1), num(5)}, "register event");
    cam(92, {num(1), num(6)}, "register a second event");
    check(first == 1, "first event id is 1");
    check(nextHandles() != handlesBefore, "event objects taken from the system");
    cam(93, {num(1), num(first)}, "unregister event");
    check(GetForegroundWindow() != nullptr, "a foreground window (windows_session.cpp)");
    cam(5, {num(1)}, "property page");

    // Unloading: MATLAB calls the exit hook, then frees the library.  Every event object is
    // closed and the camera released.
    check(hostdouble::runExitHook(), "exit hook registered");
    check(simState("open") == 0, "camera closed by the exit hook");
    check(nextHandles() == handlesBefore, "every event object closed by the exit hook");
    gCam.unload();
    gSim.unload();
    check(GetModuleHandleA("qorinapi.dll") == nullptr, "qorinapi.dll unloaded with the MEX files");

    // Reload and connect again at once.
    check(loadBoth(folder), "reload");
    if (harness::checkCounts().failed == 0) {
        cam(-1, {num(1)}, "connect after reload");
        check(cam(6, {num(1)}, "is connected") == 1, "connected after reload");
        // A recording still running at the unload: its worker and TIFF writer must be gone
        // before the library is, or the process crashes once it is freed.  (After the handle
        // checks: the simulator's own lock may make its event object at its first contention.)
        check(call(gCam, {text("startRecording"), num(1), text("file"), text("loader_recording.tif"), text("buffer"),
                          num(4), text("overwrite"), hostdouble::makeLogical({1, 1}, {true})})
                  .empty(),
              "start a recording");
        mxArray* ready = nullptr;
        check(call(gCam, {text("waitFrames"), num(1), num(2), num(10)}, &ready).empty() && ready != nullptr &&
                  hostdouble::value(ready, 0) == 1,
              "the recording's first frames");
        mxDestroyArray(ready);
        check(hostdouble::runExitHook(), "exit hook after reload, recording");
        check(simState("open") == 0, "camera closed by the exit hook under a recording");
        gCam.unload();
        gSim.unload();
        check(DeleteFileA("loader_recording.tif") != FALSE, "the recording's file closed");
    }
    const harness::CheckCounts& counts = harness::checkCounts();
    std::printf("loader test: %d checks, %d failed\n", counts.checks, counts.failed);
    return counts.failed == 0 ? 0 : 1;
}
