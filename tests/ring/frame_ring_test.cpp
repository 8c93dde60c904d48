// frame_ring_test.cpp - the recording ring's rules, one step at a time: counts, leases, overwrite, stop when full, the disk reader.
//
// Built with the ring's invariant checks on: a step that breaks one ends the program.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>
#include <utility>
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

// The sequence written into frame k of the lease.
std::uint64_t content(const FrameLease& lease, std::uint64_t k) {
    std::uint64_t sequence = 0;
    std::memcpy(&sequence, lease.samples(k), sizeof sequence);
    return sequence;
}

// A take committed at once.
void take(FrameRing& ring, std::uint64_t count) { ring.takeOldest(count).commit(); }

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
    // 1 put, 2 refused, once the put has ended; 0 when it still waits after a few seconds
    // (a loaded machine may take longer than state()'s pause to finish a put it woke).
    int outcome() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (done_ == 0 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return done_;
    }

private:
    std::atomic<int> done_{0};
    std::thread thread_;
};

TEST(FrameRing, OverwriteKeepsTheCapacityWhileLeasedFramesKeepTheirSamples) {
    FrameRing ring;
    ASSERT_TRUE(ring.allocate(2, kFrameBytes, WhenFull::Overwrite, false));
    for (std::uint64_t s = 1; s <= 3; ++s) ASSERT_TRUE(put(ring, s));
    EXPECT_EQ(counts(ring), (std::vector<std::uint64_t>{3, 0, 2, 1, 0, 0}));

    // A take in progress: its frames leave the available ones at once.  The producer may drop
    // them meanwhile (nothing counted as lost: they are being taken), but not write over them.
    {
        TakeLease span = ring.takeOldest(5);
        EXPECT_EQ(content(span, 0), 2u);  // index 1
        EXPECT_EQ(span.count(), 2u);
        ASSERT_TRUE(put(ring, 4));  // into the spare slot, dropping frame 2 (index 1)
        EXPECT_EQ(counts(ring), (std::vector<std::uint64_t>{4, 0, 1, 1, 0, 0}));
        PutInBackground fifth(ring, 5);  // its slot is frame index 1's, still leased
        EXPECT_EQ(fifth.state(), 0);
        EXPECT_EQ(content(span, 0), 2u);
        EXPECT_EQ(content(span, 1), 3u);
        span.commit();
        { TakeLease released = std::move(span); }
        EXPECT_EQ(fifth.outcome(), 1);
    }
    // Frames 4 and 5 are held: never more than the capacity, every frame counted once.
    EXPECT_EQ(counts(ring), (std::vector<std::uint64_t>{5, 2, 2, 1, 0, 0}));

    // A take that fails puts its frames back, less those dropped meanwhile, which were lost.
    {
        const TakeLease again = ring.takeOldest(2);
        ASSERT_TRUE(put(ring, 6));
    }
    EXPECT_EQ(counts(ring), (std::vector<std::uint64_t>{6, 2, 2, 2, 0, 0}));
    {
        TakeLease rest = ring.takeOldest(9);
        EXPECT_EQ(content(rest, 0), 5u);
        rest.commit();
    }

    // A peek holds the newest frame's samples, takes nothing and counts nothing.
    {
        const FrameLease newest = ring.peekNewest();
        EXPECT_EQ(content(newest, 0), 6u);
        ASSERT_TRUE(put(ring, 7));
        ASSERT_TRUE(put(ring, 8));
        EXPECT_EQ(counts(ring)[2], 2u);
        EXPECT_EQ(content(newest, 0), 6u);
    }
    EXPECT_EQ(counts(ring), (std::vector<std::uint64_t>{8, 4, 2, 2, 0, 0}));
}

TEST(FrameRing, OneFrameRingWithAPeekNeverHoldsTwo) {
    FrameRing ring;
    ASSERT_TRUE(ring.allocate(1, kFrameBytes, WhenFull::Overwrite, false));
    ASSERT_TRUE(put(ring, 1));
    const FrameLease peek = ring.peekNewest();
    ASSERT_TRUE(put(ring, 2));
    EXPECT_EQ(counts(ring)[2], 1u);
    TakeLease take = ring.takeOldest(5);
    EXPECT_EQ(take.count(), 1u);
    EXPECT_EQ(content(take, 0), 2u);
    EXPECT_EQ(content(peek, 0), 1u);
    take.commit();
}

TEST(FrameRing, StopWhenFullEndsOnlyOnFramesAReaderStillNeeds) {
    FrameRing ring;
    ASSERT_TRUE(ring.allocate(2, kFrameBytes, WhenFull::Stop, true));
    ASSERT_TRUE(put(ring, 1));
    ASSERT_TRUE(put(ring, 2));
    EXPECT_FALSE(put(ring, 3));  // neither taken nor written
    take(ring, 1);
    EXPECT_FALSE(put(ring, 3));  // taken, not yet written
    {
        DiskLease disk = ring.nextForDisk();
        ASSERT_EQ(disk.count(), 1u);
        EXPECT_EQ(content(disk, 0), 1u);  // index 0
        EXPECT_EQ(counts(ring)[5], 2u);
        ASSERT_TRUE(put(ring, 3));  // frame 1 is being written: it may go, its slot stays
        disk.commit();
    }
    EXPECT_EQ(counts(ring), (std::vector<std::uint64_t>{3, 1, 2, 0, 0, 2}));
}

TEST(FrameRing, TheDiskReaderVisitsEveryFrameHeldAndCountsThoseItMissed) {
    FrameRing ring;
    ASSERT_TRUE(ring.allocate(2, kFrameBytes, WhenFull::Overwrite, true));
    for (std::uint64_t s = 1; s <= 3; ++s) ASSERT_TRUE(put(ring, s));
    {
        DiskLease disk = ring.nextForDisk();
        ASSERT_EQ(disk.count(), 1u);
        EXPECT_EQ(content(disk, 0), 2u);  // frame 1 went before the disk reached it
        ASSERT_TRUE(put(ring, 4));        // drops frame 2, being written: not lost for the disk
        EXPECT_EQ(content(disk, 0), 2u);
        disk.commit();
    }
    EXPECT_EQ(counts(ring), (std::vector<std::uint64_t>{4, 0, 2, 2, 1, 2}));
    ring.announceEnd();
    std::vector<std::uint64_t> written;
    for (;;) {
        DiskLease disk = ring.nextForDisk();
        if (disk.count() == 0) break;
        written.push_back(content(disk, 0));
        disk.commit();
    }
    EXPECT_EQ(written, (std::vector<std::uint64_t>{3, 4}));
    EXPECT_EQ(counts(ring)[5], 0u);

    // A reader that stops for good holds nothing back any more.
    FrameRing detached;
    ASSERT_TRUE(detached.allocate(1, kFrameBytes, WhenFull::Stop, true));
    ASSERT_TRUE(put(detached, 1));
    take(detached, 1);
    EXPECT_FALSE(put(detached, 2));
    detached.detachDisk();
    EXPECT_TRUE(put(detached, 2));
}

TEST(FrameRing, RefusingPutsWakesAProducerWaitingForALeasedSlot) {
    FrameRing ring;
    ASSERT_TRUE(ring.allocate(1, kFrameBytes, WhenFull::Overwrite, false));
    ASSERT_TRUE(put(ring, 1));
    TakeLease span = ring.takeOldest(1);
    ASSERT_TRUE(put(ring, 2));
    PutInBackground third(ring, 3);
    EXPECT_EQ(third.state(), 0);
    ring.refusePuts();
    EXPECT_EQ(third.outcome(), 2);
    span.commit();
}

}  // namespace
}  // namespace qorin
