#include <gtest/gtest.h>

#include <string>

#include "fake_intake_host.h"
#include "panels/position_text.h"

namespace {

// The latitude and longitude slots hold 14 characters.
struct Slot {
    decltype(StatusTexts::latitude) text;
    char16_t guard[2] = {u'#', u'#'};
    Slot() {
        for (char16_t& c : text)
            c = u'#';
    }
    bool GuardIntact() const { return guard[0] == u'#' && guard[1] == u'#'; }
};

using FormatFn = void (*)(const char16_t*, decltype(Slot::text)&);

TEST(PositionText, FractionAsSent) {
    const FormatFn lat = FormatLatitude, lon = FormatLongitude;
    const struct {
        FormatFn format;
        std::string field, shown;
    } cases[] = {
        {lat, "4807", "48`07.0000'"},
        {lat, "4807.", "48`07.0000'"},
        {lat, "4807.5", "48`07.5000'"},
        {lat, "4807.03", "48`07.0300'"},
        {lat, "4807.038", "48`07.0380'"},
        {lat, "4807.0380", "48`07.0380'"},
        {lat, "4807.03831", "48`07.03831'"},
        {lat, "4807.000001", "48`07.000001'"},
        {lat, "4807.0383123", "48`07.0383123'"},
        // Eight decimals do not fit 14 characters: the last one goes.
        {lat, "4807.03831234", "48`07.0383123'"},
        {lat, "0000.00000", "00`00.00000'"},
        {lat, "9000.0000000", "90`00.0000000'"},
        {lat, "0059.9", "00`59.9000'"},
        // Digits stop at the first character that is none.
        {lat, "4807.03x5", "48`07.0300'"},
        {lon, "01131", "011`31.0000'"},
        {lon, "01131.0", "011`31.0000'"},
        {lon, "01131.000", "011`31.0000'"},
        {lon, "01131.0000", "011`31.0000'"},
        {lon, "01131.00042", "011`31.00042'"},
        {lon, "01131.000421", "011`31.000421'"},
        // The widest degrees leave room for six decimals.
        {lon, "17959.9999999", "179`59.999999'"},
        {lon, "18000.12345678", "180`00.123456'"},
        {lon, "00000.000", "000`00.0000'"},
        // Degrees and minutes that cannot fit are left out altogether...
        {lon, "99999999999.5", ""},
        {lon, "123456789012.0", ""},
        // ... and as wide as still fits, the fraction keeps one digit.
        {lat, "1234567", "12000`34567.6'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        Slot slot;
        c.format(U(c.field).c_str(), slot.text);
        EXPECT_EQ(Narrow(slot.text), c.shown);
        EXPECT_TRUE(slot.GuardIntact());
    }
}

}  // namespace
