// posix_standins.cpp - POSIX stand-ins of the Windows event and window calls, steerable by tests; the loaded-library calls.
#include "platform/win32.h"

#include <cstddef>
#include <cstring>
#include <new>

#include <dlfcn.h>

#include "platform/test_controls.h"

namespace {

// One object per created event; its address is the handle.
struct StandInEvent {
    bool manualReset;
    bool signalled;
};

// Any non-null value serves as a window handle: the stand-in never draws.
int gForegroundWindowObject = 0;

}  // namespace

namespace qorin::platform {

EventHandle createEvent() noexcept {
    if (test_controls::refuseEvent()) return nullptr;
    auto* event = new (std::nothrow) StandInEvent{false, false};
    if (event != nullptr) test_controls::eventOpened();
    return reinterpret_cast<EventHandle>(event);
}

void closeEvent(EventHandle event) noexcept {
    if (event == nullptr) return;
    delete reinterpret_cast<StandInEvent*>(event);
    test_controls::eventClosed();
}

WindowHandle foregroundWindow() noexcept {
    return test_controls::foregroundPresent() ? reinterpret_cast<WindowHandle>(&gForegroundWindowObject) : nullptr;
}

// The loader's own answers, not stand-ins: which shared object holds an address, and its symbols.
std::size_t loadedLibraryPath(const void* address, char* buffer, std::size_t size) noexcept {
    if (buffer == nullptr || size == 0) return 0;
    buffer[0] = '\0';
    Dl_info info{};
    if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr) return 0;
    const std::size_t length = std::strlen(info.dli_fname);
    if (length == 0 || length >= size) return 0;
    std::memcpy(buffer, info.dli_fname, length + 1);
    return length;
}

bool loadedLibraryExports(const void* address, const char* symbol) noexcept {
    Dl_info info{};
    if (address == nullptr || symbol == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        return false;
    }
    // Already loaded (it holds `address`), so this only takes a reference.
    void* library = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (library == nullptr) return false;
    // dlsym also searches the library's own dependencies: the symbol must lie in the library itself.
    void* found = dlsym(library, symbol);
    Dl_info where{};
    const bool own = found != nullptr && dladdr(found, &where) != 0 && where.dli_fbase == info.dli_fbase;
    dlclose(library);
    return own;
}

}  // namespace qorin::platform
