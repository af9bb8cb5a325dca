#include "nmea/fix_numbers.h"

#include <cmath>
#include <cstdint>

#include "nmea/text16.h"

namespace {

// Powers of ten up to the most decimals ReadNumber gathers, each exact as a
// double, so dividing by one gives what std::pow(10, n) gave at a fraction of
// its cost: the intake reads several numbers of every fix line.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8, 1e9,
                                   1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Two digits at p, or -1.
int TwoDigits(const char16_t* p) {
    if (!IsDigit(p[0]) || !IsDigit(p[1]))
        return -1;
    return (p[0] - u'0') * 10 + (p[1] - u'0');
}

// ddmm.mmmm to degrees; false for minutes of 60 and more or degrees beyond `limit`.
bool DegreesOf(const char16_t* field, double limit, double* degrees) {
    const Known v = ReadNumber(field);
    if (!v.known || v.value < 0)
        return false;
    const double whole = std::floor(v.value / 100.0);
    const double minutes = v.value - whole * 100.0;
    if (minutes >= 60.0)
        return false;
    *degrees = whole + minutes / 60.0;
    return *degrees <= limit;
}

}  // namespace

Known ReadNumber(const char16_t* field) {
    const char16_t* p = field;
    const bool negative = *p == u'-';
    if (*p == u'-' || *p == u'+')
        ++p;
    // Receivers send at most a dozen digits; more than 18 would overflow the
    // whole number they are gathered in, and no field of a sentence has them.
    uint64_t digits = 0;
    int count = 0, decimals = 0;
    bool point = false;
    for (; *p != 0; ++p) {
        if (*p == u'.' && !point) {
            point = true;
        } else if (IsDigit(*p) && count < 18) {
            digits = digits * 10 + static_cast<uint64_t>(*p - u'0');
            ++count;
            decimals += point ? 1 : 0;
        } else {
            return {false, 0.0};
        }
    }
    if (count == 0)
        return {false, 0.0};
    const double value = static_cast<double>(digits) / kPowersOfTen[decimals];
    return {true, negative ? -value : value};
}

void ReadUtcTime(const char16_t* field, FixNumbers& fix) {
    fix.timeKnown = false;
    const int hour = TwoDigits(field);
    const int minute = hour < 0 ? -1 : TwoDigits(field + 2);
    const Known second = minute < 0 ? Known{false, 0.0} : ReadNumber(field + 4);
    // A leap second is 60.x; an hour of 24 or a minute of 60 is no time.
    if (!second.known || hour > 23 || minute > 59 || second.value >= 61.0 ||
        TwoDigits(field + 4) < 0)
        return;
    fix.hour = static_cast<uint8_t>(hour);
    fix.minute = static_cast<uint8_t>(minute);
    fix.second = second.value;
    fix.timeKnown = true;
}

void ReadUtcDate(const char16_t* field, FixNumbers& fix) {
    fix.dateKnown = false;
    const int day = TwoDigits(field);
    const int month = day < 0 ? -1 : TwoDigits(field + 2);
    const int year = month < 0 ? -1 : TwoDigits(field + 4);
    if (year < 0 || field[6] != 0 || day < 1 || day > 31 || month < 1 || month > 12)
        return;
    fix.day = static_cast<uint8_t>(day);
    fix.month = static_cast<uint8_t>(month);
    fix.year = static_cast<uint16_t>(2000 + year);
    fix.dateKnown = true;
}

void ReadPosition(const char16_t* latitude, const char16_t* northSouth, const char16_t* longitude,
                  const char16_t* eastWest, FixNumbers& fix) {
    fix.positionKnown = false;
    const bool north = northSouth[0] == u'N', south = northSouth[0] == u'S';
    const bool east = eastWest[0] == u'E', west = eastWest[0] == u'W';
    double lat = 0, lon = 0;
    if (!(north || south) || !(east || west) || northSouth[1] != 0 || eastWest[1] != 0 ||
        !DegreesOf(latitude, 90.0, &lat) || !DegreesOf(longitude, 180.0, &lon))
        return;
    fix.latitude = south ? -lat : lat;
    fix.longitude = west ? -lon : lon;
    fix.positionKnown = true;
}

int32_t ShownSpeedKmh(const char16_t* knots) {
    const double kmh = text16::IntOrZero(knots) * 1.852;
    return kmh >= 999999999.0   ? 999999999
           : kmh <= -99999999.0 ? -99999999
                                : static_cast<int32_t>(kmh);
}
