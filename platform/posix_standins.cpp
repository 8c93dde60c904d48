// posix_standins.cpp - POSIX stand-ins of the Windows event and window calls, steerable by tests.
#include "platform/win32.h"

#include <atomic>
#include <new>

namespace {

// One object per created event; its address is the handle.
struct StandInEvent {
    bool manualReset;
    bool signalled;
};

std::atomic<int> gOpenEvents{0};
std::atomic<bool> gForegroundPresent{true};
std::atomic<bool> gFailNextEvent{false};
// Any non-null value serves as a window handle: the stand-in never draws.
int gForegroundWindowObject = 0;

}  // namespace

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR) {
    if (gFailNextEvent.exchange(false)) return nullptr;
    auto* event = new (std::nothrow) StandInEvent{manualReset != FALSE, initialState != FALSE};
    if (event != nullptr) ++gOpenEvents;
    return event;
}

BOOL CloseHandle(HANDLE object) {
    if (object == nullptr) return FALSE;
    delete static_cast<StandInEvent*>(object);
    --gOpenEvents;
    return TRUE;
}

HWND GetForegroundWindow(void) { return gForegroundPresent ? &gForegroundWindowObject : nullptr; }

void QorinPlatformSetForeground(int present) { gForegroundPresent = present != 0; }

int QorinPlatformOpenEvents(void) { return gOpenEvents; }

void QorinPlatformFailNextEvent(void) { gFailNextEvent = true; }

void QorinPlatformReset(void) {
    gForegroundPresent = true;
    gFailNextEvent = false;
}
