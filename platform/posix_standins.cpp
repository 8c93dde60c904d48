// posix_standins.cpp - POSIX stand-ins of the Windows event and window calls, steerable by tests.
#include "platform/win32.h"

#include <new>

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

}  // namespace qorin::platform
