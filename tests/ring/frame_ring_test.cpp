// frame_ring_test.cpp - the recording ring's rules, one step at a time: counts, pins, overwrite, stop when full, the disk reader.
//
// Built with the ring's invariant checks on: a step that breaks one ends the program.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "recording/frame_ring.h"

namespace qorin {
namespace {

constexpr std::uint64_t kFrameBytes = 64;

// Puts frame `sequence` (its number written into its samples); false when the ring refused it.
bool put(FrameRing& ring, std::uint64_t sequence) {
    std::uint8_t* slot = ring.beginPut();
    if (slot == nullptr) return false;
    std::memcpy(slot, &sequence, sizeof sequence);
    ring.commitPut(FrameStamp{sequence, 0.0, 0});
    return true;
}

std::uint64_t content(const FrameRing& ring, std::uint64_t index) {
    std::uint64_t sequence = 0;
    std::memcpy(&sequence, ring.samples(index), sizeof sequence);
    return sequence;
}

// Counts as acquired, taken, available, overwritten, notWritten, toWrite.
std::vector<std::uint64_t> counts(const FrameRing& ring) {
    const FrameRing::Counts c = ring.counts();
    return {c.acquired, c.taken, c.available, c.overwritten, c.notWritten, c.toWrite};
}

// A producer's put on another thread, to see whether it waits.
class PutInBackground {
public:
    PutInBackground(FrameRing& ring, std::uint64_t sequence)
        : thread_([this, &ring, sequence] { done_ = put(ring, sequence) ? 1 : 2; }) {}
    ~PutInBackground() { thread_.join(); }
    // 0 still waiting, 1 put, 2 refused; after a pause long enough for an unhindered put.
    int state() {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return done_;
    }

private:
    std::atomic<int> done_{0};
    std::thread thread_;
};

TEST(FrameRing, OverwriteKeepsTheCapacityWhilePinnedFramesKeepTheirSamples) {
    FrameRing ring;
    ASSERT_TRUE(ring.allocate(2, kFrameBytes, WhenFull::Overwrite, false));
    for (std::uint64_t s = 1; s <= 3; ++s) ASSERT_TRUE(put(ring, s));
    EXPECT_EQ(counts(ring), (std::vector<std::uint64_t>{3, 0, 2, 1, 0, 0}));

    // A take in progress: its frames leave the available ones at once.  The producer may drop
    // them meanwhile (nothing counted as lost: they are being taken), but not write over them.
    const FrameRing::Span span = ring.pinOldest(5);
    EXPECT_EQ(span.first, 1u);
    EXPECT_EQ(span.count, 2u);
    ASSERT_TRUE(put(ring, 4));  // into the spare slot, dropping frame 2 (index 1)
    EXPECT_EQ(counts(ring), (std::vector<std::uint64_t>{4, 0, 1, 1, 0, 0}));
    {
        PutInBackground fifth(ring, 5);  // its slot is frame index 1's, still pinned
        EXPECT_EQ(fifth.state(), 0);
        EXPECT_EQ(content(ring, 1), 2u);
        EXPECT_EQ(content(ring, 2), 3u);
        ring.unpin(span, true);
        EXPECT_EQ(fifth.state(), 1);
    }
    // Frames 4 and 5 are held: never more than the capacity, every frame counted once.
    EXPECT_EQ(counts(ring), (std::vector<std::uint64_t>{5, 2, 2, 1, 0, 0}));

    // A take that fails puts its frames back, less those dropped meanwhile, which were lost.
    const FrameRing::Span again = ring.pinOldest(2);
    ASSERT_TRUE(put(ring, 6));
    ring.unpin(again, false);
    EXPECT_EQ(counts(ring), (std::vector<std::uint64_t>{6, 2, 2, 2, 0, 0}));
    const FrameRing::Span rest = ring.pinOldest(9);
    EXPECT_EQ(content(ring, rest.first), 5u);
    ring.unpin(rest, true);

    // A peek holds the newest frame's samples, takes nothing and counts nothing.
    const FrameRing::Span newest = ring.pinNewest();
    EXPECT_EQ(content(ring, newest.first), 6u);
    ASSERT_TRUE(put(ring, 7));
    ASSERT_TRUE(put(ring, 8));
    EXPECT_EQ(counts(ring)[2], 2u);
    EXPECT_EQ(content(ring, newest.first), 6u);
    ring.unpin(newest, false);
    EXPECT_EQ(counts(ring), (std::vector<std::uint64_t>{8, 4, 2, 2, 0, 0}));
}

TEST(FrameRing, OneFrameRingWithAPeekNeverHoldsTwo) {
    FrameRing ring;
    ASSERT_TRUE(ring.allocate(1, kFrameBytes, WhenFull::Overwrite, false));
    ASSERT_TRUE(put(ring, 1));
    const FrameRing::Span peek = ring.pinNewest();
    ASSERT_TRUE(put(ring, 2));
    EXPECT_EQ(counts(ring)[2], 1u);
    const FrameRing::Span take = ring.pinOldest(5);
    EXPECT_EQ(take.count, 1u);
    EXPECT_EQ(content(ring, take.first), 2u);
    EXPECT_EQ(content(ring, peek.first), 1u);
    ring.unpin(take, true);
}

TEST(FrameRing, StopWhenFullEndsOnlyOnFramesAReaderStillNeeds) {
    FrameRing ring;
    ASSERT_TRUE(ring.allocate(2, kFrameBytes, WhenFull::Stop, true));
    ASSERT_TRUE(put(ring, 1));
    ASSERT_TRUE(put(ring, 2));
    EXPECT_FALSE(put(ring, 3));  // neither taken nor written
    ring.unpin(ring.pinOldest(1), true);
    EXPECT_FALSE(put(ring, 3));  // taken, not yet written
    std::uint64_t index = 9;
    ASSERT_TRUE(ring.nextForDisk(index));
    EXPECT_EQ(index, 0u);
    EXPECT_EQ(counts(ring)[5], 2u);
    ASSERT_TRUE(put(ring, 3));  // frame 1 is being written: it may go, its slot stays
    ring.doneWithDisk(index);
    EXPECT_EQ(counts(ring), (std::vector<std::uint64_t>{3, 1, 2, 0, 0, 2}));
}

TEST(FrameRing, TheDiskReaderVisitsEveryFrameHeldAndCountsThoseItMissed) {
    FrameRing ring;
    ASSERT_TRUE(ring.allocate(2, kFrameBytes, WhenFull::Overwrite, true));
    for (std::uint64_t s = 1; s <= 3; ++s) ASSERT_TRUE(put(ring, s));
    std::uint64_t index = 0;
    ASSERT_TRUE(ring.nextForDisk(index));
    EXPECT_EQ(content(ring, index), 2u);  // frame 1 went before the disk reached it
    ASSERT_TRUE(put(ring, 4));            // drops frame 2, being written: not lost for the disk
    EXPECT_EQ(content(ring, index), 2u);
    ring.doneWithDisk(index);
    EXPECT_EQ(counts(ring), (std::vector<std::uint64_t>{4, 0, 2, 2, 1, 2}));
    ring.finishPuts();
    std::vector<std::uint64_t> written;
    while (ring.nextForDisk(index)) {
        written.push_back(content(ring, index));
        ring.doneWithDisk(index);
    }
    EXPECT_EQ(written, (std::vector<std::uint64_t>{3, 4}));
    EXPECT_EQ(counts(ring)[5], 0u);

    // A reader that stops for good holds nothing back any more.
    FrameRing detached;
    ASSERT_TRUE(detached.allocate(1, kFrameBytes, WhenFull::Stop, true));
    ASSERT_TRUE(put(detached, 1));
    detached.unpin(detached.pinOldest(1), true);
    EXPECT_FALSE(put(detached, 2));
    detached.detachDisk();
    EXPECT_TRUE(put(detached, 2));
}

TEST(FrameRing, ClosingWakesAProducerWaitingForAPinnedSlot) {
    FrameRing ring;
    ASSERT_TRUE(ring.allocate(1, kFrameBytes, WhenFull::Overwrite, false));
    ASSERT_TRUE(put(ring, 1));
    const FrameRing::Span span = ring.pinOldest(1);
    ASSERT_TRUE(put(ring, 2));
    PutInBackground third(ring, 3);
    EXPECT_EQ(third.state(), 0);
    ring.closePuts();
    EXPECT_EQ(third.state(), 2);
    ring.unpin(span, true);
}

}  // namespace
}  // namespace qorin
