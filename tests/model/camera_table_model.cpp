// camera_table_model.cpp - the camera state rules as a state x command table, then random
// connect/disconnect/preview sequences checked against a reference table.
//
// The reference model below is written from the rules of the camera table, independently of
// camera/: slot reuse, the 25-record limit, which record a camera number finds and the
// previewing flag.  After every step the module's table, its answer (exact message) and the
// simulator's open cameras and streams must agree with it.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "camera/camera_table.h"
#include "sim/sim_control.h"
#include "tests/native/harness.h"

namespace {

// ---- The state table ----------------------------------------------------------------------
//
// Camera 1 is brought into each state it can be in, then given one command; the table says
// what must follow: the state it is left in, or the error it raises (which leaves the state
// as it was, unless the cell names another).  The last column starts from a preview and
// makes the row's main SDK call fail: a stream stopped for a capture stays stopped, and no
// SDK mode outlives the command (harness::sanity).

enum Seen { kAbsent, kClosed, kIdle, kPreviewing, kStopped, kRecording, kSeenCount };
// kClosed: a disconnected record; kStopped: a preview suspended by a failed capture;
// kRecording: an idle camera whose recording worker takes frames.
constexpr std::array<const char*, kSeenCount> kSeenNames = {"absent",  "closed",  "idle",
                                                            "previewing", "stopped", "recording"};

// The record's own state; harness::sanity holds the simulator's stream to it.
Seen seen(int n) {
    qorin::CameraTable& table = qorin::cameraTable();
    const std::int32_t slot = table.findCameraSlot(n);
    if (slot == -1) return kAbsent;
    if (table.at(slot).recording()) return kRecording;
    switch (table.at(slot).state()) {
        case qorin::CameraState::Disconnected: return kClosed;
        case qorin::CameraState::Idle: return kIdle;
        case qorin::CameraState::Previewing: return kPreviewing;
        case qorin::CameraState::PreviewSuspended: return kStopped;
    }
    return kAbsent;
}

void enter(Seen state) {
    harness::resetAll(2);
    // A second camera, idle throughout, so that synchronous snapshots have a partner.
    harness::run(-1, {harness::num(2)});
    if (state == kAbsent) return;
    harness::run(-1, {harness::num(1)});
    if (state == kClosed) harness::run(-2, {harness::num(1)});
    if (state == kRecording) harness::runRaw({harness::text("startRecording"), harness::num(1), harness::text("buffer"), harness::num(2)});
    if (state < kPreviewing || state == kRecording) return;
    harness::run(0, {harness::num(1)});
    if (state == kStopped) {
        qorinsim::failCalls("QorinTakeSnapshot", 9, 1, 0);
        harness::run(13, {harness::num(1)});
        qorinsim::failCalls("", 0, 0, 0);
    }
}

using Params = std::function<std::vector<mxArray*>()>;
Params cam(std::vector<double> more = {}) {
    return [more] {
        std::vector<mxArray*> params{harness::num(1)};
        for (double value : more) params.push_back(harness::num(value));
        return params;
    };
}

struct StateRow {
    const char* command;
    int code;
    Params params;
    const char* failing;  // SDK call that fails in the last column, or null: no such column
    // Per start state, then previewing with `failing` failing: a state name (success), "!id"
    // (raises qorincam:id, state unchanged) or "!id>state".
    std::array<const char*, kSeenCount + 1> cells;
};

std::vector<StateRow> stateRows() {
    const char* nc = "!notConnected";
    const Params none = [] { return std::vector<mxArray*>{}; };
    const Params on16Bit = [] { return std::vector<mxArray*>{harness::num(1), harness::flag(true)}; };
    // A capture or format change: runs in any open state, restarts a stopped stream.
    // Refused while recording: it would change the frames the worker takes.
    const std::array<const char*, kSeenCount + 1> change = {nc, nc, "idle", "previewing", "previewing", "!state",
                                                            "!sdk>stopped"};
    //                              absent        closed  idle          previewing    stopped   recording  previewing, failing
    return {
        {"connect", -1, cam(), nullptr, {"idle", "idle", "!state", "!state", "!state", "!state", nullptr}},
        {"disconnect", -2, cam(), nullptr, {nc, nc, "closed", "closed", "closed", "!state", nullptr}},
        {"start preview", 0, cam(), nullptr,
         {"previewing", "previewing", "previewing", "!state", "!state", "!state", nullptr}},
        {"stop preview", 1, cam(), nullptr, {nc, nc, "!state", "idle", "idle", "!state", nullptr}},
        {"is connected", 6, cam(), nullptr, {"absent", "closed", "idle", "previewing", "stopped", "recording", nullptr}},
        {"set preview size", 79, cam({320, 240}), "QorinCreateDisplayWindow",
         {nc, nc, "!state", "previewing", "previewing", "!state", "!sdk>idle"}},
        {"adjust display window", 80, cam({1, 2, 3, 4}), "QorinAdjustDisplayWindow",
         {nc, nc, "!state", "previewing", "stopped", "!state", "!sdk"}},
        {"grab raw frame", 76, cam(), "QorinTakeVideo", {nc, nc, "!state", "previewing", "stopped", "!state", "!sdk"}},
        {"get frame format", 62, cam(), nullptr, {nc, nc, "idle", "previewing", "stopped", "recording", nullptr}},
        {"snapshot", 13, cam(), "QorinTakeSnapshot", change},
        {"fast frames", 87, cam({2}), "QorinTakeFastFrame", change},
        {"white balance from snapshot", 82, cam({1, 1, 0, 0, 10, 10}), "QorinAdjustWhiteBalanceFromSnapshot", change},
        {"set frame size", 2, cam({320, 240}), "QorinSetFormat", change},
        {"set offset", 9, cam({4, 4}), "QorinSetFormat", change},
        {"set frame rate", 3, cam({15}), "QorinSetFormat", change},
        {"set 16-bit video", 10, on16Bit, "QorinSetFormat", change},
        {"synchronous snapshots", 32, none, "QorinTakeSynchronousSnapshots",
         {"!state", "!state", "idle", "previewing", "previewing", "!state", "!sdk>stopped"}},
    };
}

// Failures of the state table, one line each; 0 when every cell holds.
int checkStateTable() {
    int failures = 0;
    int cells = 0;
    for (const StateRow& row : stateRows()) {
        for (int column = 0; column <= kSeenCount; ++column) {
            const char* cell = row.cells[static_cast<std::size_t>(column)];
            if (cell == nullptr) continue;
            const Seen start = column == kSeenCount ? kPreviewing : static_cast<Seen>(column);
            const std::string from =
                column == kSeenCount ? std::string("previewing, ") + row.failing + " failing" : kSeenNames[start];
            enter(start);
            std::string problem;
            if (seen(1) != start) problem = std::string("set-up reached ") + kSeenNames[seen(1)];
            if (column == kSeenCount) qorinsim::failCalls(row.failing, 9, 1, 0);
            const harness::Outcome outcome = harness::run(row.code, row.params());
            qorinsim::failCalls("", 0, 0, 0);

            std::string expected = cell;
            std::string error;
            std::string after = kSeenNames[start];
            if (expected[0] == '!') {
                const std::size_t arrow = expected.find('>');
                error = "qorincam:" + expected.substr(1, arrow == std::string::npos ? std::string::npos : arrow - 1);
                if (arrow != std::string::npos) after = expected.substr(arrow + 1);
            } else {
                after = expected;
            }
            const std::string got = outcome.ok ? "success" : outcome.identifier + " " + harness::show(outcome.message);
            if (problem.empty() && (outcome.ok ? !error.empty() : outcome.identifier != error))
                problem = "answered " + got + ", table " + (error.empty() ? "success" : error);
            if (problem.empty() && kSeenNames[seen(1)] != after)
                problem = std::string("left ") + kSeenNames[seen(1)] + " after " + got + ", table " + after;
            if (problem.empty()) problem = harness::sanity();
            if (!problem.empty()) {
                std::printf("FAIL state table: %s from %s: %s\n", row.command, from.c_str(), problem.c_str());
                ++failures;
            }
            ++cells;
        }
    }
    if (failures == 0) std::printf("camera state table: %d cells: OK\n", cells);
    return failures;
}

// ---- The random sequences ------------------------------------------------------------------

struct Record {
    int number;
    bool connected;
    bool previewing;
};

struct Model {
    std::vector<Record> slots;
    int attached = 1;

