// The simulated receiver's wander, GST and fix quality, measured the way
// the Position Statistics window measures a real one.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fake_intake_host.h"
#include "nmea/field_number.h"
#include "nmea/fix_reports.h"
#include "sim_lines.h"
#include "stats/position_feed.h"
#include "tools/skyloom_sim/sim_receiver.h"
#include "tools/skyloom_sim/sim_sentence.h"

namespace {

constexpr double kUtc = 1767789319.0;  // 2026-01-07 12:35:19 UTC

double Number(const std::string& text) {
    return FieldNumber(U(text).c_str());
}

// Feeds every GGA and GST of `cycles` cycles ten seconds apart into a series.
stats::PositionFigures Measure(const sim::ReceiverOptions& o, int cycles,
                               stats::PositionSeries& series) {
    sim::Receiver r(o);
    stats::PositionFeed feed(series);
    for (int t = 0; t < cycles * 10; t += 10) {
        for (const std::string& line : r.Cycle(t, kUtc + t)) {
            const auto f = Fields(line);
            if (f[0] == "$GNGGA") {
                double lat = 0, lon = 0;
                FieldPosition(U(f[2]).c_str(), U(f[3]).c_str(), U(f[4]).c_str(), U(f[5]).c_str(),
                              &lat, &lon);
                feed.OnFix(stats::FixSource::kGga,
                           {FieldTimeOfDay(U(f[1]).c_str()), lat, lon, Number(f[9]), Number(f[8]),
                            static_cast<int>(Number(f[7])), static_cast<int>(Number(f[6]))});
            } else if (f[0] == "$GNGST") {
                GstReport g{};
                EXPECT_TRUE(ReadGst(U(line).c_str(), &g)) << line;
                feed.OnGst(g.timeOfDay, g.sdLatitude, g.sdLongitude, g.sdAltitude);
            }
        }
    }
    return series.Figures({});
}

// Over 30000 s, a thousand drift times: each axis's deviation lands within
// 15% of its scale (five times the spread of the estimate), and the
// receiver's own estimate is the scale itself.
TEST(SimWander, TheFiguresFindTheWanderItWasGiven) {
    const struct {
        double scale;
        int quality;
        stats::QualityBucket bucket;
    } rows[] = {
        {3.0, 5, stats::kQualityRtkFloat},
        {0.05, 4, stats::kQualityRtkFixed},  // centimetres survive the sentence
        {10.0, 2, stats::kQualityDgps},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.scale);
        sim::ReceiverOptions o;
        o.fixAfterSeconds = 0;
        o.speedKmh = 0;
        o.wanderMetres = row.scale;
        o.quality = row.quality;
        o.systems = sim::kGps;
        stats::PositionSeries series;
        const stats::PositionFigures g = Measure(o, 3000, series);
        EXPECT_EQ(g.fixes, 3000u);
        EXPECT_EQ(g.byQuality[row.bucket], 3000u);
        EXPECT_NEAR(g.sdEast, row.scale, 0.15 * row.scale);
        EXPECT_NEAR(g.sdNorth, row.scale, 0.15 * row.scale);
        EXPECT_NEAR(g.sdUp, 1.5 * row.scale, 0.15 * 1.5 * row.scale);
        // Two equal axes: the median of d is sqrt(2 ln 2) times the scale.
        EXPECT_NEAR(g.cep50, 1.1774 * row.scale, 0.15 * row.scale);
        EXPECT_NEAR(g.drms, std::sqrt(2.0) * row.scale, 0.15 * row.scale);
        EXPECT_NEAR(g.refLat, o.startLatitude, 5 * row.scale / 111320.0);
        EXPECT_NEAR(g.altMean, 545.4, 5 * row.scale);
        EXPECT_NEAR(g.gstH, std::hypot(row.scale, row.scale), 1e-3);
        EXPECT_NEAR(g.gstV, 1.5 * row.scale, 1e-3);
    }
}

TEST(SimWander, TheSeedChoosesTheWanderAndLeavesTheSky) {
    auto cycle = [](unsigned seed, double wander) {
        sim::ReceiverOptions o;
        o.fixAfterSeconds = 0;
        o.seed = seed;
        o.wanderMetres = wander;
        sim::Receiver r(o);
        r.Cycle(0, kUtc);
        return r.Cycle(1, kUtc + 1);
    };
    const auto a = cycle(7, 3.0), again = cycle(7, 3.0), other = cycle(8, 3.0);
    EXPECT_EQ(a, again);
    EXPECT_NE(WithPrefix(a, "$GNGGA"), WithPrefix(other, "$GNGGA"));
    EXPECT_EQ(WithPrefix(a, "$GPGSV"), WithPrefix(cycle(7, 0.0), "$GPGSV"));
}

TEST(SimWander, QualityInEverySentenceThatTellsIt) {
    const struct {
        const char* name;
        int quality;
        const char* mode;
        const char* age;
    } rows[] = {
        {"gps", 1, "A", ""},
        {"dgps", 2, "D", "1"},
        {"rtk-fixed", 4, "R", "1"},
        {"rtk-float", 5, "F", "1"},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(sim::ParseQuality(row.name), row.quality) << row.name;
        sim::ReceiverOptions o;
        o.fixAfterSeconds = 0;
        o.quality = row.quality;
        o.wanderMetres = 1;
        sim::Receiver r(o);
        r.Command(sim::Frame("PSRF103,05,00,01,01"), 0);  // VTG on
        const auto lines = r.Cycle(0, kUtc);
        const auto gga = Fields(WithPrefix(lines, "$GNGGA")[0]);
        ASSERT_EQ(gga.size(), 15u) << row.name;
        EXPECT_EQ(gga[6], std::to_string(row.quality)) << row.name;
        EXPECT_EQ(gga[13], row.age) << row.name;
        EXPECT_EQ(gga[14], row.quality == 1 ? "" : "0001") << row.name;
        EXPECT_EQ(Fields(WithPrefix(lines, "$GNRMC")[0]).back(), row.mode) << row.name;
        EXPECT_EQ(Fields(WithPrefix(lines, "$GNVTG")[0]).back(), row.mode) << row.name;
    }
    for (const char* bad : {"", "rtk", "GPS", "rtk-fixed "})
        EXPECT_EQ(sim::ParseQuality(bad), 0) << bad;
}

}  // namespace
