// sdk_turns.h - turns at one camera's SDK calls, taken in the order they were asked for, between MATLAB's thread and a recording's worker.
#pragma once

#include <cstdint>

#include "platform/thread_safety.h"

namespace qorin {

// Turns at one camera's SDK calls between MATLAB's thread and the camera's recording worker,
// served in the order they were asked for: a worker that asks again at once, frame after
// frame, cannot keep a waiting command out.  A lock to the thread-safety analysis: what only a
// turn's holder may touch is marked QORIN_GUARDED_BY(turns).
class QORIN_CAPABILITY("SDK turn") SdkTurns {
public:
    void lock() QORIN_ACQUIRE() QORIN_NO_THREAD_SAFETY_ANALYSIS {
        platform::MutexLocker locker(mutex_);
        const std::uint64_t ticket = next_++;
        served_.wait(locker, [&]() QORIN_REQUIRES(mutex_) { return serving_ == ticket; });
    }
    void unlock() QORIN_RELEASE() QORIN_NO_THREAD_SAFETY_ANALYSIS {
        {
            platform::MutexLocker locker(mutex_);
            ++serving_;
        }
        served_.notifyAll();
    }

    // MATLAB's thread marks the turn it holds.  MATLAB ends a call whose allocation it refuses
    // without unwinding the module, which would keep the turn and stall the worker for good;
    // the next call, or the unloading, gives such a turn back (giveBackHostTurn).  Both on
    // MATLAB's thread only, where the turn outlives the scope that took it: the analysis does
    // not follow it.
    void lockForHost() QORIN_NO_THREAD_SAFETY_ANALYSIS {
        lock();
        hostHolds_ = true;
    }
    void giveBackHostTurn() QORIN_NO_THREAD_SAFETY_ANALYSIS {
        if (!hostHolds_) return;
        hostHolds_ = false;
        unlock();
    }

private:
    bool hostHolds_ = false;  // MATLAB's thread only
    platform::Mutex mutex_;
    platform::ConditionVariable served_;
    std::uint64_t next_ QORIN_GUARDED_BY(mutex_) = 0;
    std::uint64_t serving_ QORIN_GUARDED_BY(mutex_) = 0;
};

// One turn for as long as it lives, as a scope holds a lock.
class QORIN_SCOPED_CAPABILITY SdkTurn {
public:
    explicit SdkTurn(SdkTurns& turns) QORIN_ACQUIRE(turns) : turns_(turns) { turns_.lock(); }
    ~SdkTurn() QORIN_RELEASE() { turns_.unlock(); }
    SdkTurn(const SdkTurn&) = delete;
    SdkTurn& operator=(const SdkTurn&) = delete;

private:
    SdkTurns& turns_;
};

}  // namespace qorin
