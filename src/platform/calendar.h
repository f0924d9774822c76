#pragma once
// Splitting a point in time into calendar fields, in universal or local time.

#include <cstdint>
#include <optional>

namespace vantile::platform {

struct CalendarTime {
    int year = 0;    // e.g. 2026
    int month = 0;   // 1..12
    int day = 0;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..60
};

// Seconds since 1970-01-01 00:00:00 UTC; nothing when the time cannot be converted.
std::optional<CalendarTime> SplitTime(std::int64_t Seconds, bool Local);

}  // namespace vantile::platform
