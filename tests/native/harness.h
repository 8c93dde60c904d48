// harness.h - shared steps of the native harnesses: reset, one call through the host double, checks and sanity checks.
#pragma once

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host_double.h"

namespace harness {

// The checks a harness program made and how many failed; a failed one has printed "FAIL: what".
// Inline, so that programs that do not link harness.cpp (the loader test) share them too.
struct CheckCounts {
    int checks = 0;
    int failed = 0;
};
inline CheckCounts& checkCounts() {
    static CheckCounts counts;
    return counts;
}
inline void check(bool ok, const std::string& what) {
    ++checkCounts().checks;
    if (ok) return;
    ++checkCounts().failed;
    std::printf("FAIL: %s\n", what.c_str());
    std::fflush(stdout);
}

struct ArrayDeleter {
    void operator()(mxArray* array) const noexcept { mxDestroyArray(array); }
};
using Owned = std::unique_ptr<mxArray, ArrayDeleter>;

struct Outcome {
    bool ok = false;
    std::string identifier;
    std::string message;  // exact raised text, trailing newline included
    Owned result;         // output slot 1, if set
};

// Unloads the module's cameras (its exit hook), resets the simulator and the Windows stand-ins,
// then attaches `attached` cameras.
void resetAll(int attached = 1);

// One call: input 0 is `code` (a double), then `params`, which the call takes over and destroys.
Outcome run(double code, std::vector<mxArray*> params, int outputCount = 1);
// The same with every input given (no command code added).
Outcome runRaw(std::vector<mxArray*> inputs, int outputCount = 1);

// Parameter helpers.
inline mxArray* num(double value) { return hostdouble::makeDouble(value); }
inline mxArray* flag(bool value) { return hostdouble::makeLogical({1, 1}, {value}); }
inline mxArray* text(const std::string& value) { return hostdouble::makeText(value); }

// Empty when the simulator and the module agree: no fast-frame mode or synchronous session
// left on, no open camera or stream without its record, a stream exactly for each preview not
// suspended (a running recording may hold a stream or fast-frame mode of its own), every open
// event and registration owned by a record.  While recordings run, call it holding
// qorinsim::mutex(): it reads the simulator's state.
std::string sanity();

// Until `camera`'s recording worker has ended or `deadline` passes, polled without a command
// (which would log SDK calls of its own and settle the camera); then, when `settled`, brings
// the camera record up to date as the next command would.  True once it has ended, or when the
// camera has no recording.
bool awaitRecordingEnd(int camera, bool settled,
                       std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());

// Replaces "%d"-style placeholders: {cam} and {err}.
std::string expand(std::string pattern, int camera, long error);

// Printable form of a message (newlines shown as \n).
std::string show(const std::string& message);

}  // namespace harness
