// win32.cpp - the module's event, window and loaded-library calls on Windows: the system's own, checked in test builds.
#include "platform/win32.h"

// Part of the module's sources everywhere; elsewhere the POSIX stand-ins (libqorinplatform) do this.
#if defined(_WIN32)

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/test_controls.h"
#include "platform/windows_api.h"

static_assert((WS_VISIBLE | WS_OVERLAPPEDWINDOW) == qorin::platform::kDisplayWindowStyle, "display window style");

// A test build counts the event objects, stops at the first close the system refuses (a handle
// closed twice or never opened), and can refuse an event or hide the foreground window.
namespace qorin::platform {

EventHandle createEvent() noexcept {
#if defined(QORIN_PLATFORM_TEST_CONTROLS)
    if (test_controls::refuseEvent()) return nullptr;
#endif
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
#if defined(QORIN_PLATFORM_TEST_CONTROLS)
    if (event != nullptr) test_controls::eventOpened();
#endif
    return static_cast<EventHandle>(event);
}

void closeEvent(EventHandle event) noexcept {
    if (event == nullptr) return;
#if defined(QORIN_PLATFORM_TEST_CONTROLS)
    if (CloseHandle(event) == FALSE) {
        std::fprintf(stderr, "CloseHandle refused event object %p (error %lu)\n", static_cast<void*>(event),
                     static_cast<unsigned long>(GetLastError()));
        std::abort();
    }
    test_controls::eventClosed();
#else
    CloseHandle(event);
#endif
}

WindowHandle foregroundWindow() noexcept {
#if defined(QORIN_PLATFORM_TEST_CONTROLS)
    if (!test_controls::foregroundPresent()) return nullptr;
#endif
    return reinterpret_cast<WindowHandle>(GetForegroundWindow());
}

namespace {

// The DLL that holds `address`; it stays loaded as long as the module imports from it, so its
// reference count is left alone.
HMODULE moduleHolding(const void* address) noexcept {
    HMODULE module = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (address == nullptr || GetModuleHandleExA(flags, static_cast<LPCSTR>(address), &module) == FALSE) return nullptr;
    return module;
}

}  // namespace

std::size_t loadedLibraryPath(const void* address, char* buffer, std::size_t size) noexcept {
    if (buffer == nullptr || size == 0) return 0;
    buffer[0] = '\0';
    HMODULE module = moduleHolding(address);
    if (module == nullptr) return 0;
    const DWORD capacity = size > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<DWORD>(size);
    // A path that does not fit comes back cut to the buffer's length.
    const DWORD length = GetModuleFileNameA(module, buffer, capacity);
    if (length == 0 || length >= capacity) {
        buffer[0] = '\0';
        return 0;
    }
    return length;
}

bool loadedLibraryExports(const void* address, const char* symbol) noexcept {
    HMODULE module = moduleHolding(address);
    return module != nullptr && symbol != nullptr && GetProcAddress(module, symbol) != nullptr;
}

bool codePageText(const char16_t* text, std::size_t count, std::string& out) {
    out.clear();
    if (count == 0) return true;
    if (count > 0x7FFFFFFFu) return false;
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 code units");
    const auto* wide = reinterpret_cast<const wchar_t*>(text);
    const int length = static_cast<int>(count);
    UINT codePage = CP_ACP;
#if defined(QORIN_PLATFORM_TEST_CONTROLS)
    if (test_controls::codePage() != 0) codePage = test_controls::codePage();
#endif
    // A user may have made UTF-8 the ANSI code page.  It holds every character and takes
    // neither the best-fit flag nor the used-default flag, but refuses lone surrogates when asked.
    const bool utf8 = codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8);
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultFlag = utf8 ? nullptr : &usedDefault;
    const int size = WideCharToMultiByte(codePage, flags, wide, length, nullptr, 0, nullptr, usedDefaultFlag);
    if (size <= 0 || usedDefault != FALSE) return false;
    out.assign(static_cast<std::size_t>(size), '\0');
    const int written = WideCharToMultiByte(codePage, flags, wide, length, &out[0], size, nullptr, usedDefaultFlag);
    if (written != size || usedDefault != FALSE) {
        out.clear();
        return false;
    }
    return true;
}

}  // namespace qorin::platform

#endif  // _WIN32