    int find(int n) const {
        for (std::size_t k = 0; k < slots.size(); ++k)
            if (slots[k].number == n) return static_cast<int>(k);
        return -1;
    }
    int freeSlot() const {
        for (std::size_t k = 0; k < slots.size(); ++k)
            if (!slots[k].connected) return static_cast<int>(k);
        return -1;
    }
    // "" when camera n is usable, else the message of the connection check.
    std::string check(int n, const std::string& notConnected) const {
        if (n < 1) return "Invalid camera number.";
        if (attached < n) return "Not enough cameras connected.";
        const int slot = find(n);
        if (slot == -1) return "Camera ID not found.";
        if (!slots[static_cast<std::size_t>(slot)].connected) return notConnected;
        return "";
    }

    // Fault: 0 none, 1 the open fails, 2 the initial format read fails.
    std::string connect(int n, int fault) {
        if (n < 1) return "Invalid camera number.";
        if (attached < n) return "Not enough cameras connected.";
        const int existing = find(n);
        if (existing != -1 && slots[static_cast<std::size_t>(existing)].connected)
            return "Camera " + std::to_string(n) + " is already connected.";
        const int free = freeSlot();
        if (slots.size() >= 25 && free == -1) return "The maximum number of cameras has been connected.";
        if (fault == 1) return "An error has occured while opening a connection to the camera.\n";
        const Record record{n, fault == 0, false};
        if (free == -1) {
            slots.push_back(record);
        } else {
            slots[static_cast<std::size_t>(free)] = record;
        }
        return fault == 2 ? "Failed to get the initial frame format.\n" : "";
    }

