// wall_clock.h - a wall-clock time as people and programs read it: ISO 8601 local time, and POSIX seconds.
#pragma once

#include <chrono>

namespace qorin::platform {

// The time in the local zone as ISO 8601 with milliseconds and the offset from UTC:
// "2026-12-08T16:07:39.123+01:00"; empty when the system cannot tell it.  Held in place, so
// that it can live on the stack of a call MATLAB may end without unwinding.
struct IsoTime {
    char text[48];
};
IsoTime isoLocalTime(std::chrono::system_clock::time_point time);

// Seconds since 1970-01-01 00:00 UTC, leap seconds not counted.
double posixSeconds(std::chrono::system_clock::time_point time);

}  // namespace qorin::platform
