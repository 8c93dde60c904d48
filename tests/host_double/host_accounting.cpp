// host_accounting.cpp - bytes alive in the host double's process, and the high-water mark of each call.
//
// Small blocks count at their requested size.  Large blocks (array data, and with the counting
// allocator the module's buffers) get pages of their own and count at their resident pages,
// read with mincore: a fresh MATLAB array costs nothing until written, a buffer whose pages the
// module gives back stops costing, and a populated array costs in full before it is written,
// as the system sees it.  The figures are sampled at every allocation, release and array
// creation or destruction, which is where they can change other than by writing memory.
#include "host_accounting.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#define QORIN_HOST_RESIDENCY 1
#endif

namespace hostdouble {
namespace {

// Large blocks sit this far past a page boundary, where the system's allocator and Octave put
// large blocks, so the module's copies see the alignment they see in a real host.
constexpr std::size_t kLargeOffset = 16;
constexpr std::uint64_t kSmallMagic = 0x51534d414c4c4b42ull;
constexpr std::uint64_t kLargeMagic = 0x514c415247454b42ull;
constexpr std::uint64_t kUncountedMagic = 0x51554e434f554e54ull;  // a small block of an UncountedScope

struct SmallHeader {
    std::size_t bytes;
    std::uint64_t magic;
};
static_assert(sizeof(SmallHeader) == 16, "small blocks keep malloc's 16-byte alignment");

// At the start of a large block's first page, which holds nothing else; the data starts on
// the next page.
struct LargeBlock {
    std::uint64_t magic;
    LargeBlock* previous;
    LargeBlock* next;
    std::size_t bytes;
    std::size_t mapped;
    unsigned char* data;
    bool counted;
};

std::mutex gMutex;
std::size_t gSmallBytes = 0;  // under gMutex
bool gTracking = false;         // residency tracking (set before any array exists)
std::size_t gArrayBlocks = 0;   // array data blocks alive
bool gSampling = true;
bool gMapLarge = true;
int gUncounted = 0;  // UncountedScopes alive
int gCallDepth = 0;
std::size_t gPeak = 0;
CallMemory gLast;

#if QORIN_HOST_RESIDENCY
LargeBlock* gLarge = nullptr;  // under gMutex
std::size_t gLargeCount = 0;

std::size_t pageBytes() {
    static const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return page;
}

// mincore's vector, grown with its own mappings (never with operator new, which samples).
unsigned char* gVector = nullptr;
std::size_t gVectorBytes = 0;

unsigned char* residencyVector(std::size_t pages) {
    if (pages <= gVectorBytes) return gVector;
    const std::size_t bytes = (pages + pageBytes() - 1) / pageBytes() * pageBytes();
    void* fresh = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (fresh == MAP_FAILED) {
        std::fprintf(stderr, "host double: no memory for the residency vector\n");
        std::abort();
    }
    if (gVector != nullptr) munmap(gVector, gVectorBytes);
    gVector = static_cast<unsigned char*>(fresh);
    gVectorBytes = bytes;
    return gVector;
}

// Bytes of [data, data + bytes) on resident pages.
std::size_t residentBytes(const unsigned char* data, std::size_t bytes) {
    if (bytes == 0) return 0;
    const std::size_t page = pageBytes();
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = start & ~(page - 1);
    const std::uintptr_t end = start + bytes;
    const std::size_t pages = (end - first + page - 1) / page;
    unsigned char* vector = residencyVector(pages);
    if (mincore(reinterpret_cast<void*>(first), end - first, vector) != 0) return bytes;
    std::size_t resident = 0;
    for (std::size_t k = 0; k < pages; ++k) {
        if ((vector[k] & 1) == 0) continue;
        const std::uintptr_t from = std::max<std::uintptr_t>(first + k * page, start);
        const std::uintptr_t to = std::min<std::uintptr_t>(first + (k + 1) * page, end);
        resident += to - from;
    }
    return resident;
}

void* allocateLarge(std::size_t bytes, std::size_t alignment) {
    const std::size_t page = pageBytes();
    const std::size_t offset = alignment > kLargeOffset ? alignment : kLargeOffset;
    if (offset > page || bytes > (SIZE_MAX >> 2)) return nullptr;
    // Header page, data, and a guard page that faults on a read past the end.
    const std::size_t dataPages = (offset + bytes + page - 1) / page;
    const std::size_t mapped = (dataPages + 2) * page;
    void* base = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (base == MAP_FAILED) return nullptr;
    auto* bytesBase = static_cast<unsigned char*>(base);
    mprotect(bytesBase + mapped - page, page, PROT_NONE);
    auto* block = static_cast<LargeBlock*>(base);
    block->magic = kLargeMagic;
    block->bytes = bytes;
    block->mapped = mapped;
    block->data = bytesBase + page + offset;
    block->counted = gUncounted == 0;
    std::lock_guard<std::mutex> lock(gMutex);
    block->previous = nullptr;
    block->next = gLarge;
    if (gLarge != nullptr) gLarge->previous = block;
    gLarge = block;
    ++gLargeCount;
    return block->data;
}

// The large block whose data starts at `data`, or null.
LargeBlock* largeBlockOf(const void* data) {
    for (LargeBlock* block = gLarge; block != nullptr; block = block->next)
        if (block->data == data) return block;
    return nullptr;
}

void unlinkAndUnmap(LargeBlock* block) {
    if (block->previous != nullptr) block->previous->next = block->next;
    else gLarge = block->next;
    if (block->next != nullptr) block->next->previous = block->previous;
    --gLargeCount;
    block->magic = 0;
    munmap(block, block->mapped);
}
#endif

std::size_t aliveLocked() {
    std::size_t total = gSmallBytes;
#if QORIN_HOST_RESIDENCY
    for (LargeBlock* block = gLarge; block != nullptr; block = block->next)
        if (block->counted) total += residentBytes(block->data, block->bytes);
#endif
    return total;
}

std::size_t nestedBytes(const mxArray* array) {
    if (array == nullptr) return 0;
    if (mxIsCell(array)) {
        std::size_t total = 0;
        for (std::size_t k = 0; k < mxGetNumberOfElements(array); ++k) total += nestedBytes(mxGetCell(array, k));
        return total;
    }
    if (mxIsStruct(array)) {
        std::size_t total = 0;
        const int fields = mxGetNumberOfFields(array);
        for (std::size_t k = 0; k < mxGetNumberOfElements(array); ++k)
            for (int f = 0; f < fields; ++f) total += nestedBytes(mxGetFieldByNumber(array, k, f));
        return total;
    }
    const std::size_t count = mxIsSparse(array) ? mxGetNzmax(array) : mxGetNumberOfElements(array);
    return count * mxGetElementSize(array) * (mxIsComplex(array) ? 2 : 1);
}

}  // namespace

const CallMemory& lastCallMemory() { return gLast; }

UncountedScope::UncountedScope() { ++gUncounted; }
UncountedScope::~UncountedScope() { --gUncounted; }

std::size_t bytesAlive() {
    std::lock_guard<std::mutex> lock(gMutex);
    return aliveLocked();
}

bool moduleAllocationsCounted() { return gTracking; }

void setPeakSampling(bool on) { gSampling = on; }

void setLargeBlocksMapped(bool on) { gMapLarge = on; }

namespace accounting {

void enableResidencyTracking() {
#if QORIN_HOST_RESIDENCY
    if (gArrayBlocks != 0) {
        std::fprintf(stderr, "host double: residency tracking enabled after arrays were created\n");
        std::abort();
    }
    gTracking = true;
#endif
}

void sample() noexcept {
    if (gCallDepth == 0 || !gSampling) return;
    std::lock_guard<std::mutex> lock(gMutex);
    gPeak = std::max(gPeak, aliveLocked());
}

void* allocateBlock(std::size_t bytes, std::size_t alignment, bool zeroed) {
    void* data = nullptr;
#if QORIN_HOST_RESIDENCY
    if ((gMapLarge && bytes >= kMappedBlockBytes) || alignment > kLargeOffset) {
        data = allocateLarge(bytes, alignment);
        sample();
        return data;
    }
#else
    if (alignment > kLargeOffset) return nullptr;
#endif
    if (bytes > SIZE_MAX - sizeof(SmallHeader)) return nullptr;
    void* raw = zeroed ? std::calloc(1, bytes + sizeof(SmallHeader)) : std::malloc(bytes + sizeof(SmallHeader));
    if (raw == nullptr) return nullptr;
    auto* header = static_cast<SmallHeader*>(raw);
    header->bytes = bytes;
    header->magic = gUncounted == 0 ? kSmallMagic : kUncountedMagic;
    if (gUncounted == 0) {
        std::lock_guard<std::mutex> lock(gMutex);
        gSmallBytes += bytes;
    }
    data = header + 1;
    sample();
    return data;
}

void releaseBlock(void* data) noexcept {
    if (data == nullptr) return;
    sample();
#if QORIN_HOST_RESIDENCY
    if (reinterpret_cast<std::uintptr_t>(data) % pageBytes() >= kLargeOffset) {
        std::lock_guard<std::mutex> lock(gMutex);
        if (LargeBlock* block = largeBlockOf(data)) {
            unlinkAndUnmap(block);
            return;
        }
    }
#endif
    SmallHeader* header = static_cast<SmallHeader*>(data) - 1;
    if (header->magic != kSmallMagic && header->magic != kUncountedMagic) {
        std::fprintf(stderr, "host double: release of a block the accounting did not allocate\n");
        std::abort();
    }
    if (header->magic == kSmallMagic) {
        std::lock_guard<std::mutex> lock(gMutex);
        gSmallBytes -= header->bytes;
    }
    header->magic = 0;
    std::free(header);
}

void* allocateArrayData(std::size_t bytes, bool zeroed) {
    if (bytes == 0) return nullptr;
    void* data = nullptr;
    if (gTracking) {
        // Never filled: a fresh MATLAB array is pages not yet touched.
        data = allocateBlock(bytes, kLargeOffset, true);
    } else {
        data = zeroed ? std::calloc(1, bytes) : std::malloc(bytes);
        if (data == nullptr) return nullptr;
        std::lock_guard<std::mutex> lock(gMutex);
        gSmallBytes += bytes;
    }
    if (data == nullptr) return nullptr;
    // Garbage the caller must overwrite; left out of tracked pages, whose writing is measured.
    if (!zeroed && (!gTracking || bytes < kMappedBlockBytes)) std::memset(data, 0xA5, bytes);
    ++gArrayBlocks;
    if (!gTracking) sample();
    return data;
}

void releaseArrayData(void* data, std::size_t bytes) noexcept {
    if (data == nullptr) return;
    --gArrayBlocks;
    if (gTracking) {
        releaseBlock(data);
        return;
    }
    sample();
    std::free(data);
    std::lock_guard<std::mutex> lock(gMutex);
    gSmallBytes -= bytes;
}

void beginCall() {
    if (gCallDepth++ > 0) return;
    const std::size_t before = bytesAlive();
    gLast = CallMemory{};
    gLast.before = before;
    gPeak = before;
}

void endCall(const mxArray* result) {
    if (--gCallDepth > 0) return;
    const std::size_t after = bytesAlive();
    gLast.after = after;
    gLast.peak = std::max(gPeak, after);
    gLast.result = nestedBytes(result);
}

}  // namespace accounting
}  // namespace hostdouble
