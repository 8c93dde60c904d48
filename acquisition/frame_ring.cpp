// frame_ring.cpp - the ring's cursors, pins and waits.
#include "acquisition/frame_ring.h"

#include <limits>
#include <new>

#include "platform/mex_host.h"

namespace qorin {

bool FrameRing::allocate(std::uint64_t capacity, std::uint64_t frameBytes, WhenFull whenFull, bool diskReader) noexcept {
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max());
    // One slot more than the frames held: the next frame goes into it while the oldest stays.
    if (capacity == 0 || frameBytes == 0 || capacity >= limit / frameBytes - 1) return false;
    const std::uint64_t slots = capacity + 1;
    if (slots > limit / sizeof(FrameStamp)) return false;
    // The samples are left untouched: the pages come to the process as frames first land in them.
    data_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(slots * frameBytes)]);
    stamps_.reset(new (std::nothrow) FrameStamp[static_cast<std::size_t>(slots)]);
    if (data_ == nullptr || stamps_ == nullptr) {
        data_.reset();
        stamps_.reset();
        return false;
    }
    // Huge pages where the system grants them on request: the first lap then takes a fault
    // per 2 MiB instead of per 4 KiB, which at 2048x1536 cut a frame's first put from 16-46x
    // a memcpy (a 60 fps camera missed frames) to a few times.
    host::adviseHugePages(data_.get(), static_cast<std::size_t>(slots * frameBytes));
    capacity_ = capacity;
    slots_ = slots;
    frameBytes_ = frameBytes;
    whenFull_ = whenFull;
    disk_ = diskReader;
    host::prepareArrayMemory(data_.get(), static_cast<std::size_t>(frameBytes));
    return true;
}

bool FrameRing::pinned(std::uint64_t index) const {
    const bool byTaker = index >= takerPin_.first && index - takerPin_.first < takerPin_.count;
    return byTaker || (diskPinned_ && index == diskNext_);
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

std::uint8_t* FrameRing::beginPut() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (putsClosed_) return nullptr;
        const std::uint64_t held = head_ - oldest_;
        if (held < capacity_) break;
        if (whenFull_ == WhenFull::Stop) {
            // Frames every reader is done with make room; any other ends the recording.
            if (neededByReaders(oldest_)) return nullptr;
            ++oldest_;
            continue;
        }
        // Full, the spare slot free: the oldest frame goes when this one is committed.
        if (held == capacity_) break;
        // The oldest frame outstayed its commit because it was pinned, and its slot is next.
        if (pinned(oldest_)) {
            changed_.wait(lock);
            continue;
        }
        drop();
    }
    return slot(head_);
}

void FrameRing::commitPut(const FrameStamp& stamp) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stamps_[head_ % slots_] = stamp;
        ++head_;
        // Dropped with the commit, so that the frames available never shrink but by a take.
        if (head_ - oldest_ > capacity_ && !pinned(oldest_)) drop();
    }
    changed_.notify_all();
}

void FrameRing::prepareNextSlot() {
    std::uint64_t next = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        next = head_;
    }
    if (next < slots_) host::prepareArrayMemory(slot(next), static_cast<std::size_t>(frameBytes_));
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
    return takerPin_;
}

FrameRing::Span FrameRing::pinNewest() {
    std::lock_guard<std::mutex> lock(mutex_);
    takerPin_ = head_ > oldest_ ? Span{head_ - 1, 1} : Span{head_, 0};
    return takerPin_;
}

FrameStamp FrameRing::stamp(std::uint64_t index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stamps_[index % slots_];
}

void FrameRing::unpin(const Span& span, bool take) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // Pinned frames were not overwritten, so the oldest untaken frame is still the span's first.
        if (take && span.count != 0) {
            takeNext_ = span.first + span.count;
            taken_ += span.count;
        }
        takerPin_ = Span{};
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
    index = diskNext_;
    return true;
}

void FrameRing::doneWithDisk(std::uint64_t index) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        diskPinned_ = false;
        diskNext_ = index + 1;
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
    return counts;
}

}  // namespace qorin
