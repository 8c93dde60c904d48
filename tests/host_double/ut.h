// ut.h - MATLAB's libut as the module reaches it: the interrupt (Ctrl+C) check, and the control that makes one pending.
#pragma once

// A library of its own (libut.so, libut.dll), as MATLAB's is: the module looks the check up
// by that library's name at run time, and a program links it to have one.
#if defined(_WIN32) && defined(QORIN_HOST_DOUBLE_UT)
#  define HOSTDOUBLE_UT_API __declspec(dllexport)
#elif defined(_WIN32)
#  define HOSTDOUBLE_UT_API __declspec(dllimport)
#else
#  define HOSTDOUBLE_UT_API __attribute__((visibility("default")))
#endif

// MATLAB's own check, which its headers do not declare: true while Ctrl+C waits for the host.
extern "C" HOSTDOUBLE_UT_API bool utIsInterruptPending(void);

namespace hostdouble {

// Ctrl+C as the host sees it: pending from setInterruptPending(true) until the host takes it,
// setInterruptPending(false).  Any thread may set it, as a signal would.
HOSTDOUBLE_UT_API void setInterruptPending(bool pending);

}  // namespace hostdouble
