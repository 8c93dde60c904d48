// wall_clock.cpp - local time and its offset from UTC through the C library's thread-safe calls.
#include "platform/wall_clock.h"

#include <cstdint>
#include <cstdio>
#include <ctime>

namespace qorin::platform {
namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

std::int64_t secondsOf(const std::tm& t) {
    return daysFromCivil(t.tm_year + 1900, static_cast<unsigned>(t.tm_mon + 1), static_cast<unsigned>(t.tm_mday)) *
               86400 +
           t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec;
}

}  // namespace

IsoTime isoLocalTime(std::chrono::system_clock::time_point time) {
    IsoTime iso{};
    const std::int64_t millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    const std::int64_t wholeSeconds = millis >= 0 ? millis / 1000 : -((-millis + 999) / 1000);
    const auto seconds = static_cast<std::time_t>(wholeSeconds);
    std::tm local{};
    std::tm utc{};
#if defined(_WIN32)
    if (localtime_s(&local, &seconds) != 0 || gmtime_s(&utc, &seconds) != 0) return iso;
#else
    if (localtime_r(&seconds, &local) == nullptr || gmtime_r(&seconds, &utc) == nullptr) return iso;
#endif
    // The local calendar time read as if it were UTC, less the UTC one: the zone's offset then.
    const std::int64_t offsetMinutes = (secondsOf(local) - secondsOf(utc)) / 60;
    const std::int64_t magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    std::snprintf(iso.text, sizeof iso.text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis - wholeSeconds * 1000), offsetMinutes < 0 ? '-' : '+',
                  static_cast<int>(magnitude / 60), static_cast<int>(magnitude % 60));
    return iso;
}

double posixSeconds(std::chrono::system_clock::time_point time) {
    // The system clock counts from the POSIX epoch on every system the module is built for
    // (C++20 makes it so).
    return std::chrono::duration<double>(time.time_since_epoch()).count();
}

}  // namespace qorin::platform
