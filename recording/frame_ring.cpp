// frame_ring.cpp - the ring's cursors, leases and waits.
#include "recording/frame_ring.h"

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <new>
#include <stdexcept>

#include "platform/memory.h"

namespace qorin {

FrameLease::FrameLease(FrameLease&& other) noexcept
    : ring_(other.ring_), reader_(other.reader_), first_(other.first_), count_(other.count_),
      committed_(other.committed_) {
    other.ring_ = nullptr;
}

FrameLease::~FrameLease() {
    if (ring_ != nullptr) ring_->release(*this);
}

const std::uint8_t* FrameLease::samples(std::uint64_t k) const { return ring_->slot(first_ + k); }

FrameStamp FrameLease::stamp(std::uint64_t k) const { return ring_->stampOf(first_ + k); }

bool FrameRing::allocate(std::uint64_t capacity, std::uint64_t frameBytes, WhenFull whenFull, bool diskReader) noexcept {
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max());
    // One slot more than the frames held: the next frame goes into it while a reader still
    // leases the frame it drops.
    if (capacity == 0 || frameBytes == 0 || capacity >= limit / frameBytes - 1) return false;
    const std::uint64_t slots = capacity + 1;
    if (slots > limit / sizeof(FrameStamp)) return false;
    const auto bytes = static_cast<std::size_t>(slots * frameBytes);
    platform::MutexLocker locker(mutex_);
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

bool FrameRing::leased(std::uint64_t index) const {
    const bool byTake = takeLeased_ && index >= takeFirst_ && index - takeFirst_ < takeCount_;
    const bool byPeek = peekLeased_ && peekCount_ != 0 && index == peekAt_;
    return byTake || byPeek || (diskLeased_ && index == diskAt_);
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
    const std::uint64_t beingTaken = takeLeased_ ? takeCount_ : 0;
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
    platform::MutexLocker locker(mutex_);
    for (;;) {
        if (putsRefused_) return nullptr;
        if (whenFull_ == WhenFull::Stop && head_ - oldest_ == capacity_) {
            // Frames every reader is done with make room; any other ends the recording.
            if (neededByReaders(oldest_)) return nullptr;
            ++oldest_;
            continue;
        }
        // The slot last held the frame capacity + 1 before this one, dropped by now; a reader
        // may still be copying it.
        if (head_ < slots_ || !leased(head_ - slots_)) break;
        changed_.wait(locker);
    }
    checkInvariants();
    return slot(head_);
}

void FrameRing::commitPut(const FrameStamp& stamp) {
    {
        platform::MutexLocker locker(mutex_);
        stamps_[head_ % slots_] = stamp;
        missed_ += stamp.missed;
        ++head_;
        if (head_ - oldest_ > capacity_) drop();
        checkInvariants();
    }
    changed_.notifyAll();
}

void FrameRing::announceEnd() {
    {
        platform::MutexLocker locker(mutex_);
        ended_ = true;
    }
    changed_.notifyAll();
}

void FrameRing::refusePuts() {
    {
        platform::MutexLocker locker(mutex_);
        putsRefused_ = true;
    }
    changed_.notifyAll();
}

TakeLease FrameRing::takeOldest(std::uint64_t count) {
    platform::MutexLocker locker(mutex_);
    if (takeLeased_) throw std::logic_error("a second take from the frame ring while one is leased");
    const std::uint64_t available = head_ - takeNext_;
    takeLeased_ = true;
    takeFirst_ = takeNext_;
    takeCount_ = count < available ? count : available;
    takeNext_ += takeCount_;
    checkInvariants();
    return TakeLease(*this, takeFirst_, takeCount_);
}

FrameLease FrameRing::peekNewest() {
    platform::MutexLocker locker(mutex_);
    if (peekLeased_) throw std::logic_error("a second peek into the frame ring while one is leased");
    peekLeased_ = true;
    peekCount_ = head_ > oldest_ ? 1 : 0;
    peekAt_ = head_ - peekCount_;
    return FrameLease(*this, FrameLease::Reader::Peeker, peekAt_, peekCount_);
}

FrameStamp FrameRing::stampOf(std::uint64_t index) const {
    platform::MutexLocker locker(mutex_);
    return stamps_[index % slots_];
}

void FrameRing::release(const FrameLease& lease) noexcept {
    {
        platform::MutexLocker locker(mutex_);
        switch (lease.reader_) {
            case FrameLease::Reader::Taker:
                if (lease.committed_) {
                    taken_ += lease.count_;
                } else if (lease.count_ != 0) {
                    // Back to the frames available, but for those the producer dropped meanwhile.
                    const std::uint64_t first = lease.first_ > oldest_ ? lease.first_ : oldest_;
                    overwritten_ += first - lease.first_;
                    takeNext_ = first;
                }
                takeLeased_ = false;
                takeCount_ = 0;
                break;
            case FrameLease::Reader::Peeker:
                peekLeased_ = false;
                peekCount_ = 0;
                break;
            case FrameLease::Reader::Disk:
                if (lease.count_ == 0) break;
                diskLeased_ = false;
                if (lease.committed_) ++written_;
                break;
        }
        checkInvariants();
    }
    changed_.notifyAll();
}

bool FrameRing::waitAvailable(std::uint64_t count, std::chrono::steady_clock::time_point deadline) {
    platform::MutexLocker locker(mutex_);
    changed_.waitUntil(locker, deadline, [&]() QORIN_REQUIRES(mutex_) { return head_ - takeNext_ >= count || ended_; });
    return head_ - takeNext_ >= count;
}

DiskLease FrameRing::nextForDisk() {
    platform::MutexLocker locker(mutex_);
    if (diskLeased_) throw std::logic_error("a second disk lease from the frame ring while one is leased");
    changed_.wait(locker, [&]() QORIN_REQUIRES(mutex_) { return !disk_ || diskNext_ < head_ || ended_; });
    if (!disk_ || diskNext_ >= head_) return DiskLease(*this, head_, 0);
    diskLeased_ = true;
    diskAt_ = diskNext_++;
    checkInvariants();
    return DiskLease(*this, diskAt_, 1);
}

void FrameRing::detachDisk() {
    {
        platform::MutexLocker locker(mutex_);
        disk_ = false;
        diskLeased_ = false;
    }
    changed_.notifyAll();
}

FrameRing::Counts FrameRing::counts() const {
    platform::MutexLocker locker(mutex_);
    Counts counts;
    counts.acquired = head_;
    counts.missed = missed_;
    counts.taken = taken_;
    counts.available = head_ - takeNext_;
    counts.overwritten = overwritten_;
    counts.written = written_;
    counts.notWritten = notWritten_;
    counts.toWrite = disk_ ? head_ - diskNext_ + (diskLeased_ ? 1 : 0) : 0;
    return counts;
}

}  // namespace qorin
