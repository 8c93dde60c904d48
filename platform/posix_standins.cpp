// posix_standins.cpp - POSIX stand-ins of the Windows event, window and code-page calls, steerable by tests; the loaded-library calls.
#include "platform/win32.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <string>

#include <dlfcn.h>

#include "platform/test_controls.h"
#include "platform/utf8.h"
#include "platform/windows_1252.h"

namespace {

// One object per created event; its address is the handle.
struct StandInEvent {
    bool manualReset;
    bool signalled;
};

// Any non-null value serves as a window handle: the stand-in never draws.
int gForegroundWindowObject = 0;

bool windows1252(const char16_t* text, std::size_t count, std::string& out) {
    for (std::size_t k = 0; k < count; ++k) {
        char byte = 0;
        if (!qorin::platform::toWindows1252(text[k], byte)) return false;
        out += byte;
    }
    return true;
}

bool utf8(const char16_t* text, std::size_t count, std::string& out) {
    for (std::size_t k = 0; k < count;) {
        const char32_t c = qorin::platform::nextUtf16(text, count, k);
        if (qorin::platform::isSurrogate(c)) return false;
        qorin::platform::appendUtf8(out, c);
    }
    return true;
}

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

// Windows-1252 unless the tests choose UTF-8, as a Windows whose ANSI code page is UTF-8.
bool codePageText(const char16_t* text, std::size_t count, std::string& out) {
    out.clear();
    const bool converted =
        test_controls::codePage() == 65001 ? utf8(text, count, out) : windows1252(text, count, out);
    if (!converted) out.clear();
    return converted;
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
