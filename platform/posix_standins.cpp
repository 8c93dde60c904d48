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

namespace qorin::platform {

EventHandle createEvent() noexcept {
    if (gFailNextEvent.exchange(false)) return nullptr;
    auto* event = new (std::nothrow) StandInEvent{false, false};
    if (event != nullptr) ++gOpenEvents;
    return reinterpret_cast<EventHandle>(event);
}

void closeEvent(EventHandle event) noexcept {
    if (event == nullptr) return;
    delete reinterpret_cast<StandInEvent*>(event);
    --gOpenEvents;
}

WindowHandle foregroundWindow() noexcept {
    return gForegroundPresent ? reinterpret_cast<WindowHandle>(&gForegroundWindowObject) : nullptr;
}

}  // namespace qorin::platform

void QorinPlatformSetForeground(int present) { gForegroundPresent = present != 0; }

int QorinPlatformOpenEvents(void) { return gOpenEvents; }

void QorinPlatformFailNextEvent(void) { gFailNextEvent = true; }

void QorinPlatformReset(void) {
    gForegroundPresent = true;
    gFailNextEvent = false;
}
