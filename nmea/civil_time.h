// A calendar time laid out like the Win32 SYSTEMTIME, so the Windows shell can
// hand it to the time APIs as it is, and portable code can reason about it.
#pragma once

#include <cstdint>

struct CivilTime {
    uint16_t wYear;
    uint16_t wMonth;
    uint16_t wDayOfWeek;  // 0 = Sunday
    uint16_t wDay;
    uint16_t wHour;
    uint16_t wMinute;
    uint16_t wSecond;
    uint16_t wMilliseconds;
};
static_assert(sizeof(CivilTime) == 16, "must match SYSTEMTIME");

// The validity rule of the system time conversion: years 1601 to 30827, real
// months, days of the month, hours, minutes, seconds and milliseconds.
bool IsValidCivilTime(const CivilTime& t);

// Shifts a valid time by `minutes` (either sign) and recomputes the day of
// week. Returns false, leaving `out` untouched, when the input is not valid or
// the result leaves the representable range.
bool ShiftCivilTime(const CivilTime& in, int32_t minutes, CivilTime* out);

// Calendar date (proleptic Gregorian) of a count of days since 1970-01-01.
void CivilFromDays(int64_t days, int64_t* year, unsigned* month, unsigned* day);
