// win32.h - the Windows calls the module makes: the real ones on Windows, POSIX stand-ins elsewhere.
#pragma once

#if defined(_WIN32)
#  ifndef WIN32_LEAN_AND_MEAN
#    define WIN32_LEAN_AND_MEAN
#  endif
#  include <windows.h>
#else
#  include <cstdint>

// Just enough of the Windows types for the calls below; the stand-ins live in
// libqorinplatform so that the simulator's control MEX can steer and observe them.
using HANDLE = void*;
using HWND = void*;
using BOOL = int;
using LPCSTR = const char*;
using LPSECURITY_ATTRIBUTES = void*;
constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;
constexpr std::uint32_t WS_VISIBLE = 0x10000000u;
constexpr std::uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000u;

#  define QORIN_PLATFORM_API extern "C" __attribute__((visibility("default")))

QORIN_PLATFORM_API HANDLE CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                                       LPCSTR name);
QORIN_PLATFORM_API BOOL CloseHandle(HANDLE object);
QORIN_PLATFORM_API HWND GetForegroundWindow(void);

// Controls of the stand-ins, for the simulator and the tests only.
QORIN_PLATFORM_API void QorinPlatformSetForeground(int present);
QORIN_PLATFORM_API int QorinPlatformOpenEvents(void);
QORIN_PLATFORM_API void QorinPlatformFailNextEvent(void);
QORIN_PLATFORM_API void QorinPlatformReset(void);
#endif

// Style of the SDK's display window: visible, captioned, resizable, with system menu.
constexpr unsigned long kDisplayWindowStyle = WS_VISIBLE | WS_OVERLAPPEDWINDOW;
static_assert(kDisplayWindowStyle == 0x10CF0000ul, "display window style");
