// thread_safety.h - a mutex, its scoped locker and a condition variable that Clang's thread-safety analysis can follow.
//
// std::mutex carries no annotations, so the analysis cannot tell which members a lock guards.
// These wrappers carry them, as libcamera's Mutex and MutexLocker do: a member marked
// QORIN_GUARDED_BY(mutex_) read or written without the lock, or a function marked
// QORIN_REQUIRES(mutex_) called without it, is a compile error under -Wthread-safety -Werror
// (scripts/reliability.sh, step tsan).  Compilers without the attributes (GCC, MSVC) see empty
// macros and plain standard types.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#if defined(__has_attribute)
#  if __has_attribute(capability)
#    define QORIN_THREAD_ATTRIBUTE(x) __attribute__((x))
#  endif
#endif
#ifndef QORIN_THREAD_ATTRIBUTE
#  define QORIN_THREAD_ATTRIBUTE(x)
#endif

#define QORIN_CAPABILITY(name) QORIN_THREAD_ATTRIBUTE(capability(name))
#define QORIN_SCOPED_CAPABILITY QORIN_THREAD_ATTRIBUTE(scoped_lockable)
#define QORIN_GUARDED_BY(capability) QORIN_THREAD_ATTRIBUTE(guarded_by(capability))
#define QORIN_REQUIRES(...) QORIN_THREAD_ATTRIBUTE(requires_capability(__VA_ARGS__))
#define QORIN_ACQUIRE(...) QORIN_THREAD_ATTRIBUTE(acquire_capability(__VA_ARGS__))
#define QORIN_RELEASE(...) QORIN_THREAD_ATTRIBUTE(release_capability(__VA_ARGS__))
#define QORIN_EXCLUDES(...) QORIN_THREAD_ATTRIBUTE(locks_excluded(__VA_ARGS__))
#define QORIN_NO_THREAD_SAFETY_ANALYSIS QORIN_THREAD_ATTRIBUTE(no_thread_safety_analysis)

namespace qorin::platform {

class MutexLocker;

class QORIN_CAPABILITY("mutex") Mutex {
public:
    void lock() QORIN_ACQUIRE() { mutex_.lock(); }
    void unlock() QORIN_RELEASE() { mutex_.unlock(); }

private:
    friend class MutexLocker;
    std::mutex mutex_;
};

// Holds `mutex` from its construction to its end; a condition variable's wait lets it go meanwhile.
class QORIN_SCOPED_CAPABILITY MutexLocker {
public:
    explicit MutexLocker(Mutex& mutex) QORIN_ACQUIRE(mutex) : lock_(mutex.mutex_) {}
    ~MutexLocker() QORIN_RELEASE() {}
    MutexLocker(const MutexLocker&) = delete;
    MutexLocker& operator=(const MutexLocker&) = delete;

private:
    friend class ConditionVariable;
    std::unique_lock<std::mutex> lock_;
};

// Waits take the locker that holds the mutex the predicate reads under; a predicate that reads
// guarded members says so: [&]() QORIN_REQUIRES(mutex_) { ... }.
class ConditionVariable {
public:
    void notifyAll() noexcept { condition_.notify_all(); }
    void wait(MutexLocker& locker) { condition_.wait(locker.lock_); }
    template <typename Predicate>
    void wait(MutexLocker& locker, Predicate done) {
        condition_.wait(locker.lock_, done);
    }
    template <typename Clock, typename Duration, typename Predicate>
    bool waitUntil(MutexLocker& locker, const std::chrono::time_point<Clock, Duration>& deadline, Predicate done) {
        return condition_.wait_until(locker.lock_, deadline, done);
    }

private:
    std::condition_variable condition_;
};

}  // namespace qorin::platform
