// win32.cpp - the module's event and window calls on Windows: the system's own, checked in test builds.
#include "platform/win32.h"

// Part of the module's sources everywhere; elsewhere the POSIX stand-ins (libqorinplatform) do this.
#if defined(_WIN32)

#include <cstdio>
#include <cstdlib>

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

}  // namespace qorin::platform

#endif  // _WIN32
