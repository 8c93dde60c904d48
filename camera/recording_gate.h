// recording_gate.h - the gate every numbered command passes while cameras record: refused, or run in MATLAB's turn at the camera's SDK calls.
#pragma once

#include <cstdint>
#include <optional>

#include "camera/background_recording.h"
#include "camera/sdk_turns.h"

namespace qorin {

// MATLAB's turn at a camera's SDK calls, for as long as it lives; empty: no turn taken.
class HostTurn {
public:
    HostTurn() = default;
    // `recording`, if given, is told when the command that took the turn is done.
    explicit HostTurn(SdkTurns& turns, BackgroundRecording* recording = nullptr)
        : turns_(&turns), recording_(recording) {
        turns.lockForHost();
    }
    HostTurn(HostTurn&& other) noexcept : turns_(other.turns_), recording_(other.recording_) {
        other.turns_ = nullptr;
        other.recording_ = nullptr;
    }
    HostTurn& operator=(HostTurn&&) = delete;
    ~HostTurn() {
        if (turns_ != nullptr) turns_->giveBackHostTurn();
    }
    // The command ran to its end, still in this turn.
    void commandDone() {
        if (recording_ != nullptr) recording_->rereadFrameProperties();
    }

private:
    SdkTurns* turns_ = nullptr;
    BackgroundRecording* recording_ = nullptr;
};

// The recording gate every numbered command passes, after its argument checks and before it
// runs.  Recordings that ended by themselves are synced first.  Then, when camera n records
// (no n: a command without a camera, which every recording camera counts for), a command
// `refused` while recording fails with "Camera %d is recording. Stop the recording first.";
// any other takes the camera's turn at the SDK and keeps it until the returned turn goes; with
// `rereads` the recording reads its frame properties again when the command is done
// (HostTurn::commandDone).  Makes no SDK call of its own.
HostTurn admitWhileRecording(std::optional<std::int32_t> cameraNumber, bool refused, bool rereads);

// Gives back every turn a call MATLAB ended without unwinding left held (see SdkTurns): at the
// next call, and before the unloading waits for any worker.
void giveBackHostTurns() noexcept;

}  // namespace qorin