    std::string disconnect(int n) {
        std::string message = check(n, "Camera " + std::to_string(n) + " already disconnected.");
        if (!message.empty()) return message;
        Record& record = slots[static_cast<std::size_t>(find(n))];
        record.connected = false;
        record.previewing = false;
        return "";
    }

    std::string start(int n, int fault) {
        if (n < 1) return "Invalid camera number.";
        if (attached < n) return "Not enough cameras connected.";
        int slot = find(n);
        if (slot == -1 || !slots[static_cast<std::size_t>(slot)].connected) {
            std::string message = connect(n, fault);
            if (!message.empty()) return message;
            slot = find(n);
        }
        Record& record = slots[static_cast<std::size_t>(slot)];
        if (record.previewing) return "Camera may already be previewing. Stop the preview before calling this function.\n";
        record.previewing = true;
        return "";
    }

    std::string stop(int n) {
        std::string message = check(n, "Camera " + std::to_string(n) + " already disconnected.");
        if (!message.empty()) return message;
        Record& record = slots[static_cast<std::size_t>(find(n))];
        if (!record.previewing) return "Preview for camera " + std::to_string(n) + " is already closed.";
        record.previewing = false;
        return "";
    }
};

std::string compareTables(const Model& model) {
    qorin::CameraTable& table = qorin::cameraTable();
    if (static_cast<std::size_t>(table.count()) != model.slots.size())
        return "table has " + std::to_string(table.count()) + " slots, model " + std::to_string(model.slots.size());
    for (std::size_t k = 0; k < model.slots.size(); ++k) {
        const qorin::CameraRecord& camera = table.at(static_cast<std::int32_t>(k));
        const Record& record = model.slots[k];
        if (camera.cameraNumber != record.number || camera.connected() != record.connected ||
            camera.previewing() != record.previewing) {
            return "slot " + std::to_string(k) + ": module {" + std::to_string(camera.cameraNumber) + ", connected " +
                   std::to_string(camera.connected()) + ", previewing " + std::to_string(camera.previewing()) +
                   "}, model {" + std::to_string(record.number) + ", connected " + std::to_string(record.connected) +
                   ", previewing " + std::to_string(record.previewing) + "}";
        }
    }
    // The SDK side: exactly the connected cameras are open, exactly the previewing ones stream.
    for (int n = 1; n <= 32; ++n) {
        const qorinsim::SimulatedCamera* sim = qorinsim::camera(n);
        bool connected = false;
        bool previewing = false;
        for (const Record& record : model.slots) {
            if (record.number == n && record.connected) {
                connected = true;
                previewing = record.previewing;
            }
        }
        if (sim->open_ != connected) return "SDK camera " + std::to_string(n) + " open " + std::to_string(sim->open_);
        if (sim->streaming_ != previewing || sim->window_ != previewing)
            return "SDK camera " + std::to_string(n) + " streaming " + std::to_string(sim->streaming_) + " window " +
                   std::to_string(sim->window_);
    }
    return harness::sanity();
}

}  // namespace

