// win32.h - the Windows calls the module makes, behind names and types free of <windows.h>.
#pragma once

#include <cstddef>
#include <string>

// <windows.h> stays in the platform layer's own .cpp files: its min/max macros and its flood of
// names never reach a handler.  Here the Windows objects are opaque pointers.
#if defined(_WIN32)
#  define QORIN_PLATFORM_API
#else
#  define QORIN_PLATFORM_API __attribute__((visibility("default")))
#endif

namespace qorin::platform {

struct EventObject;
struct WindowObject;
using EventHandle = EventObject*;    // a HANDLE on Windows
using WindowHandle = WindowObject*;  // an HWND on Windows

// An auto-reset event object, not signalled, without a name; null when the system refuses one.
QORIN_PLATFORM_API EventHandle createEvent() noexcept;
// Closes an event object from createEvent; null is ignored.
QORIN_PLATFORM_API void closeEvent(EventHandle event) noexcept;
// The window that has the foreground, or null when there is none.
QORIN_PLATFORM_API WindowHandle foregroundWindow() noexcept;

// The file the loaded library (DLL or shared object) that holds `address` was loaded from, written
// null-terminated into `buffer` in the system's narrow encoding.  Returns its length, or 0 when
// the system cannot tell or the path does not fit in `size` bytes.
QORIN_PLATFORM_API std::size_t loadedLibraryPath(const void* address, char* buffer, std::size_t size) noexcept;
// Whether the loaded library that holds `address` exports `symbol` itself.
QORIN_PLATFORM_API bool loadedLibraryExports(const void* address, const char* symbol) noexcept;

// `count` UTF-16 code units as text in the user's ANSI code page, which the SDK's narrow-character
// functions read (WideCharToMultiByte with CP_ACP, no best-fit substitutes); false when a
// character has no form there, or is no text (a lone surrogate), and so no name the SDK takes.
QORIN_PLATFORM_API bool codePageText(const char16_t* text, std::size_t count, std::string& out);

// Style of the SDK's display window: WS_VISIBLE | WS_OVERLAPPEDWINDOW (visible, captioned,
// resizable, with system menu); win32.cpp checks it against the Windows headers.
constexpr unsigned long kDisplayWindowStyle = 0x10CF0000ul;

}  // namespace qorin::platform

// Controls of the event and window calls, for the simulator and the tests (test_controls.cpp): the
// POSIX stand-ins always have them, a Windows build only when built with QORIN_PLATFORM_TEST_CONTROLS.
extern "C" {
QORIN_PLATFORM_API void QorinPlatformSetForeground(int present);
QORIN_PLATFORM_API int QorinPlatformOpenEvents(void);
QORIN_PLATFORM_API void QorinPlatformFailNextEvent(void);
// The code page codePageText converts to: 0 the system's (Windows-1252 for the stand-ins),
// 1252 or 65001 (UTF-8).
QORIN_PLATFORM_API void QorinPlatformSetCodePage(unsigned codePage);
QORIN_PLATFORM_API void QorinPlatformReset(void);
}
