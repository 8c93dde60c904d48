// recording_gate.h - what the camera layer knows of a camera that records: whose turn it is with the SDK, and whether it runs.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace qorin {

// Turns at one camera's SDK calls between MATLAB's thread and the camera's recording worker,
// served in the order they were asked for: a worker that asks again at once, frame after
// frame, cannot keep a waiting command out.
class SdkTurns {
public:
    void lock() {
        std::unique_lock<std::mutex> lock(mutex_);
        const std::uint64_t ticket = next_++;
        served_.wait(lock, [&] { return serving_ == ticket; });
    }
    void unlock() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++serving_;
        }
        served_.notify_all();
    }

    // MATLAB's thread marks the turn it holds.  MATLAB ends a call whose allocation it refuses
    // without unwinding the module, which would keep the turn and stall the worker for good;
    // the next call, or the unloading, gives such a turn back (giveBackHostTurn).  Both on
    // MATLAB's thread only.
    void lockForHost() {
        lock();
        hostHolds_ = true;
    }
    void giveBackHostTurn() {
        if (!hostHolds_) return;
        hostHolds_ = false;
        unlock();
    }

private:
    bool hostHolds_ = false;
    std::mutex mutex_;
    std::condition_variable served_;
    std::uint64_t next_ = 0;
    std::uint64_t serving_ = 0;
};

// A camera's recording as the camera layer sees it.  The recording itself (acquisition/)
// owns its worker threads; everything here is called on MATLAB's thread.
class BackgroundRecording {
public:
    virtual ~BackgroundRecording() = default;
    // After a command that may have changed how frames are handed out ran beside the recording,
    // in the command's turn: reads that again (never throws).
    virtual void refreshAfterCommand() noexcept = 0;
    // True while its worker takes frames.  A worker that ended has given the camera back the
    // modes it was in (stream, fast frames, a paused preview's stream) and sees no further turn.
    virtual bool running() const noexcept = 0;
    // Once the worker has ended: brings the camera record up to what the worker left the camera
    // in (a paused preview running again).  Does nothing while it runs.
    virtual void settle() noexcept = 0;
    // Asks the worker to stop and returns at once; `unloading` is the reason it gives.
    virtual void requestStop(bool unloading) noexcept = 0;
    // Waits for a worker that was asked to stop, or ended, then settles.
    virtual void awaitStop() noexcept = 0;
    // Frames held that nobody took.
    virtual std::uint64_t framesNotTaken() const noexcept = 0;

    void stop() noexcept {
        requestStop(false);
        awaitStop();
    }
};

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
        if (recording_ != nullptr) recording_->refreshAfterCommand();
    }

private:
    SdkTurns* turns_ = nullptr;
    BackgroundRecording* recording_ = nullptr;
};

}  // namespace qorin
