#include "platform/calendar.h"

#include <ctime>

namespace vantile::platform {

std::optional<CalendarTime> SplitTime(std::int64_t Seconds, bool Local) {
    const auto t = static_cast<std::time_t>(Seconds);
    std::tm tm{};
    if ((Local ? ::localtime_r(&t, &tm) : ::gmtime_r(&t, &tm)) == nullptr)
        return std::nullopt;
    return CalendarTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace vantile::platform
