// test_controls.cpp - the controls of the event and window calls that the simulator and the tests use.
#include "platform/test_controls.h"

#include <atomic>

#include "platform/win32.h"

namespace {

std::atomic<int> gOpenEvents{0};
std::atomic<bool> gForegroundPresent{true};
std::atomic<bool> gFailNextEvent{false};
std::atomic<unsigned> gCodePage{0};

}  // namespace

namespace qorin::platform::test_controls {

bool refuseEvent() noexcept { return gFailNextEvent.exchange(false); }
void eventOpened() noexcept { ++gOpenEvents; }
void eventClosed() noexcept { --gOpenEvents; }
bool foregroundPresent() noexcept { return gForegroundPresent; }
unsigned codePage() noexcept { return gCodePage; }

}  // namespace qorin::platform::test_controls

void QorinPlatformSetForeground(int present) { gForegroundPresent = present != 0; }

int QorinPlatformOpenEvents(void) { return gOpenEvents; }

void QorinPlatformFailNextEvent(void) { gFailNextEvent = true; }

void QorinPlatformSetCodePage(unsigned codePage) { gCodePage = codePage; }

void QorinPlatformReset(void) {
    gForegroundPresent = true;
    gFailNextEvent = false;
    gCodePage = 0;
}
