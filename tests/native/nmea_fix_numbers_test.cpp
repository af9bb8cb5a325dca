// The fix in numbers: the field readers' edges, and what GGA, RMC and GSA
// leave in the model, fed through the intake as a receiver sends them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "fake_intake_host.h"
#include "nmea/fix_numbers.h"

namespace {

struct FixTest : ::testing::Test, IntakeFixture {
    const FixNumbers& fix = status.fix;
    FixTest() { ClearReceiverModel(status); }
};

TEST(FixNumbers, FieldsReadOnlyWhenWhollyANumber) {
    const struct {
        const char16_t* field;
        bool known;
        double value;
    } cases[] = {
        {u"545.4", true, 545.4},
        {u"-12.05", true, -12.05},
        {u"+3", true, 3.0},
        {u"08", true, 8.0},
        {u"0", true, 0.0},
        {u".5", true, 0.5},
        {u"7.", true, 7.0},
        {u"", false, 0},
        {u"-", false, 0},
        {u".", false, 0},
        {u"1.2.3", false, 0},
        {u"12a", false, 0},
        {u" 12", false, 0},
        {u"1e3", false, 0},
        // As many digits and decimals as a number holds.
        {u"123456789012345678", true, 123456789012345678.0},
        {u"4807.0381234", true, 4807.0381234},
        {u"-.000000000000000025", true, -2.5e-17},
        {u".000000000000000001", true, 1e-18},
    };
    for (const auto& c : cases) {
        const Known k = ReadNumber(c.field);
        EXPECT_EQ(k.known, c.known) << Narrow(c.field);
        if (c.known) {
            EXPECT_DOUBLE_EQ(k.value, c.value) << Narrow(c.field);
        }
    }
    // Digits beyond what a number holds are no overflow, just no number.
    EXPECT_FALSE(ReadNumber(u"1234567890123456789012").known);
}

TEST(FixNumbers, TimesDatesAndPositionsOnlyWhenTheyCanBe) {
    const struct {
        const char16_t* time;
        bool known;
        int hour, minute;
        double second;
    } times[] = {
        {u"123519", true, 12, 35, 19.0}, {u"235960.25", true, 23, 59, 60.25},  // leap second
        {u"000000.000", true, 0, 0, 0},  {u"240000", false, 0, 0, 0},
        {u"126000", false, 0, 0, 0},     {u"1235", false, 0, 0, 0},
        {u"12351", false, 0, 0, 0},      {u"12:35:19", false, 0, 0, 0},
        {u"", false, 0, 0, 0},
    };
    for (const auto& t : times) {
        FixNumbers fix{};
        ReadUtcTime(t.time, fix);
        EXPECT_EQ(fix.timeKnown, t.known) << Narrow(t.time);
        if (t.known) {
            EXPECT_EQ(fix.hour, t.hour);
            EXPECT_EQ(fix.minute, t.minute);
            EXPECT_DOUBLE_EQ(fix.second, t.second);
        }
    }
    const struct {
        const char16_t* date;
        bool known;
    } dates[] = {{u"070126", true},  {u"310399", true}, {u"000126", false},
                 {u"071326", false}, {u"07012", false}, {u"0701260", false}};
    for (const auto& d : dates) {
        FixNumbers fix{};
        ReadUtcDate(d.date, fix);
        EXPECT_EQ(fix.dateKnown, d.known) << Narrow(d.date);
    }
    const struct {
        const char16_t *lat, *ns, *lon, *ew;
        bool known;
        double latitude, longitude;
    } positions[] = {
        {u"4807.038", u"N", u"01131.000", u"E", true, 48.1173, 11.516666666666667},
        {u"3351.5000", u"S", u"15112.3000", u"W", true, -33.858333333333334, -151.205},
        {u"0000.0000", u"N", u"00000.0000", u"E", true, 0.0, 0.0},  // a real place
        {u"9000.0000", u"N", u"18000.0000", u"W", true, 90.0, -180.0},
        {u"9000.0001", u"N", u"00000.0000", u"E", false, 0, 0},
        {u"4860.0000", u"N", u"01131.000", u"E", false, 0, 0},  // minutes of 60
        {u"4807.038", u"X", u"01131.000", u"E", false, 0, 0},
        {u"4807.038", u"N", u"01131.000", u"", false, 0, 0},
        {u"4807.038", u"NE", u"01131.000", u"E", false, 0, 0},
        {u"-4807.038", u"N", u"01131.000", u"E", false, 0, 0},
        {u"", u"N", u"01131.000", u"E", false, 0, 0},
    };
    for (const auto& p : positions) {
        FixNumbers fix{};
        ReadPosition(p.lat, p.ns, p.lon, p.ew, fix);
        EXPECT_EQ(fix.positionKnown, p.known) << Narrow(p.lat) << Narrow(p.ns);
        if (p.known) {
            EXPECT_NEAR(fix.latitude, p.latitude, 1e-12);
            EXPECT_NEAR(fix.longitude, p.longitude, 1e-12);
        }
    }
}

TEST_F(FixTest, GgaGivesTheFixInNumbers) {
    Feed(kGga);  // starts the first-fix clock: the intake decodes from the next line on
    Feed(Sentence("GPGGA,123519.50,4807.038,S,01131.000,W,4,12,0.9,-15.2,M,46.9,M,,"));
    EXPECT_TRUE(fix.timeKnown);
    EXPECT_DOUBLE_EQ(fix.second, 19.5);
    EXPECT_TRUE(fix.positionKnown);
    EXPECT_NEAR(fix.latitude, -48.1173, 1e-12);
    EXPECT_NEAR(fix.longitude, -11.516666666666667, 1e-12);
    EXPECT_TRUE(fix.qualityKnown);
    EXPECT_EQ(fix.quality, FixQuality::kRtkFixed);
    EXPECT_EQ(fix.satellitesUsed, 12);
    EXPECT_DOUBLE_EQ(fix.hdop.value, 0.9);
    EXPECT_DOUBLE_EQ(fix.altitude.value, -15.2);  // below the sea: the Dead Sea shore
    EXPECT_DOUBLE_EQ(fix.geoidSeparation.value, 46.9);

    // Without a fix the receiver empties the fields: nothing is known, and
    // nothing the longer GGA left in the field buffer comes back.
    Feed(Sentence("GPGGA,123520,,,,,0,00,,,M,,M,,"));
    EXPECT_TRUE(fix.qualityKnown);
    EXPECT_EQ(fix.quality, FixQuality::kNone);
    EXPECT_EQ(fix.satellitesUsed, 0);
    EXPECT_FALSE(fix.positionKnown || fix.hdop.known || fix.altitude.known ||
                 fix.geoidSeparation.known);
    Feed(Sentence("GPGGA,123521"));
    EXPECT_FALSE(fix.qualityKnown);
    EXPECT_EQ(fix.satellitesUsed, -1);
    for (const char* quality : {"9", "12", "A"}) {
        Feed(Sentence(std::string("GPGGA,123522,,,,,") + quality + ",05"));
        EXPECT_FALSE(fix.qualityKnown) << quality;
        EXPECT_EQ(fix.satellitesUsed, 5);
    }
}

TEST_F(FixTest, RmcAndGsaFillTheirShareAndAShortLineNoMore) {
    Feed(kGga);
    Feed(Sentence("GPRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0,130998,011.3,E"));
    EXPECT_TRUE(fix.dateKnown);
    EXPECT_EQ(fix.year, 1998 + 100);  // two digits of the year: 20yy, as the panel shows
    EXPECT_EQ(fix.month, 9);
    EXPECT_EQ(fix.day, 13);
    EXPECT_NEAR(fix.latitude, -37.860833333333333, 1e-12);
    EXPECT_TRUE(fix.speedKnots.known);
    EXPECT_EQ(fix.speedKnots.value, 0.0);  // standing still is a known speed
    EXPECT_DOUBLE_EQ(fix.course.value, 360.0);
    // The panel's texts keep the longer line's fields; the numbers do not.
    Feed(Sentence("GPRMC,081837,V"));
    EXPECT_EQ(Narrow(Texts(status).course), "360.0");
    EXPECT_FALSE(fix.dateKnown || fix.positionKnown || fix.speedKnots.known || fix.course.known);
    EXPECT_TRUE(fix.timeKnown);

    Feed(Sentence("GNGSA,A,3,02,11,25,36,,,,,,,,,1.7,0.8,1.6,3"));
    EXPECT_DOUBLE_EQ(fix.pdop.value, 1.7);
    EXPECT_DOUBLE_EQ(fix.hdop.value, 0.8);
    EXPECT_DOUBLE_EQ(fix.vdop.value, 1.6);
    Feed(Sentence("GPGSA,A,1,,,,,,,,,,,,,2.5"));
    EXPECT_DOUBLE_EQ(fix.pdop.value, 2.5);
    EXPECT_FALSE(fix.hdop.known || fix.vdop.known);  // the checksum digits are no HDOP
}

}  // namespace
