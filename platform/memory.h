// memory.h - what large buffers and busy threads ask of the system: huge pages, resident pages, free memory, priority.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qorin::platform {

// Readies [data, data + bytes), freshly allocated and about to be written in full, for a
// transposing copy: huge pages advised on its 2 MiB-aligned middle, and every page supplied
// by the system at once.  Filled in column order, a fresh array otherwise takes its page
// faults one by one in the middle of the copy.  Advice only (Linux): failure, an older
// kernel or another system changes nothing but the speed.
void prepareArrayMemory(void* data, std::size_t bytes);

// Advises huge pages on the 2 MiB-aligned middle of [data, data + bytes), a large block to be
// written in full: where the system grants them only on request, supplying its pages then
// takes a fault per 2 MiB instead of per 4 KiB page.  Advice only (Linux); nothing is supplied
// until written or made resident.
void adviseHugePages(void* data, std::size_t bytes);

// Has the system supply every page of [data, data + bytes) now, so that later writes take no
// page fault: a worker that keeps pace with a camera cannot afford one (the kernel zeroing a
// page, the address-space lock the host's own allocations take).  The caller makes sure the
// memory is there first (availableMemoryBytes): a system that cannot back the block may end
// the process rather than refuse.
void makeResident(void* data, std::size_t bytes) noexcept;

// Physical memory of the machine in bytes, or 0 when it cannot be told.  Linux grants
// allocations it cannot back, so a capture that could never fit must be refused up front
// rather than left to fill the memory of the user's session.
std::uint64_t physicalMemoryBytes() noexcept;

// Physical memory the system can give now without paging anything out (Linux: MemAvailable;
// Windows: the available physical memory), or 0 when it cannot be told.
std::uint64_t availableMemoryBytes() noexcept;

// Raises the calling thread's scheduling priority as far as the system allows without
// privileges, or a little when it has them; nothing when it refuses.
void raiseThreadPriority() noexcept;

}  // namespace qorin::platform
