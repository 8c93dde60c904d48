// frame_ring.h - a recording's raw frames in one allocation: one producer, a taker and a disk reader, who read frames only under leases.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/thread_safety.h"

namespace qorin {

// What a recording knows of a frame beside its samples.
struct FrameStamp {
    std::uint64_t sequence = 0;  // 1 for the first frame of the recording
    double timestamp = 0.0;      // seconds from the start of the recording to the frame's arrival
    std::uint32_t missed = 0;    // frames the camera delivered just before this one that were lost
};

// What a full ring does with the next frame.
enum class WhenFull : std::uint8_t {
    Overwrite,  // the oldest frame makes room (counted when nobody had it yet)
    Stop,       // the recording ends
};

class FrameRing;

// Frames a reader holds in a ring: their samples stay where they are, whatever the producer
// does meanwhile, until the lease goes and gives them back.  A lease moved from holds nothing.
class FrameLease {
public:
    FrameLease(FrameLease&& other) noexcept;
    FrameLease& operator=(FrameLease&&) = delete;
    ~FrameLease();

    // Frames held, oldest first.
    std::uint64_t count() const { return count_; }
    // The samples and the stamp of frame k of the lease (k < count).
    const std::uint8_t* samples(std::uint64_t k) const;
    FrameStamp stamp(std::uint64_t k) const;

protected:
    enum class Reader : std::uint8_t { Taker, Peeker, Disk };
    FrameLease(FrameRing& ring, Reader reader, std::uint64_t first, std::uint64_t count)
        : ring_(&ring), reader_(reader), first_(first), count_(count) {}

    FrameRing* ring_;
    Reader reader_;
    std::uint64_t first_;
    std::uint64_t count_;
    bool committed_ = false;

private:
    friend class FrameRing;
};

// The taker's lease on the oldest frames not yet taken: committed, they are taken when it goes;
// otherwise they are available again (less those the producer dropped meanwhile, which count as
// overwritten).
class TakeLease final : public FrameLease {
public:
    void commit() noexcept { committed_ = true; }

private:
    friend class FrameRing;
    TakeLease(FrameRing& ring, std::uint64_t first, std::uint64_t count)
        : FrameLease(ring, Reader::Taker, first, count) {}
};

// The disk reader's lease on the next frame it has not visited: committed once written, it
// counts as written when it goes.
class DiskLease final : public FrameLease {
public:
    void commit() noexcept { committed_ = true; }

private:
    friend class FrameRing;
    DiskLease(FrameRing& ring, std::uint64_t first, std::uint64_t count) : FrameLease(ring, Reader::Disk, first, count) {}
};

// The frames of one recording, `capacity` of `frameBytes` each, in one allocation of
// capacity + 1 slots.  Frames are numbered by index, 0 for the first of the recording; frame i
// lives in slot i % (capacity + 1).
//
// One producer (the recording worker) puts frames: beginPut, the samples written into the slot,
// commitPut.  Readers see frames only under leases, each given back when it goes:
//   takeOldest(n)  the taker (MATLAB's thread) takes up to n of the oldest frames, in order;
//   peekNewest()   the taker looks at the newest frame without taking it;
//   nextForDisk()  the disk reader (the writer thread) visits every frame once, in order.
// A reader holds at most one lease of each kind at a time.  The frames held, as every count
// tells them, never number more than `capacity`: a frame the producer commits into a full ring
// drops the oldest one at once.  A leased frame keeps its samples, dropped or not: the producer
// waits for its slot rather than write over it, and the spare slot is where the next frame lands
// while the frame dropped for it is still leased.  Frames leased to take or to write no longer
// wait for that reader, so dropping them counts nothing as lost.
//
// Invariants, checked after every change in debug and harness builds (checkInvariants):
//   oldest <= next to take <= head,  oldest <= next for the disk <= head,  head - oldest <= capacity,
//   and every frame put is taken, overwritten, available or being taken.
// Every member is safe to call from any of those threads.
class FrameRing {
public:
    struct Counts {
        std::uint64_t acquired = 0;     // frames put
        std::uint64_t missed = 0;       // frames the camera delivered that the producer lost (the stamps' sum)
        std::uint64_t taken = 0;        // frames the taker took
        std::uint64_t available = 0;    // frames held and not yet taken
        std::uint64_t overwritten = 0;  // frames overwritten before they were taken
        std::uint64_t written = 0;      // frames the disk reader committed
        std::uint64_t notWritten = 0;   // frames overwritten before the disk reader reached them
        std::uint64_t toWrite = 0;      // frames held that the disk reader has still to write
    };

    // False, with nothing held, when the memory is not there or the size cannot be represented.
    bool allocate(std::uint64_t capacity, std::uint64_t frameBytes, WhenFull whenFull, bool diskReader) noexcept;
    // Has the system supply every page of the samples now (platform/memory.h), so that no
    // frame's write takes a page fault on the producer's thread; a block at a time, asking
    // `stop` between them (null: never stop).  False when `stop` said so.
    bool makeResident(bool (*stop)()) noexcept;
    std::uint64_t capacity() const { return capacity_; }
    std::uint64_t frameBytes() const { return frameBytes_; }

