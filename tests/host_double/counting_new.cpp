// counting_new.cpp - replacement operator new/delete that counts the module's own allocations in the host double.
//
// Linked only into the programs that measure memory: every C++ allocation of the process (the
// module's frame and picture buffers, the simulator's, the host double's) then goes through
// the accounting, large blocks as pages of their own whose resident bytes are what counts.
// The module allocates with new only (no malloc, no mxMalloc), so this sees all of it.
#include <cstddef>
#include <new>

#include "host_accounting.h"

namespace {

using hostdouble::accounting::allocateBlock;
using hostdouble::accounting::releaseBlock;

constexpr std::size_t kDefaultAlignment = 16;

void* counted(std::size_t bytes, std::size_t alignment) {
    void* data = allocateBlock(bytes, alignment, false);
    if (data == nullptr) throw std::bad_alloc();
    return data;
}

// Built with QORIN_COUNTING_NEW_PLAIN (the fault sweep) the bytes are counted but every block
// stays malloc'd at its size, array data included, so AddressSanitizer keeps its checks.
#if defined(QORIN_COUNTING_NEW_PLAIN)
[[maybe_unused]] const bool kEnabled = (hostdouble::setLargeBlocksMapped(false), true);
#else
[[maybe_unused]] const bool kEnabled = (hostdouble::accounting::enableResidencyTracking(), true);
#endif

}  // namespace

void* operator new(std::size_t bytes) { return counted(bytes, kDefaultAlignment); }
void* operator new[](std::size_t bytes) { return counted(bytes, kDefaultAlignment); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
    return allocateBlock(bytes, kDefaultAlignment, false);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
    return allocateBlock(bytes, kDefaultAlignment, false);
}
void* operator new(std::size_t bytes, std::align_val_t alignment) {
    return counted(bytes, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t bytes, std::align_val_t alignment) {
    return counted(bytes, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocateBlock(bytes, static_cast<std::size_t>(alignment), false);
}
void* operator new[](std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocateBlock(bytes, static_cast<std::size_t>(alignment), false);
}

void operator delete(void* data) noexcept { releaseBlock(data); }
void operator delete[](void* data) noexcept { releaseBlock(data); }
void operator delete(void* data, std::size_t) noexcept { releaseBlock(data); }
void operator delete[](void* data, std::size_t) noexcept { releaseBlock(data); }
void operator delete(void* data, const std::nothrow_t&) noexcept { releaseBlock(data); }
void operator delete[](void* data, const std::nothrow_t&) noexcept { releaseBlock(data); }
void operator delete(void* data, std::align_val_t) noexcept { releaseBlock(data); }
void operator delete[](void* data, std::align_val_t) noexcept { releaseBlock(data); }
void operator delete(void* data, std::size_t, std::align_val_t) noexcept { releaseBlock(data); }
void operator delete[](void* data, std::size_t, std::align_val_t) noexcept { releaseBlock(data); }
void operator delete(void* data, std::align_val_t, const std::nothrow_t&) noexcept { releaseBlock(data); }
void operator delete[](void* data, std::align_val_t, const std::nothrow_t&) noexcept { releaseBlock(data); }
