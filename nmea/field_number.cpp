#include "nmea/field_number.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Fifteen significant digits stay exact in a double; a receiver sends at
// most a dozen, and a longer field is a broken one.
constexpr int kMaxDigits = 15;

double Coordinate(const char16_t* value, const char16_t* hemisphere, char positive, char negative,
                  double limit) {
    const double v = FieldNumber(value);
    if (!(v >= 0.0) || hemisphere == nullptr || hemisphere[1] != 0)
        return kNaN;
    double sign = 0.0;
    if (hemisphere[0] == positive)
        sign = 1.0;
    else if (hemisphere[0] == negative)
        sign = -1.0;
    else
        return kNaN;
    const double degrees = std::floor(v / 100.0);
    const double minutes = v - degrees * 100.0;
    const double result = degrees + minutes / 60.0;
    if (minutes >= 60.0 || result > limit)
        return kNaN;
    return sign * result;
}

}  // namespace

double FieldNumber(const char16_t* field) {
    const char16_t* p = field;
    double sign = 1.0;
    if (*p == u'-' || *p == u'+') {
        sign = *p == u'-' ? -1.0 : 1.0;
        ++p;
    }
    uint64_t mantissa = 0;
    int digits = 0;
    int decimals = 0;
    bool point = false;
    bool anyDigit = false;
    // The last field of a line without checksum keeps its line feed: the
    // splitter ends fields at CR, and some captures end lines with LF alone.
    for (; *p != 0 && *p != u'\n' && *p != u'\r'; ++p) {
        if (*p == u'.' && !point) {
            point = true;
            continue;
        }
        if (*p < u'0' || *p > u'9')
            return kNaN;
        // Leading zeros ("00014") are no significant digits.
        anyDigit = true;
        if (mantissa != 0 || *p != u'0')
            ++digits;
        if (digits > kMaxDigits)
            return kNaN;
        mantissa = mantissa * 10 + static_cast<uint64_t>(*p - u'0');
        if (point)
            ++decimals;
    }
    if (!anyDigit)
        return kNaN;
    // Both are exact below 2^53, so the one division rounds correctly.
    return sign * (static_cast<double>(mantissa) / std::pow(10.0, decimals));
}

double FieldLatitude(const char16_t* value, const char16_t* hemisphere) {
    return Coordinate(value, hemisphere, 'N', 'S', 90.0);
}

double FieldLongitude(const char16_t* value, const char16_t* hemisphere) {
    return Coordinate(value, hemisphere, 'E', 'W', 180.0);
}

double FieldTimeOfDay(const char16_t* field) {
    const double v = FieldNumber(field);
    if (!(v >= 0.0))
        return kNaN;
    const double hours = std::floor(v / 10000.0);
    const double minutes = std::floor(v / 100.0) - hours * 100.0;
    const double seconds = v - hours * 10000.0 - minutes * 100.0;
    if (hours >= 24.0 || minutes >= 60.0 || seconds >= 61.0)
        return kNaN;
    return hours * 3600.0 + minutes * 60.0 + seconds;
}
