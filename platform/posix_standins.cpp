// posix_standins.cpp - POSIX stand-ins of the Windows event, window and code-page calls, steerable by tests; the loaded-library calls.
#include "platform/win32.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <string>

#include <dlfcn.h>

#include "platform/test_controls.h"
#include "platform/utf8.h"

namespace {

// One object per created event; its address is the handle.
struct StandInEvent {
    bool manualReset;
    bool signalled;
};

// Any non-null value serves as a window handle: the stand-in never draws.
int gForegroundWindowObject = 0;

// Windows-1252 at 0x80..0x9F; the five codes it leaves undefined stand for themselves, as
// Windows converts them.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool windows1252(const char16_t* text, std::size_t count, std::string& out) {
    for (std::size_t k = 0; k < count; ++k) {
        const char16_t c = text[k];
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            out += static_cast<char>(c);
            continue;
        }
        std::size_t b = 0;
        while (b < 32 && kWindows1252High[b] != c) ++b;
        if (b == 32) return false;
        out += static_cast<char>(0x80 + b);
    }
    return true;
}

bool utf8(const char16_t* text, std::size_t count, std::string& out) {
    for (std::size_t k = 0; k < count; ++k) {
        char32_t c = text[k];
        if (c >= 0xD800 && c < 0xE000) {
            if (c >= 0xDC00 || k + 1 == count || text[k + 1] < 0xDC00 || text[k + 1] >= 0xE000) return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++k] - 0xDC00u);
        }
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
