#include <gtest/gtest.h>

#include <string>

#include "fake_intake_host.h"

namespace {

struct RmcFieldsIn {
    std::string time = "123519.000", status = "A", lat = "4807.0380", ns = "N", lon = "01131.0000",
                ew = "E", speed = "022.4", course = "084.4", date = "070126";
};

std::string Rmc(const RmcFieldsIn& f) {
    return Sentence("GPRMC," + f.time + "," + f.status + "," + f.lat + "," + f.ns + "," + f.lon +
                    "," + f.ew + "," + f.speed + "," + f.course + "," + f.date + ",,,A");
}

struct RmcTest : ::testing::Test, IntakeFixture {
    void Decode(const RmcFieldsIn& f) {
        const std::u16string line = U(Rmc(f));
        DecodeRmc(host, status, line.c_str());
    }
};

TEST_F(RmcTest, LocalDateAndTime) {
    const struct {
        std::string time, date;
        int32_t offset;
        std::string shownDate, shownTime;
        int dayOfWeek;
    } cases[] = {
        {"123519.000", "070126", 120, "2026/01/07", "14:35:19", 3},
        {"123519", "070126", 0, "2026/01/07", "12:35:19", 3},
        {"233000.50", "311226", 90, "2027/01/01", "01:00:00", 5},
        {"003000", "010326", -60, "2026/02/28", "23:30:00", 6},
        {"000000", "290224", 0, "2024/02/29", "00:00:00", 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time + " " + c.date);
        host.utcOffsetMinutes = c.offset;
        RmcFieldsIn f;
        f.time = c.time;
        f.date = c.date;
        Decode(f);
        EXPECT_EQ(Narrow(Texts(status).date), c.shownDate);
        EXPECT_EQ(Narrow(Texts(status).time), c.shownTime);
        EXPECT_EQ(status.receiverTimeSet, 1);
        EXPECT_EQ(status.receiverTime.wDayOfWeek, c.dayOfWeek);
        EXPECT_EQ(status.receiverTime.wMilliseconds, 0);
    }
}

TEST_F(RmcTest, TimeThatCannotBeConvertedLeavesTheLastGoodOne) {
    // A first RMC with a time the calendar cannot hold sets nothing at all.
    RmcFieldsIn bad;
    bad.date = "310226";  // 31 February
    Decode(bad);
    EXPECT_EQ(status.receiverTimeSet, 0);
    EXPECT_EQ(Narrow(Texts(status).date), "");

    RmcFieldsIn good;
    Decode(good);
    const CivilTime before = status.receiverTime;
    const struct {
        std::string time, date;
    } cases[] = {
        {"123519", "310226"},      {"123519", "071326"},  {"123519", "000126"},
        {"253519", "070126"},      {"126019", "070126"},  {"123560", "070126"},
        {"123519", "07"},          {"123519", "x70126"},  {"123519", "99999999999"},
        {"99999999999", "070126"}, {"-123519", "070126"}, {"123519", "0701-6"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time + " " + c.date);
        RmcFieldsIn f;
        f.time = c.time;
        f.date = c.date;
        Decode(f);
        EXPECT_EQ(Narrow(Texts(status).date), "2026/01/07");
        EXPECT_EQ(Narrow(Texts(status).time), "12:35:19");
        EXPECT_EQ(0, std::memcmp(&before, &status.receiverTime, sizeof before));
    }
    // An empty date or time field leaves them as well.
    RmcFieldsIn noDate;
    noDate.date = "";
    noDate.time = "000000";
    Decode(noDate);
    RmcFieldsIn noTime;
    noTime.time = "";
    noTime.date = "010101";
    Decode(noTime);
    EXPECT_EQ(Narrow(Texts(status).time), "12:35:19");

    // Opening a link empties the panel's date and time; a line whose time
    // cannot be converted shows none, though "Set Time" keeps the last good one.
    ClearReceiverModel(status);
    Decode(bad);
    EXPECT_EQ(Narrow(Texts(status).date), "");
    EXPECT_EQ(Narrow(Texts(status).time), "");
    EXPECT_EQ(status.receiverTimeSet, 1);
    EXPECT_EQ(0, std::memcmp(&before, &status.receiverTime, sizeof before));
}

TEST_F(RmcTest, SpeedInKilometresPerHour) {
    const struct {
        std::string knots, shown;
        bool fast;
    } cases[] = {
        {"0.00", "0 Km/hr", false},         {"0.9", "0 Km/hr", false},
        {"12.5", "22 Km/hr", false},        {"54.0", "100 Km/hr", false},
        {"55.0", "101 Km/hr", true},        {"", "0 Km/hr", false},
        {"539", "998 Km/hr", true},         {"540", "1000", true},
        {"abc", "0 Km/hr", false},          {"-5", "-9 Km/hr", false},
        {"99999999999", "999999999", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.knots);
        host.color = kColorBlack;
        RmcFieldsIn f;
        f.speed = c.knots;
        Decode(f);
        EXPECT_EQ(Narrow(Texts(status).speed), c.shown);
        EXPECT_EQ(host.color, c.fast ? kColorGreen : kColorBlack);
    }
}

TEST_F(RmcTest, FastLinesAreShownGreenAndHoldNothingUp) {
    // A receiver at 10 Hz above 100 km/h before its first fix: the clock
    // moves 100 ms a line and nothing else moves it.
    const uint32_t start = host.tick;
    RmcFieldsIn f;
    f.status = "V";
    f.speed = "55.0";
    for (int i = 0; i < 40; ++i) {
        Feed(Rmc(f));
        host.tick += 100;
    }
    ASSERT_EQ(host.console.size(), 40u);
    for (const ConsoleEntry& line : host.console)
        EXPECT_EQ(line.color, kColorGreen);
    f.status = "A";
    Feed(Rmc(f));
    // The first fix came 4 s after the clock started, as the receiver took.
    EXPECT_EQ(host.tick - start, 4000u);
    EXPECT_EQ(host.caption, u"Skyloom  4 Sec");
}

TEST_F(RmcTest, CourseFixStateAndHemispheres) {
    const struct {
        std::string status, course, ns;
        std::string fix, shownCourse, shownNs;
    } cases[] = {
        {"A", "084.4", "N", "3D", "084.4", "N"},
        {"V", "", "S", "No Fix", "0", "S"},
        {"", "359.99", "N", "No Fix", "359.99", "N"},
        {"a", "123.4567890", "Northward", "No Fix", "123.45678", "Northward"},
        {"A", "1", "Northwards", "3D", "1", "Northward"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.course);
        RmcFieldsIn f;
        f.status = c.status;
        f.course = c.course;
        f.ns = c.ns;
        Decode(f);
        EXPECT_EQ(Narrow(Texts(status).fixState), c.fix);
        EXPECT_EQ(Narrow(Texts(status).course), c.shownCourse);
        EXPECT_EQ(Narrow(Texts(status).latHemisphere), c.shownNs);
    }
}

TEST_F(RmcTest, PositionTexts) {
    const struct {
        std::string lat, lon, shownLat, shownLon;
    } cases[] = {
        {"4807.0380", "01131.0000", "48`07.0380'", "011`31.0000'"},
        {"0000.0000", "00000.0000", "00`00.0000'", "000`00.0000'"},
        {"9000.0000", "18000.0000", "90`00.0000'", "180`00.0000'"},
        {"8959.9999", "17959.9999", "89`59.9999'", "179`59.9999'"},
        {"0512.3456", "00012.3456", "05`12.3456'", "000`12.3456'"},
        // Short fields read no digits that are not there.
        {"48", "011", "00`00.0000'", "000`00.0000'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lat);
        RmcFieldsIn f;
        f.lat = c.lat;
        f.lon = c.lon;
        f.ew = "W";
        Decode(f);
        EXPECT_EQ(Narrow(Texts(status).latitude), c.shownLat);
        EXPECT_EQ(Narrow(Texts(status).longitude), c.shownLon);
        EXPECT_EQ(Narrow(Texts(status).lonHemisphere), "W");
    }
}

TEST_F(RmcTest, IncompletePositionKeepsTheLastOne) {
    RmcFieldsIn f;
    Decode(f);
    for (int missing = 0; missing < 4; ++missing) {
        RmcFieldsIn g;
        g.status = "V";
        g.lat = "1111.1111";
        g.lon = "02222.2222";
        g.ns = "S";
        g.ew = "W";
        std::string* fields[] = {&g.lat, &g.ns, &g.lon, &g.ew};
        *fields[missing] = "";
        Decode(g);
        EXPECT_EQ(Narrow(Texts(status).fixState), "No Fix");
        EXPECT_EQ(Narrow(Texts(status).latitude), "48`07.0380'");
        EXPECT_EQ(Narrow(Texts(status).longitude), "011`31.0000'");
        EXPECT_EQ(Narrow(Texts(status).latHemisphere), "N");
        EXPECT_EQ(Narrow(Texts(status).lonHemisphere), "E");
    }
}

TEST_F(RmcTest, FieldsALineDoesNotReachKeepWhatTheLastOneSent) {
    Decode(RmcFieldsIn{});
    // Opening a link clears the panel's texts, not the field buffers; what
    // an empty course or speed field shows is no text of a cleared panel.
    ClearReceiverModel(status);
    const StatusTexts cleared = Texts(status);
    EXPECT_EQ(Narrow(cleared.course), "");
    EXPECT_EQ(Narrow(cleared.speed), "");
    // Its checksum digits become field 3; fields 4 to 12 are not reached.
    const std::u16string shortLine = U(Sentence("GPRMC,123520,V"));
    DecodeRmc(host, status, shortLine.c_str());
    EXPECT_EQ(Narrow(Texts(status).fixState), "No Fix");
    EXPECT_EQ(Narrow(Texts(status).time), "12:35:20");  // with the date of the earlier line
    EXPECT_EQ(Narrow(Texts(status).date), "2026/01/07");
    EXPECT_EQ(Narrow(Texts(status).course), "084.4");
    EXPECT_EQ(Narrow(Texts(status).speed), "40 Km/hr");
    EXPECT_EQ(Narrow(Texts(status).lonHemisphere), "E");
}

TEST_F(RmcTest, HugeNumbersStayInsideTheSlots) {
    RmcFieldsIn f;
    f.lat = "99999999999.99999999999";
    f.lon = "-99999999999.-9999999999";
    f.time = "99999999999";
    f.date = "-9999999999";
    Decode(f);
    EXPECT_LE(text16::Length(Texts(status).latitude), 14u);
    EXPECT_LE(text16::Length(Texts(status).longitude), 14u);
}

}  // namespace
