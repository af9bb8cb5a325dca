#include "tools/skyloom_decode/local_offset.h"

#include <ctime>

int32_t CurrentUtcOffsetMinutes() {
    const std::time_t now = std::time(nullptr);
    // localtime and gmtime may share one static result: copy each at once.
    const std::tm* p = std::localtime(&now);
    if (p == nullptr)
        return 0;
    const std::tm local = *p;
    p = std::gmtime(&now);
    if (p == nullptr)
        return 0;
    const std::tm utc = *p;
    // The two readings lie less than a day apart, at most across a year's end.
    int days = local.tm_yday - utc.tm_yday;
    if (local.tm_year != utc.tm_year)
        days = local.tm_year > utc.tm_year ? 1 : -1;
    return days * 1440 + (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
}
