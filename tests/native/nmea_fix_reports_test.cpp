// GST and GNS in numbers, from lines real receivers sent (the captures named
// beside each row), and the number fields under them.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "fake_intake_host.h"
#include "nmea/field_number.h"
#include "nmea/fix_reports.h"

namespace {

const double kNaN = std::nan("");

void ExpectValue(double actual, double expected, const std::string& where) {
    if (std::isnan(expected))
        EXPECT_TRUE(std::isnan(actual)) << where << " gave " << actual;
    else
        EXPECT_NEAR(actual, expected, 1e-9) << where;
}

TEST(FieldNumbers, Table) {
    const struct {
        const char* text;
        double value;
    } rows[] = {
        {"545.4", 545.4}, {"-0.5", -0.5},  {"+2", 2},
        {"00014", 14},    {".5", 0.5},     {"5.", 5},
        {"0", 0},         {"", kNaN},      {".", kNaN},
        {"-", kNaN},      {"1.2.3", kNaN}, {"1e5", kNaN},
        {" 1", kNaN},     {"12a", kNaN},   {"123456789012345", 123456789012345.0},
        {"7.5\n", 7.5},  // the last field of a line with LF alone and no checksum
    };
    for (const auto& row : rows)
        ExpectValue(FieldNumber(U(row.text).c_str()), row.value, row.text);
}

TEST(FieldNumbers, CoordinatesAndTimes) {
    const struct {
        const char* value;
        const char* hemisphere;
        bool latitude;
        double degrees;
    } coordinates[] = {
        {"4807.038", "N", true, 48.1173},
        {"4807.038", "S", true, -48.1173},
        {"9000.000", "N", true, 90.0},
        {"9000.001", "N", true, kNaN},
        {"4860.000", "N", true, kNaN},  // 60 minutes
        {"4807.038", "E", true, kNaN},
        {"4807.038", "", true, kNaN},
        {"4807.038", "NS", true, kNaN},
        {"", "N", true, kNaN},
        {"-4807.038", "N", true, kNaN},
        {"01131.000", "E", false, 11.516666666666667},
        {"17959.9999", "W", false, -(179 + 59.9999 / 60)},
        {"18000.0000", "E", false, 180.0},
        {"18000.0001", "E", false, kNaN},
        {"01131.000", "N", false, kNaN},
    };
    // Each coordinate beside a good other one: a bad one makes both not known.
    for (const auto& row : coordinates) {
        const std::u16string v = U(row.value), h = U(row.hemisphere);
        double lat = 0, lon = 0;
        if (row.latitude)
            FieldPosition(v.c_str(), h.c_str(), u"01131.000", u"E", &lat, &lon);
        else
            FieldPosition(u"4807.038", u"N", v.c_str(), h.c_str(), &lat, &lon);
        ExpectValue(row.latitude ? lat : lon, row.degrees, std::string(row.value) + row.hemisphere);
        EXPECT_EQ(std::isnan(lat), std::isnan(lon)) << row.value;
    }
    const struct {
        const char* text;
        double seconds;
    } times[] = {
        {"123519", 45319}, {"123519.50", 45319.5},
        {"000000.00", 0},  {"235960", 86400},  // a leap second as receivers show it
        {"240000", kNaN},  {"126000", kNaN},
        {"", kNaN},        {"-00001", kNaN},
    };
    for (const auto& row : times)
        ExpectValue(FieldTimeOfDay(U(row.text).c_str()), row.seconds, row.text);
}

TEST(GstDecoding, RealSentences) {
    const struct {
        const char* line;
        double time, rms, major, minor, orientation, lat, lon, alt;
    } rows[] = {
        // quectel-L70: every field, with leading zeros
        {"$GPGST,150119.000,004.0,008.7,004.7,132.3,006.8,007.2,00014*71", 54079, 4.0, 8.7, 4.7,
         132.3, 6.8, 7.2, 14},
        // isync: no ellipse
        {"$GPGST,131519.00,11,,,,0.70,0.49,1.1*53", 47719, 11, kNaN, kNaN, kNaN, 0.70, 0.49, 1.1},
        // gr8013-w: the GN talker
        {"$GNGST,181141.00,46,,,,4.7,1.9,5.3*4A", 65501, 46, kNaN, kNaN, kNaN, 4.7, 1.9, 5.3},
        // skytraq-fix: the time alone
        {"$GPGST,232712.000,,,,,,,*4E", 84432, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN},
        // ublox-lea-5q before its first fix: hundreds of kilometres
        {"$GPGST,001901.00,0.0000,,,,304885,304880,62123*5F", 1141, 0, kNaN, kNaN, kNaN, 304885,
         304880, 62123},
        // the rest of a damaged line before its '$'
        {"@#$GPGST,232712.000,,,,,,,*4E", 84432, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN},
        // cut after the time (LF alone, as some captures store lines)
        {"$GPGST,001901.00\n", 1141, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN},
    };
    for (const auto& row : rows) {
        GstReport r{};
        ASSERT_TRUE(ReadGst(U(row.line).c_str(), &r)) << row.line;
        ExpectValue(r.timeOfDay, row.time, std::string(row.line) + " time");
        ExpectValue(r.rms, row.rms, std::string(row.line) + " rms");
        ExpectValue(r.sdMajor, row.major, std::string(row.line) + " major");
        ExpectValue(r.sdMinor, row.minor, std::string(row.line) + " minor");
        ExpectValue(r.orientation, row.orientation, std::string(row.line) + " orientation");
        ExpectValue(r.sdLatitude, row.lat, std::string(row.line) + " lat");
        ExpectValue(r.sdLongitude, row.lon, std::string(row.line) + " lon");
        ExpectValue(r.sdAltitude, row.alt, std::string(row.line) + " alt");
    }
    GstReport r{};
    for (const char* other :
         {"$GPGSA,A,3,,,,,,,,,,,,,1.5,0.9,1.2*39", "$GPGSTX,1,2*00", "GPGST,1", "$GST,1,2", ""})
        EXPECT_FALSE(ReadGst(U(other).c_str(), &r)) << other;
}

TEST(GnsDecoding, RealSentences) {
    const struct {
        const char* line;
        double time, lat, lon, alt, separation, hdop, age;
        int satellites;
        const char* modes;
        char status;
        int quality;
    } rows[] = {
        // telit-pls83-w: four systems with a fix, NavIC none, status "not valid"
        {"$GNGNS,043539.00,4333.190206,N,00127.618380,E,AAAAN,14,1.3,250.8,50.0,,,V*62", 16539,
         43 + 33.190206 / 60, 1 + 27.618380 / 60, 250.8, 50.0, 1.3, kNaN, 14, "AAAAN", 'V', 1},
        // quectel-eg25-g-2
        {"$GNGNS,051347.00,6001.336799,N,03014.169008,E,AAN,09,0.9,16.5,18.0,,,V*55", 18827,
         60 + 1.336799 / 60, 30 + 14.169008 / 60, 16.5, 18.0, 0.9, kNaN, 9, "AAN", 'V', 1},
        // quectel-eg25-g before its fix: nothing but the time and "no fix"
        {"$GNGNS,191434.96,,,,,NNN,,,,,,*36", 69274.96, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, -1,
         "NNN", 0, 0},
        // beidou-bd (SiRF): NMEA 4.0's twelve fields, a station "0000"
        {"$GNGNS,074150.799,,,,,NNNN,00,,,0.0,,0000*63", 27710.799, kNaN, kNaN, kNaN, 0.0, kNaN,
         kNaN, 0, "NNNN", 0, 0},
        // made for the table: south and west, RTK on GLONASS over DGPS on GPS
        {"$GNGNS,120000.00,3351.5000,S,15112.0000,W,DR,20,0.6,12.0,,1.5,0101,S*00", 43200,
         -(33 + 51.5 / 60), -(151 + 12.0 / 60), 12.0, kNaN, 0.6, 1.5, 20, "DR", 'S', 4},
        // float RTK beats autonomous; an estimate only where nothing better is
        {"$GNGNS,120000.00,0000.0000,N,00000.0000,E,AF,20,0.6,12.0,,,,*00", 43200, 0, 0, 12.0, kNaN,
         0.6, kNaN, 20, "AF", 0, 5},
        {"$GNGNS,120000.00,0000.0000,N,00000.0000,E,NE,20,0.6,12.0,,,,*00", 43200, 0, 0, 12.0, kNaN,
         0.6, kNaN, 20, "NE", 0, 6},
        // seven letters: the six systems kept
        {"$GNGNS,120000.00,,,,,AAAAAAA,x,,,,,,*00", 43200, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, -1,
         "AAAAAA", 0, 1},
    };
    for (const auto& row : rows) {
        const std::string where = row.line;
        GnsReport r{};
        ASSERT_TRUE(ReadGns(U(row.line).c_str(), &r)) << where;
        ExpectValue(r.timeOfDay, row.time, where + " time");
        ExpectValue(r.latitude, row.lat, where + " lat");
        ExpectValue(r.longitude, row.lon, where + " lon");
        ExpectValue(r.altitude, row.alt, where + " alt");
        ExpectValue(r.geoidSeparation, row.separation, where + " separation");
        ExpectValue(r.hdop, row.hdop, where + " hdop");
        ExpectValue(r.correctionAge, row.age, where + " age");
        EXPECT_EQ(r.satellites, row.satellites) << where;
        EXPECT_STREQ(r.modes, row.modes) << where;
        EXPECT_EQ(r.navStatus, row.status) << where;
        EXPECT_EQ(r.quality, row.quality) << where;
    }
    EXPECT_EQ(GnsModeSystem(3), GnssSystem::kBeiDou);
    EXPECT_EQ(GnsModeSystem(5), GnssSystem::kNavic);
    GnsReport r{};
    EXPECT_FALSE(ReadGns(U("$GNGGA,120000.00,,,,,0,00,,,M,,M,,*00").c_str(), &r));
}

// Through the intake, as a row of the sentence table: the model keeps the
// last of each, and a clearing forgets them.
TEST(GstGnsDecoding, TheModelKeepsTheLastOfEach) {
    IntakeFixture f;
    EXPECT_EQ(f.Feed("$GPGST,131519.00,11,,,,0.70,0.49,1.1*53\r\n"), 1);
    EXPECT_EQ(
        f.Feed("$GNGNS,051347.00,6001.336799,N,03014.169008,E,AAN,09,0.9,16.5,18.0,,,V*55\r\n"), 1);
    ASSERT_TRUE(f.status.accuracyKnown);
    EXPECT_DOUBLE_EQ(f.status.accuracy.sdLongitude, 0.49);
    ASSERT_TRUE(f.status.gnsKnown);
    EXPECT_STREQ(f.status.gns.modes, "AAN");
    EXPECT_EQ(f.host.console.size(), 2u) << "both shown";
    ClearReceiverModel(f.status);
    EXPECT_FALSE(f.status.accuracyKnown || f.status.gnsKnown);
}

// Every GST and GNS line of every capture decodes, and each one dated.
TEST(GstGnsDecoding, EveryCaptureLine) {
    const std::filesystem::path dir =
        std::filesystem::path(SKYLOOM_SOURCE_DIR) / "tests" / "data" / "captures";
    size_t gst = 0, gns = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            if (line.size() < 8 || line[0] != '$')
                continue;
            const bool isGst = line.compare(3, 4, "GST,") == 0;
            const bool isGns = line.compare(3, 4, "GNS,") == 0;
            if (!isGst && !isGns)
                continue;
            const std::u16string units = U(line + "\n");
            if (isGst) {
                GstReport r{};
                ASSERT_TRUE(ReadGst(units.c_str(), &r)) << line;
                EXPECT_TRUE(std::isfinite(r.timeOfDay)) << line;
                ++gst;
            } else {
                GnsReport r{};
                ASSERT_TRUE(ReadGns(units.c_str(), &r)) << line;
                EXPECT_TRUE(std::isfinite(r.timeOfDay)) << line;
                // A position and a mode letter of a fix go together.
                EXPECT_EQ(std::isfinite(r.latitude), r.quality != 0) << line;
                ++gns;
            }
        }
    }
    EXPECT_GE(gst, 150u);
    EXPECT_GE(gns, 80u);
}

}  // namespace
