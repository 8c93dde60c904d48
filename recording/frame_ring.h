// frame_ring.h - a recording's raw frames in one allocation: one producer, a taker, a disk reader, and the frames they hold.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

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

// The frames of one recording, `capacity` of `frameBytes` each, in one allocation of
// capacity + 1 slots.  Frames are numbered by index, 0 for the first of the recording; frame i
// lives in slot i % (capacity + 1).
//
// One producer (the recording worker) puts frames; the taker (MATLAB's thread) takes the oldest
// ones in order or looks at the newest; an optional disk reader visits every frame in order.
// The frames held, as every count tells them, never number more than `capacity`: a frame the
// producer commits into a full ring drops the oldest one at once.  A frame a reader works on is
// pinned: dropped or not, its slot keeps its samples until the reader lets go, and the producer
// waits for that slot rather than write over it.  The spare slot is where the next frame lands
// while the frame dropped for it is still pinned.  Frames a reader has pinned to take or to
// write are no longer counted as waiting for it, so dropping them counts nothing as lost.
//
// Invariants (checked after every change in debug builds):
//   oldest <= next to take <= head,  oldest <= next for the disk <= head,
//   head - oldest <= capacity, and every frame put is taken, overwritten, available or being taken.
// Every member is safe to call from any of those threads.
class FrameRing {
public:
    struct Counts {
        std::uint64_t acquired = 0;     // frames put
        std::uint64_t taken = 0;        // frames the taker took
        std::uint64_t available = 0;    // frames held and not yet taken
        std::uint64_t overwritten = 0;  // frames overwritten before they were taken
        std::uint64_t notWritten = 0;   // frames overwritten before the disk reader reached them
        std::uint64_t toWrite = 0;      // frames held that the disk reader has still to write
    };
    // A run of frames pinned for the taker.
    struct Span {
        std::uint64_t first = 0;
        std::uint64_t count = 0;
    };

    // False, with nothing held, when the memory is not there or the size cannot be represented.
    bool allocate(std::uint64_t capacity, std::uint64_t frameBytes, WhenFull whenFull, bool diskReader) noexcept;
    // Has the system supply every page of the samples now (platform/memory.h), so that no
    // frame's write takes a page fault on the producer's thread; a block at a time, asking
    // `stop` between them (null: never stop).  False when `stop` said so.
    bool makeResident(bool (*stop)()) noexcept;
    std::uint64_t capacity() const { return capacity_; }
    std::uint64_t frameBytes() const { return frameBytes_; }

    // Producer.  The slot of the next frame, once no reader pins the frame that was in it: null
    // when the ring is full and ends the recording (WhenFull::Stop), or once closePuts was called.
    std::uint8_t* beginPut();
    // The frame begun is in its slot; `stamp` goes with it.  A ring that now holds more than its
    // capacity drops its oldest frame.
    void commitPut(const FrameStamp& stamp);
    // No frame will follow: waiting readers see the end.
    void finishPuts();
    // Makes a producer's beginPut, waiting or not, return null from now on.
    void closePuts();

    // Taker.  Pins up to `count` of the oldest frames not yet taken; they are no longer available
    // until unpinned without a take.
    Span pinOldest(std::uint64_t count);
    // Pins the newest frame (count 0 when there is none).
    Span pinNewest();
    const std::uint8_t* samples(std::uint64_t index) const { return slot(index); }
    FrameStamp stamp(std::uint64_t index) const;
    // Unpins the taker's span; `take` marks the frames of a pinOldest span taken, else they are
    // available again (those the producer dropped meanwhile counted as overwritten).
    void unpin(const Span& span, bool take);
    // Waits until `count` frames are available, the producer finished, or `deadline`; true
    // when they are available.
    bool waitAvailable(std::uint64_t count, std::chrono::steady_clock::time_point deadline);

    // Disk reader.  Waits for the next frame it has not visited and pins it; false once the
    // producer finished and every frame held was visited, or after detachDisk.
    bool nextForDisk(std::uint64_t& index);
    // The pinned frame was visited.
    void doneWithDisk(std::uint64_t index);
    // The disk reader stops for good: its frames are no longer held for it.
    void detachDisk();

    Counts counts() const;

private:
    std::uint8_t* slot(std::uint64_t index) const { return data_.get() + (index % slots_) * frameBytes_; }
    bool pinned(std::uint64_t index) const;
    // Lets the oldest frame go, counting it for the readers that were still to have it.
    void drop();
    bool neededByReaders(std::uint64_t index) const;
    void checkInvariants() const;

    std::unique_ptr<std::uint8_t[]> data_;
    std::unique_ptr<FrameStamp[]> stamps_;
    std::uint64_t capacity_ = 0;
    std::uint64_t slots_ = 0;
    std::uint64_t frameBytes_ = 0;
    WhenFull whenFull_ = WhenFull::Overwrite;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t head_ = 0;        // frames committed; the next frame's index
    std::uint64_t oldest_ = 0;      // oldest frame held
    std::uint64_t takeNext_ = 0;    // oldest frame neither taken nor pinned to be taken
    std::uint64_t diskNext_ = 0;    // next frame for the disk reader, past the one it writes
    bool disk_ = false;             // a disk reader visits the frames
    Span takerPin_;                 // frames pinned by the taker
    bool takerPinTakes_ = false;    // the taker's pin came from pinOldest
    bool diskPinned_ = false;       // the disk reader holds diskAt_
    std::uint64_t diskAt_ = 0;
    bool putsFinished_ = false;
    bool putsClosed_ = false;
    std::uint64_t taken_ = 0;
    std::uint64_t overwritten_ = 0;
    std::uint64_t notWritten_ = 0;
};

}  // namespace qorin
