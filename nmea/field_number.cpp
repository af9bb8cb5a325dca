#include "nmea/field_number.h"

#include <cstddef>
#include <limits>

#include "nmea/fix_numbers.h"
#include "nmea/receiver_model.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The last field of a line without checksum keeps its line feed: the
// splitter ends fields at CR, and some captures end lines with LF alone.
struct Trimmed {
    explicit Trimmed(const char16_t* field) {
        size_t n = 0;
        for (; field[n] != 0 && field[n] != u'\n' && field[n] != u'\r' && n + 1 < kNavFieldWidth;
             ++n)
            text[n] = field[n];
        text[n] = 0;
    }
    char16_t text[kNavFieldWidth];
};

}  // namespace

double FieldNumber(const char16_t* field) {
    const Known v = ReadNumber(Trimmed(field).text);
    return v.known ? v.value : kNaN;
}

void FieldPosition(const char16_t* latitude, const char16_t* northSouth, const char16_t* longitude,
                   const char16_t* eastWest, double* lat, double* lon) {
    FixNumbers fix{};
    ReadPosition(latitude, northSouth, longitude, eastWest, fix);
    *lat = fix.positionKnown ? fix.latitude : kNaN;
    *lon = fix.positionKnown ? fix.longitude : kNaN;
}

double FieldTimeOfDay(const char16_t* field) {
    FixNumbers fix{};
    ReadUtcTime(Trimmed(field).text, fix);
    return fix.timeKnown ? fix.hour * 3600.0 + fix.minute * 60.0 + fix.second : kNaN;
}
