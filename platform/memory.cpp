// memory.cpp - huge pages, resident pages, free memory and thread priority on Linux, Windows and other POSIX systems.
#include "platform/memory.h"

#include <cstdio>

#if defined(_WIN32)
#  include "platform/windows_api.h"
#else
#  include <sys/mman.h>
#  include <sys/resource.h>
#  include <unistd.h>
#  if defined(__linux__)
#    include <sys/syscall.h>
#  endif
#endif

namespace qorin::platform {
namespace {

std::uintptr_t pageSize() noexcept {
#if defined(_WIN32)
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
#else
    const long size = sysconf(_SC_PAGESIZE);
    return size > 0 && (size & (size - 1)) == 0 ? static_cast<std::uintptr_t>(size) : 4096;
#endif
}

#if defined(__linux__)
// Has Linux supply every page of the block in one call (5.14 on); older kernels refuse.
bool populate(void* data, std::size_t bytes) noexcept {
#  if defined(MADV_POPULATE_WRITE)
    constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#  else
    constexpr int kPopulateWrite = 23;  // Linux's value; older headers lack the name
#  endif
    const std::uintptr_t page = pageSize();
    const auto start = reinterpret_cast<std::uintptr_t>(data) & ~(page - 1);
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(data) + bytes;
    return madvise(reinterpret_cast<void*>(start), end - start, kPopulateWrite) == 0;
}
#endif

}  // namespace

void adviseHugePages(void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    if (data == nullptr || bytes < kHugePage) return;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (start + bytes) & ~(kHugePage - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

void prepareArrayMemory(void* data, std::size_t bytes) {
#if defined(__linux__)
    // Below this the array is a few pages, likely reused from the allocator already.
    constexpr std::size_t kPreparedBytes = std::size_t{256} << 10;
    if (data == nullptr || bytes < kPreparedBytes) return;
    // A fresh image array is mostly page faults; huge pages on its aligned middle make
    // filling it about twice as fast where the system grants them only on request.
    adviseHugePages(data, bytes);
    // All pages in one call instead of a fault per page in the middle of the transpose:
    // measured 10-26% off a copy into fresh memory.  Older kernels refuse the advice.
    populate(data, bytes);
#else
    (void)data;
    (void)bytes;
#endif
}

void makeResident(void* data, std::size_t bytes) noexcept {
    if (data == nullptr || bytes == 0) return;
    // One write a page, each fault taken here on the caller's thread rather than in the middle
    // of a frame.  Touched rather than populated in one call: on a block advised huge pages,
    // Linux's MADV_POPULATE_WRITE took 0.3-1.6 s a GiB where a write a page took 0.1-0.3 s.  A
    // block the system cannot back is refused before this, from the memory it says is available.
    const std::uintptr_t page = pageSize();
    auto* bytesAt = static_cast<volatile unsigned char*>(data);
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    for (std::uintptr_t offset = 0; offset < bytes; offset = (start + offset + page) / page * page - start) {
        bytesAt[offset] = 0;
    }
}

std::uint64_t physicalMemoryBytes() noexcept {
#if defined(_WIN32)
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    return GlobalMemoryStatusEx(&status) ? static_cast<std::uint64_t>(status.ullTotalPhys) : 0;
#else
    const long pages = sysconf(_SC_PHYS_PAGES);
    if (pages <= 0) return 0;
    return static_cast<std::uint64_t>(pages) * pageSize();
#endif
}

std::uint64_t availableMemoryBytes() noexcept {
#if defined(_WIN32)
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    return GlobalMemoryStatusEx(&status) ? static_cast<std::uint64_t>(status.ullAvailPhys) : 0;
#elif defined(__linux__)
    std::FILE* file = std::fopen("/proc/meminfo", "r");
    if (file == nullptr) return 0;
    char line[128];
    unsigned long long kib = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, file) != nullptr) {
        found = std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1;
    }
    std::fclose(file);
    return found ? static_cast<std::uint64_t>(kib) * 1024 : 0;
#else
    return 0;
#endif
}

void raiseThreadPriority() noexcept {
#if defined(_WIN32)
    // Allowed to every process: above its other threads, below the time-critical level.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
#elif defined(__linux__)
    // A thread's own nice value (Linux schedules threads by theirs).  Lowering it needs
    // privileges or a raised RLIMIT_NICE; a refusal leaves it as it was.
    constexpr int kRaised = -10;
    const auto thread = static_cast<id_t>(syscall(SYS_gettid));
    if (setpriority(PRIO_PROCESS, thread, kRaised) == 0) return;
    // RLIMIT_NICE lets an unprivileged thread go down to a nice value of 20 - limit.
    rlimit limit{};
    if (getrlimit(RLIMIT_NICE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur <= 20) return;
    const long lowest = 20 - static_cast<long>(limit.rlim_cur);
    setpriority(PRIO_PROCESS, thread, static_cast<int>(lowest > kRaised ? lowest : kRaised));
#endif
}

}  // namespace qorin::platform
