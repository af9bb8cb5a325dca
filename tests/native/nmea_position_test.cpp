#include <gtest/gtest.h>

#include <string>

#include "fake_intake_host.h"
#include "nmea/position_text.h"

namespace {

constexpr size_t kSlot = 15;  // latitude and longitude: 14 characters

struct Slot {
    char16_t text[kSlot + 2];
    Slot() {
        for (char16_t& c : text)
            c = u'#';
    }
    bool GuardIntact() const { return text[kSlot] == u'#' && text[kSlot + 1] == u'#'; }
};

TEST(PositionText, LatitudeFractionAsSent) {
    const struct {
        std::string field, shown;
    } cases[] = {
        {"4807", "48`07.0000'"},
        {"4807.", "48`07.0000'"},
        {"4807.5", "48`07.5000'"},
        {"4807.03", "48`07.0300'"},
        {"4807.038", "48`07.0380'"},
        {"4807.0380", "48`07.0380'"},
        {"4807.03831", "48`07.03831'"},
        {"4807.000001", "48`07.000001'"},
        {"4807.0383123", "48`07.0383123'"},
        // Eight decimals do not fit 14 characters: the last one goes.
        {"4807.03831234", "48`07.0383123'"},
        {"0000.00000", "00`00.00000'"},
        {"9000.0000000", "90`00.0000000'"},
        {"0059.9", "00`59.9000'"},
        // Digits stop at the first character that is none.
        {"4807.03x5", "48`07.0300'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        Slot slot;
        FormatLatitude(U(c.field).c_str(), slot.text, kSlot);
        EXPECT_EQ(Narrow(slot.text), c.shown);
        EXPECT_TRUE(slot.GuardIntact());
    }
}

TEST(PositionText, LongitudeFractionAsSent) {
    const struct {
        std::string field, shown;
    } cases[] = {
        {"01131", "011`31.0000'"},
        {"01131.0", "011`31.0000'"},
        {"01131.000", "011`31.0000'"},
        {"01131.0000", "011`31.0000'"},
        {"01131.00042", "011`31.00042'"},
        {"01131.000421", "011`31.000421'"},
        // The widest degrees leave room for six decimals.
        {"17959.9999999", "179`59.999999'"},
        {"18000.12345678", "180`00.123456'"},
        {"00000.000", "000`00.0000'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        Slot slot;
        FormatLongitude(U(c.field).c_str(), slot.text, kSlot);
        EXPECT_EQ(Narrow(slot.text), c.shown);
        EXPECT_TRUE(slot.GuardIntact());
    }
}

TEST(PositionText, DegreesAndMinutesThatCannotFitAreLeftOut) {
    for (const char* field : {"99999999999.5", "123456789012.0"}) {
        Slot slot;
        FormatLongitude(U(field).c_str(), slot.text, kSlot);
        EXPECT_EQ(slot.text[0], 0) << field;
        EXPECT_TRUE(slot.GuardIntact());
    }
    // As wide as still fits: the fraction keeps one digit.
    Slot slot;
    FormatLatitude(u"1234567", slot.text, kSlot);
    EXPECT_EQ(Narrow(slot.text), "12000`34567.6'");
}

}  // namespace
