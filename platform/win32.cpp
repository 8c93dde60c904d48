// win32.cpp - the module's event and window calls on Windows: the system's own, checked in test builds.
#include "platform/win32.h"

// Part of the module's sources everywhere; elsewhere the POSIX stand-ins (libqorinplatform) do this.
#if defined(_WIN32)

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/windows_api.h"

static_assert((WS_VISIBLE | WS_OVERLAPPEDWINDOW) == qorin::platform::kDisplayWindowStyle, "display window style");

#if defined(QORIN_PLATFORM_TEST_CONTROLS)
// A test build counts the event objects, stops at the first close the system refuses (a handle
// closed twice or never opened), and can refuse an event or hide the foreground window.
namespace {
std::atomic<int> gOpenEvents{0};
std::atomic<bool> gForegroundPresent{true};
std::atomic<bool> gFailNextEvent{false};
}  // namespace

void QorinPlatformSetForeground(int present) { gForegroundPresent = present != 0; }
int QorinPlatformOpenEvents(void) { return gOpenEvents; }
void QorinPlatformFailNextEvent(void) { gFailNextEvent = true; }
void QorinPlatformReset(void) {
    gForegroundPresent = true;
    gFailNextEvent = false;
}
#endif

namespace qorin::platform {

EventHandle createEvent() noexcept {
#if defined(QORIN_PLATFORM_TEST_CONTROLS)
    if (gFailNextEvent.exchange(false)) return nullptr;
#endif
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
#if defined(QORIN_PLATFORM_TEST_CONTROLS)
    if (event != nullptr) ++gOpenEvents;
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
    --gOpenEvents;
#else
    CloseHandle(event);
#endif
}

WindowHandle foregroundWindow() noexcept {
#if defined(QORIN_PLATFORM_TEST_CONTROLS)
    if (!gForegroundPresent) return nullptr;
#endif
    return reinterpret_cast<WindowHandle>(GetForegroundWindow());
}

}  // namespace qorin::platform

#endif  // _WIN32
