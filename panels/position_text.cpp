#include "panels/position_text.h"

#include <cstdint>
#include <iterator>

#include "nmea/text16.h"

namespace {

constexpr size_t kMinFractionDigits = 4;

// Degrees and whole minutes come from whole numbers read at fixed positions;
// the fraction of the minutes is taken digit by digit as the receiver sent
// it, because receivers send anything from three to seven decimals and
// reading them as one number loses their leading zeros.
void FormatPosition(const char16_t* field, size_t minutesAt, size_t fractionAt, int degreeDigits,
                    char16_t* out, size_t cap) {
    if (cap == 0)
        return;
    const int64_t whole = text16::IntAt(field, 0);
    const int32_t minutes = text16::IntAt(field, minutesAt);
    const int degrees = static_cast<int>((whole - minutes) / 100);

    char16_t head[40];
    // "%.2d`%.2d." for latitudes, "%.3d`%.2d." for longitudes.
    const size_t headLength = text16::NarrowBuilder()
                                  .Int(degrees, degreeDigits)
                                  .Text("`")
                                  .Int(minutes, 2)
                                  .Text(".")
                                  .Store(head);
    // Room for the fraction between the head and the closing apostrophe.
    if (headLength + 2 > cap - 1) {
        out[0] = 0;  // degrees and minutes alone do not fit: a cut number would mislead
        return;
    }
    const size_t room = cap - 1 - headLength - 1;

    const size_t length = text16::Length(field);
    const char16_t* digits = field + (fractionAt <= length ? fractionAt : length);
    size_t sent = 0;
    while (digits[sent] >= u'0' && digits[sent] <= u'9')
        ++sent;

    size_t n = text16::Copy(out, cap, head);
    const size_t shown = (sent > kMinFractionDigits ? sent : kMinFractionDigits);
    for (size_t i = 0; i < shown && i < room; ++i)
        out[n++] = i < sent ? digits[i] : u'0';
    out[n++] = u'\'';
    out[n] = 0;
}

}  // namespace

void FormatLatitude(const char16_t* field, decltype(StatusTexts::latitude)& out) {
    FormatPosition(field, 2, 5, 2, out, std::size(out));
}

void FormatLongitude(const char16_t* field, decltype(StatusTexts::longitude)& out) {
    FormatPosition(field, 3, 6, 3, out, std::size(out));
}
