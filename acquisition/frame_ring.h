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

// The frames of one recording, `capacity` of `frameBytes` each, allocated once with one slot
// more, where the next frame lands while the oldest is still held.  Frames are numbered by
// index, 0 for the first of the recording; frame i lives in slot i % (capacity + 1).
// One producer (the recording worker) puts frames; the taker (MATLAB's thread) takes the
// oldest ones in order or looks at the newest; an optional disk reader visits every frame
// in order.  Frames a reader works on are pinned: the producer waits rather than overwrite
// them.  Every member is safe to call from any of those threads.
class FrameRing {
public:
    struct Counts {
        std::uint64_t acquired = 0;     // frames put
        std::uint64_t taken = 0;        // frames the taker took
        std::uint64_t available = 0;    // frames held and not yet taken
        std::uint64_t overwritten = 0;  // frames overwritten before they were taken
        std::uint64_t notWritten = 0;   // frames overwritten before the disk reader reached them
    };
    // A run of frames pinned for the taker.
    struct Span {
        std::uint64_t first = 0;
        std::uint64_t count = 0;
    };

    // False, with nothing held, when the memory is not there or the size cannot be represented.
    bool allocate(std::uint64_t capacity, std::uint64_t frameBytes, WhenFull whenFull, bool diskReader) noexcept;
    std::uint64_t capacity() const { return capacity_; }
    std::uint64_t frameBytes() const { return frameBytes_; }

    // Producer.  The slot of the next frame: null when the ring is full and ends the recording
    // (WhenFull::Stop), or once closePuts was called.  A full ring in Overwrite gives up its
    // oldest frame when the next is committed; should that frame have been pinned then, the
    // next beginPut waits for it.
    std::uint8_t* beginPut();
    // The frame begun is in its slot; `stamp` goes with it.
    void commitPut(const FrameStamp& stamp);
    // During the first lap, has the system supply the next slot's pages now, while the camera
    // makes the next frame, rather than fault them in one by one under the frame's write.
    void prepareNextSlot();
    // No frame will follow: waiting readers see the end.
    void finishPuts();
    // Makes a producer's beginPut, waiting or not, return null from now on.
    void closePuts();

    // Taker.  Pins up to `count` of the oldest frames not yet taken.
    Span pinOldest(std::uint64_t count);
    // Pins the newest frame (count 0 when there is none).
    Span pinNewest();
    const std::uint8_t* samples(std::uint64_t index) const { return slot(index); }
    FrameStamp stamp(std::uint64_t index) const;
    // Unpins the span; `take` marks its frames taken (the span came from pinOldest).
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
    // Lets the oldest frame go, counting it for the readers that had not had it.
    void drop();
    bool neededByReaders(std::uint64_t index) const;

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
    std::uint64_t takeNext_ = 0;    // oldest frame not yet taken
    std::uint64_t diskNext_ = 0;    // next frame for the disk reader
    bool disk_ = false;             // a disk reader visits the frames
    Span takerPin_;                 // frames pinned by the taker
    bool diskPinned_ = false;       // the disk reader holds diskNext_
    bool putsFinished_ = false;
    bool putsClosed_ = false;
    std::uint64_t taken_ = 0;
    std::uint64_t overwritten_ = 0;
    std::uint64_t notWritten_ = 0;
};

}  // namespace qorin
