// frame_ring.cpp - the ring's cursors, pins and waits.
#include "recording/frame_ring.h"

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <new>

#include "platform/memory.h"

namespace qorin {

bool FrameRing::allocate(std::uint64_t capacity, std::uint64_t frameBytes, WhenFull whenFull, bool diskReader) noexcept {
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max());
    // One slot more than the frames held: the next frame goes into it while a reader still
    // pins the frame it drops.
    if (capacity == 0 || frameBytes == 0 || capacity >= limit / frameBytes - 1) return false;
    const std::uint64_t slots = capacity + 1;
    if (slots > limit / sizeof(FrameStamp)) return false;
    const auto bytes = static_cast<std::size_t>(slots * frameBytes);
    data_.reset(new (std::nothrow) std::uint8_t[bytes]);
    stamps_.reset(new (std::nothrow) FrameStamp[static_cast<std::size_t>(slots)]);
    // Huge pages where the system grants them on request make the block resident in a fraction
    // of the time (makeResident).
    if (data_ != nullptr) platform::adviseHugePages(data_.get(), bytes);
    if (data_ == nullptr || stamps_ == nullptr) {
        data_.reset();
        stamps_.reset();
        return false;
    }
    capacity_ = capacity;
    slots_ = slots;
    frameBytes_ = frameBytes;
    whenFull_ = whenFull;
    disk_ = diskReader;
    return true;
}

bool FrameRing::makeResident(bool (*stop)()) noexcept {
    // A block takes some 10-50 ms to make resident: short enough between two looks at `stop`.
    constexpr std::size_t kBlock = std::size_t{64} << 20;
    const auto bytes = static_cast<std::size_t>(slots_ * frameBytes_);
    for (std::size_t done = 0; done < bytes; done += kBlock) {
        if (stop != nullptr && stop()) return false;
        platform::makeResident(data_.get() + done, bytes - done < kBlock ? bytes - done : kBlock);
    }
    return true;
}

bool FrameRing::pinned(std::uint64_t index) const {
    const bool byTaker = index >= takerPin_.first && index - takerPin_.first < takerPin_.count;
    return byTaker || (diskPinned_ && index == diskAt_);
}

bool FrameRing::neededByReaders(std::uint64_t index) const {
    return index >= takeNext_ || (disk_ && index >= diskNext_);
}

void FrameRing::drop() {
    if (oldest_ >= takeNext_) {
        ++overwritten_;
        takeNext_ = oldest_ + 1;
    }
    if (disk_ && oldest_ >= diskNext_) {
        ++notWritten_;
        diskNext_ = oldest_ + 1;
    }
    ++oldest_;
}

void FrameRing::checkInvariants() const {
#if !defined(NDEBUG) || defined(QORIN_CHECK_INVARIANTS)
    const std::uint64_t beingTaken = takerPinTakes_ ? takerPin_.count : 0;
    const bool holds = oldest_ <= takeNext_ && takeNext_ <= head_ &&
                       (!disk_ || (oldest_ <= diskNext_ && diskNext_ <= head_)) && head_ - oldest_ <= capacity_ &&
                       taken_ + overwritten_ + (head_ - takeNext_) + beingTaken == head_;
    if (!holds) {
        std::fprintf(stderr, "frame ring: invariant broken: head %llu oldest %llu take %llu disk %llu capacity %llu\n",
                     static_cast<unsigned long long>(head_), static_cast<unsigned long long>(oldest_),
                     static_cast<unsigned long long>(takeNext_), static_cast<unsigned long long>(diskNext_),
                     static_cast<unsigned long long>(capacity_));
        std::abort();
    }
#endif
}

std::uint8_t* FrameRing::beginPut() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (putsClosed_) return nullptr;
        if (whenFull_ == WhenFull::Stop && head_ - oldest_ == capacity_) {
            // Frames every reader is done with make room; any other ends the recording.
            if (neededByReaders(oldest_)) return nullptr;
            ++oldest_;
            continue;
        }
        // The slot last held the frame capacity + 1 before this one, dropped by now; a reader
        // may still be copying it.
        if (head_ < slots_ || !pinned(head_ - slots_)) break;
        changed_.wait(lock);
    }
    checkInvariants();
    return slot(head_);
}

void FrameRing::commitPut(const FrameStamp& stamp) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stamps_[head_ % slots_] = stamp;
        ++head_;
        if (head_ - oldest_ > capacity_) drop();
        checkInvariants();
    }
    changed_.notify_all();
}

void FrameRing::finishPuts() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        putsFinished_ = true;
    }
    changed_.notify_all();
}

void FrameRing::closePuts() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        putsClosed_ = true;
    }
    changed_.notify_all();
}

FrameRing::Span FrameRing::pinOldest(std::uint64_t count) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::uint64_t available = head_ - takeNext_;
    takerPin_ = Span{takeNext_, count < available ? count : available};
    takerPinTakes_ = true;
    takeNext_ += takerPin_.count;
    checkInvariants();
    return takerPin_;
}

FrameRing::Span FrameRing::pinNewest() {
    std::lock_guard<std::mutex> lock(mutex_);
    takerPin_ = head_ > oldest_ ? Span{head_ - 1, 1} : Span{head_, 0};
    takerPinTakes_ = false;
    return takerPin_;
}

FrameStamp FrameRing::stamp(std::uint64_t index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stamps_[index % slots_];
}

void FrameRing::unpin(const Span& span, bool take) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (takerPinTakes_ && take) {
            taken_ += span.count;
        } else if (takerPinTakes_ && span.count != 0) {
            // Back to the frames available, but for those the producer dropped meanwhile.
            const std::uint64_t first = span.first > oldest_ ? span.first : oldest_;
            overwritten_ += first - span.first;
            takeNext_ = first;
        }
        takerPin_ = Span{};
        takerPinTakes_ = false;
        checkInvariants();
    }
    changed_.notify_all();
}

bool FrameRing::waitAvailable(std::uint64_t count, std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_until(lock, deadline, [&] { return head_ - takeNext_ >= count || putsFinished_; });
    return head_ - takeNext_ >= count;
}

bool FrameRing::nextForDisk(std::uint64_t& index) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !disk_ || diskNext_ < head_ || putsFinished_; });
    if (!disk_ || diskNext_ >= head_) return false;
    diskPinned_ = true;
    diskAt_ = diskNext_++;
    index = diskAt_;
    checkInvariants();
    return true;
}

void FrameRing::doneWithDisk(std::uint64_t /*index*/) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        diskPinned_ = false;
    }
    changed_.notify_all();
}

void FrameRing::detachDisk() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        disk_ = false;
        diskPinned_ = false;
    }
    changed_.notify_all();
}

FrameRing::Counts FrameRing::counts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    Counts counts;
    counts.acquired = head_;
    counts.taken = taken_;
    counts.available = head_ - takeNext_;
    counts.overwritten = overwritten_;
    counts.notWritten = notWritten_;
    counts.toWrite = disk_ ? head_ - diskNext_ + (diskPinned_ ? 1 : 0) : 0;
    return counts;
}

}  // namespace qorin