int main(int argc, char** argv) {
    if (checkStateTable() != 0) return 1;
    const unsigned seed = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 20240611u;
    const int sequences = argc > 2 ? std::atoi(argv[2]) : 150;
    const int steps = argc > 3 ? std::atoi(argv[3]) : 250;
    std::mt19937 random(seed);
    long checked = 0;
    for (int sequence = 0; sequence < sequences; ++sequence) {
        Model model;
        model.attached = 1 + static_cast<int>(random() % 30);
        harness::resetAll(model.attached);
        std::vector<std::string> trace;
        for (int step = 0; step < steps; ++step) {
            const unsigned pick = static_cast<unsigned>(random() % 100);
            // Mostly valid numbers, sometimes 0, -1 or beyond the attached count.
            const int n = static_cast<int>(random() % 34) - 1;
            // SDK faults only where the step connects: the open, or the initial format read.
            const unsigned faultRoll = static_cast<unsigned>(random() % 40);
            const int fault = pick < 40 && pick >= 4 ? (faultRoll == 0 ? 1 : (faultRoll == 1 ? 2 : 0)) : 0;
            std::string expected;
            harness::Outcome outcome;
            std::string what;
            if (pick < 4) {
                model.attached = static_cast<int>(random() % 31);
                qorinsim::setAttached(model.attached);
                trace.push_back("attach " + std::to_string(model.attached));
                continue;
            }
            if (fault == 1) qorinsim::failCalls("QorinCameraOpen", 9, 1, 0);
            if (fault == 2) qorinsim::failCalls("QorinGetFormat", 9, 1, 0);
            if (pick < 40) {
                what = "connect " + std::to_string(n);
                expected = model.connect(n, fault);
                outcome = harness::run(-1, {harness::num(n)});
            } else if (pick < 60) {
                what = "disconnect " + std::to_string(n);
                expected = model.disconnect(n);
                outcome = harness::run(-2, {harness::num(n)});
            } else if (pick < 80) {
                what = "start " + std::to_string(n);
                expected = model.start(n, fault);
                outcome = harness::run(0, {harness::num(n)});
            } else if (pick < 95) {
                what = "stop " + std::to_string(n);
                expected = model.stop(n);
                outcome = harness::run(1, {harness::num(n)});
            } else {
                what = "is-connected " + std::to_string(n);
                bool answer = false;
                if (model.attached < n) {
                    expected = "Not enough cameras connected.";
                } else {
                    const int slot = model.find(n);
                    answer = slot != -1 && model.slots[static_cast<std::size_t>(slot)].connected;
                }
                outcome = harness::run(6, {harness::num(n)});
                if (outcome.ok && (outcome.result == nullptr || (hostdouble::value(outcome.result.get(), 0) != 0) != answer)) {
                    std::printf("FAIL seed %u sequence %d step %d: %s answered wrongly\n", seed, sequence, step, what.c_str());
                    return 1;
                }
            }
            qorinsim::failCalls("", 0, 0, 0);
            if (fault != 0) what += fault == 1 ? " (open fails)" : " (format read fails)";
            trace.push_back(what);
            const std::string got = outcome.ok ? "" : outcome.message;
            std::string problem;
            if (got != expected) problem = "answered " + harness::show(got) + ", model " + harness::show(expected);
            if (problem.empty()) problem = compareTables(model);
            if (!problem.empty()) {
                std::printf("FAIL seed %u sequence %d step %d: %s: %s\n", seed, sequence, step, what.c_str(), problem.c_str());
                const std::size_t from = trace.size() > 12 ? trace.size() - 12 : 0;
                for (std::size_t k = from; k < trace.size(); ++k) std::printf("  ... %s\n", trace[k].c_str());
                return 1;
            }
            ++checked;
        }
    }
    harness::resetAll();
    if (hostdouble::liveArrays() != 0) {
        std::printf("FAIL %zu MATLAB arrays never destroyed\n", hostdouble::liveArrays());
        return 1;
    }
    std::printf("camera table model: %d sequences, %ld steps checked, seed %u: OK\n", sequences, checked, seed);
    return 0;
}