    // Producer.  The slot of the next frame, once no reader leases the frame that was in it: null
    // when the ring is full and ends the recording (WhenFull::Stop), or once puts are refused.
    std::uint8_t* beginPut() QORIN_EXCLUDES(mutex_);
    // The frame begun is in its slot; `stamp` goes with it.  A ring that now holds more than its
    // capacity drops its oldest frame.
    void commitPut(const FrameStamp& stamp) QORIN_EXCLUDES(mutex_);
    // The producer's last word: no frame follows, and readers waiting for one see the end.
    void announceEnd() QORIN_EXCLUDES(mutex_);
    // From anyone: the producer's beginPut, waiting or not, returns null from now on.
    void refusePuts() QORIN_EXCLUDES(mutex_);

    // Taker.  Up to `count` of the oldest frames not yet taken; they are no longer available
    // while leased.
    TakeLease takeOldest(std::uint64_t count) QORIN_EXCLUDES(mutex_);
    // The newest frame (none before the first).
    FrameLease peekNewest() QORIN_EXCLUDES(mutex_);
    // Waits until `count` frames are available, the producer announced its end, or `deadline`;
    // true when they are available.
    bool waitAvailable(std::uint64_t count, std::chrono::steady_clock::time_point deadline) QORIN_EXCLUDES(mutex_);

    // Disk reader.  Waits for the next frame it has not visited; none once the producer announced
    // its end and every frame held was visited, or after detachDisk.
    DiskLease nextForDisk() QORIN_EXCLUDES(mutex_);
    // The disk reader stops for good: its frames are no longer held for it.
    void detachDisk() QORIN_EXCLUDES(mutex_);

    Counts counts() const QORIN_EXCLUDES(mutex_);

private:
    friend class FrameLease;

    std::uint8_t* slot(std::uint64_t index) const { return data_.get() + (index % slots_) * frameBytes_; }
    FrameStamp stampOf(std::uint64_t index) const QORIN_EXCLUDES(mutex_);
    // Gives back what a lease holds, as its kind and commit say.
    void release(const FrameLease& lease) noexcept QORIN_EXCLUDES(mutex_);
    bool leased(std::uint64_t index) const QORIN_REQUIRES(mutex_);
    // Lets the oldest frame go, counting it for the readers that were still to have it.
    void drop() QORIN_REQUIRES(mutex_);
    bool neededByReaders(std::uint64_t index) const QORIN_REQUIRES(mutex_);
    void checkInvariants() const QORIN_REQUIRES(mutex_);

    // Fixed once allocated, before any other thread sees the ring.  The samples are the
    // producer's and the lease holders', by the rule of leases; the stamps go with the mutex.
    std::unique_ptr<std::uint8_t[]> data_;
    std::unique_ptr<FrameStamp[]> stamps_ QORIN_GUARDED_BY(mutex_);
    std::uint64_t capacity_ = 0;
    std::uint64_t slots_ = 0;
    std::uint64_t frameBytes_ = 0;
    WhenFull whenFull_ = WhenFull::Overwrite;

    mutable platform::Mutex mutex_;
    platform::ConditionVariable changed_;
    std::uint64_t head_ QORIN_GUARDED_BY(mutex_) = 0;      // frames committed; the next frame's index
    std::uint64_t oldest_ QORIN_GUARDED_BY(mutex_) = 0;    // oldest frame held
    std::uint64_t takeNext_ QORIN_GUARDED_BY(mutex_) = 0;  // oldest frame neither taken nor leased to be taken
    std::uint64_t diskNext_ QORIN_GUARDED_BY(mutex_) = 0;  // next frame for the disk reader, past the one it writes
    bool disk_ QORIN_GUARDED_BY(mutex_) = false;           // a disk reader visits the frames
    // The leases out: the taker's take [takeFirst_, takeFirst_ + takeCount_), its peek at
    // peekAt_ (when peekCount_ is 1), the disk reader's frame diskAt_.
    bool takeLeased_ QORIN_GUARDED_BY(mutex_) = false;
    std::uint64_t takeFirst_ QORIN_GUARDED_BY(mutex_) = 0;
    std::uint64_t takeCount_ QORIN_GUARDED_BY(mutex_) = 0;
    bool peekLeased_ QORIN_GUARDED_BY(mutex_) = false;
    std::uint64_t peekAt_ QORIN_GUARDED_BY(mutex_) = 0;
    std::uint64_t peekCount_ QORIN_GUARDED_BY(mutex_) = 0;
    bool diskLeased_ QORIN_GUARDED_BY(mutex_) = false;
    std::uint64_t diskAt_ QORIN_GUARDED_BY(mutex_) = 0;
    bool ended_ QORIN_GUARDED_BY(mutex_) = false;
    bool putsRefused_ QORIN_GUARDED_BY(mutex_) = false;
    std::uint64_t missed_ QORIN_GUARDED_BY(mutex_) = 0;
    std::uint64_t taken_ QORIN_GUARDED_BY(mutex_) = 0;
    std::uint64_t overwritten_ QORIN_GUARDED_BY(mutex_) = 0;
    std::uint64_t written_ QORIN_GUARDED_BY(mutex_) = 0;
    std::uint64_t notWritten_ QORIN_GUARDED_BY(mutex_) = 0;
};

}  // namespace qorin
