// windows_api.h - <windows.h> without its min/max macros and rarely used parts, for the platform's own .cpp files.
//
// Include it last, after every standard header, so that what macros remain can touch nothing
// else; never from a header, so that no handler sees them.
#pragma once

#ifndef NOMINMAX
#  define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#  define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
