#include "nmea/civil_time.h"

namespace {

bool IsLeap(int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int64_t y, int m) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return (m == 2 && IsLeap(y)) ? 29 : kDays[m - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

}  // namespace

void CivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = static_cast<int64_t>(yoe) + era * 400 + (*m <= 2);
}

bool IsValidCivilTime(const CivilTime& t) {
    if (t.wYear < 1601 || t.wYear > 30827)
        return false;
    if (t.wMonth < 1 || t.wMonth > 12)
        return false;
    if (t.wDay < 1 || t.wDay > DaysInMonth(t.wYear, t.wMonth))
        return false;
    return t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 && t.wMilliseconds < 1000;
}

bool ShiftCivilTime(const CivilTime& in, int32_t minutes, CivilTime* out) {
    if (!IsValidCivilTime(in))
        return false;
    int64_t total = DaysFromCivil(in.wYear, in.wMonth, in.wDay) * 1440 + in.wHour * 60 + in.wMinute;
    total += minutes;
    int64_t days = total >= 0 ? total / 1440 : (total - 1439) / 1440;
    int64_t minuteOfDay = total - days * 1440;
    int64_t y;
    unsigned m, d;
    CivilFromDays(days, &y, &m, &d);
    if (y < 1601 || y > 30827)
        return false;
    CivilTime r = in;
    r.wYear = static_cast<uint16_t>(y);
    r.wMonth = static_cast<uint16_t>(m);
    r.wDay = static_cast<uint16_t>(d);
    r.wHour = static_cast<uint16_t>(minuteOfDay / 60);
    r.wMinute = static_cast<uint16_t>(minuteOfDay % 60);
    // 1970-01-01 was a Thursday (4).
    int64_t dow = (days % 7 + 7 + 4) % 7;
    r.wDayOfWeek = static_cast<uint16_t>(dow);
    *out = r;
    return true;
}
