// host_accounting.h - bytes alive in the host double's process: MATLAB arrays and the module's own allocations.
#pragma once

#include <cstddef>

#include "matrix.h"

namespace hostdouble {

// What one call through hostdouble::call() held.  All figures are bytes; `peak` is the
// largest number of bytes alive seen during the call (at every allocation, release and
// array creation or destruction, and at the end), so `peak - before` is what the call
// needed on top of what existed, and `peak - before - result` what it needed beyond the
// array it returned.
struct CallMemory {
    std::size_t before = 0;
    std::size_t peak = 0;
    std::size_t after = 0;
    std::size_t result = 0;  // data bytes of output slot 1 (nested arrays included)
    long long beyondResult() const {
        return static_cast<long long>(peak) - static_cast<long long>(before) - static_cast<long long>(result);
    }
};

const CallMemory& lastCallMemory();

// Bytes alive now: small blocks (module allocations and array data below kMappedBlockBytes)
// at their requested size; large blocks, which are mapped pages of their own, at the
// bytes of their resident pages, as the system counts them.  An array whose pages were
// never written costs nothing, as in MATLAB, until the module writes (or populates) them.
std::size_t bytesAlive();

// Data blocks from this size up get pages of their own (when residency is tracked).
constexpr std::size_t kMappedBlockBytes = std::size_t{64} << 10;

// True once the counting allocator (counting_new.cpp) is linked in: the module's own
// allocations are then counted and array data is tracked by residency.  Without it only
// array data is counted, at its requested size.
bool moduleAllocationsCounted();

// Off: bytes are still counted but the per-call peak is the larger of before and after
// (for timing runs, where sampling every event would cost more than the command).
void setPeakSampling(bool on);

// Off: new blocks of any size come from malloc and count at their requested size, as in a
// plain process whose allocator reuses freed memory (for timing runs).  Blocks keep the way
// they were allocated until released.
void setLargeBlocksMapped(bool on);

namespace accounting {

// Used by the host double and by the counting allocator.
void* allocateBlock(std::size_t bytes, std::size_t alignment, bool zeroed);
void releaseBlock(void* data) noexcept;
// Array data: tracked blocks when residency is tracked, otherwise malloc'd at exactly
// `bytes` (so AddressSanitizer sees a read one element too far).
void* allocateArrayData(std::size_t bytes, bool zeroed);
void releaseArrayData(void* data, std::size_t bytes) noexcept;
// A point where the bytes alive may have peaked.
void sample() noexcept;
void beginCall();
void endCall(const mxArray* result);
void enableResidencyTracking();

}  // namespace accounting
}  // namespace hostdouble
