#include "nmea/position_text.h"

#include <cstdint>

#include "nmea/text16.h"

namespace {

// Degrees are what the whole-minute number holds above its last two digits.
void FormatPosition(const char16_t* field, size_t minutesAt, size_t fractionAt, const char* format,
                    char16_t* out, size_t cap) {
    const int64_t whole = text16::IntAt(field, 0);
    const int32_t minutes = text16::IntAt(field, minutesAt);
    const int32_t fraction = text16::IntAt(field, fractionAt);
    const int degrees = static_cast<int>((whole - minutes) / 100);
    text16::Format(out, cap, format, degrees, static_cast<int>(minutes),
                   static_cast<int>(fraction));
}

}  // namespace

void FormatLatitude(const char16_t* field, char16_t* out, size_t cap) {
    FormatPosition(field, 2, 5, "%.2d`%.2d.%.4d'", out, cap);
}

void FormatLongitude(const char16_t* field, char16_t* out, size_t cap) {
    FormatPosition(field, 3, 6, "%.3d`%.2d.%.4d'", out, cap);
}
