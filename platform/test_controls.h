// test_controls.h - the state the platform's test controls steer, read by the event and window calls.
#pragma once

// Kept by test_controls.cpp, which the POSIX stand-ins always link and a Windows build only
// with QORIN_PLATFORM_TEST_CONTROLS; the product's Windows calls never ask.
namespace qorin::platform::test_controls {

// True once after QorinPlatformFailNextEvent: this event is to be refused.
bool refuseEvent() noexcept;
// The count QorinPlatformOpenEvents reports, kept by the calls that create and close events.
void eventOpened() noexcept;
void eventClosed() noexcept;
// False while QorinPlatformSetForeground(0) hides the foreground window.
bool foregroundPresent() noexcept;
// The code page QorinPlatformSetCodePage chose; 0 for the system's.
unsigned codePage() noexcept;

}  // namespace qorin::platform::test_controls
