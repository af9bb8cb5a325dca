// Position statistics against hand-computed cases: the local plane's radii,
// the reference, nearest-rank CEP, the antimeridian, what counts as a fix,
// the feed's pairing of GGA, GNS and GST, the CSV and the typed reference.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "stats/position_feed.h"
#include "stats/position_reference.h"
#include "stats/position_report.h"
#include "stats/position_stats.h"

using stats::PositionFix;
using stats::PositionReference;
using stats::PositionSeries;

namespace {

const double kNaN = stats::kNotKnown;
const double kDegree = 3.14159265358979323846 / 180.0;
// One hundred-thousandth of a degree on the equator, by hand from the WGS 84
// radii there: N = a = 6378137 m, M = a (1 - e^2) = 6335439.327 m.
constexpr double kEastPerStep = 1.1131949079;
constexpr double kNorthPerStep = 1.1057427582;

PositionFix Fix(double lat, double lon, double alt = 100.0, int quality = 1, double seconds = 0) {
    PositionFix f{};
    f.seconds = seconds;
    f.latitude = lat;
    f.longitude = lon;
    f.altitude = alt;
    f.hdop = 0.9f;
    f.gstSdLat = f.gstSdLon = f.gstSdAlt = stats::kNotKnownF;
    f.satellites = 8;
    f.quality = static_cast<uint8_t>(quality);
    return f;
}

PositionReference Given(double lat, double lon, double alt = kNaN) {
    PositionReference r;
    r.given = true;
    r.latitude = lat;
    r.longitude = lon;
    r.altitude = alt;
    return r;
}

// NaN stands for "nothing to compute" in the expected rows.
void ExpectFigure(double actual, double expected, const char* name, const std::string& row) {
    if (std::isnan(expected))
        EXPECT_TRUE(std::isnan(actual)) << row << " " << name << " = " << actual;
    else
        EXPECT_NEAR(actual, expected, 1e-6) << row << " " << name;
}

TEST(PositionStats, RadiiOfCurvature) {
    const struct {
        double lat, meridian, primeVertical;
    } rows[] = {
        {0.0, 6335439.327, 6378137.0},
        {45.0, 6367381.816, 6388838.290},  // the published WGS 84 values
        {-45.0, 6367381.816, 6388838.290},
        {90.0, 6399593.626, 6399593.626},  // at the pole both are a^2/b
    };
    for (const auto& row : rows) {
        const stats::LocalPlane p = stats::PlaneAt(row.lat, 0.0);
        EXPECT_NEAR(p.metresPerRadianNorth, row.meridian, 1e-3) << row.lat;
        EXPECT_NEAR(p.metresPerRadianEast, row.primeVertical * std::cos(row.lat * kDegree), 1e-3)
            << row.lat;
    }
}

TEST(PositionStats, FiguresOfHandComputedSeries) {
    const double eStep = kEastPerStep, nStep = kNorthPerStep;
    const struct {
        const char* name;
        std::vector<PositionFix> fixes;
        PositionReference reference;
        double refLat, refLon, refAlt, cep50, cep95, drms, maxH, sdEast, sdNorth, sdUp;
    } rows[] = {
        {"one fix: its own reference, no deviation",
         {Fix(48.1173, 11.5167, 545.4)},
         {},
         48.1173,
         11.5167,
         545.4,
         0,
         0,
         0,
         0,
         kNaN,
         kNaN,
         kNaN},
        {"two fixes east and west of their mean",
         {Fix(0, 0, 10), Fix(0, 0.00002, 20)},
         {},
         0,
         0.00001,
         15,
         eStep,
         eStep,
         eStep,
         eStep,
         eStep * std::sqrt(2.0),
         0,
         5 * std::sqrt(2.0)},
        {"the reference given, with its altitude",
         {Fix(0.00001, 0, 12)},
         Given(0, 0, 10),
         0,
         0,
         10,
         nStep,
         nStep,
         nStep,
         nStep,
         kNaN,
         kNaN,
         kNaN},
        {"the reference given without altitude: up from the mean altitude",
         {Fix(0.00001, 0, 12), Fix(0, 0.00001, 14)},
         Given(0, 0),
         0,
         0,
         13,
         nStep,
         eStep,
         std::sqrt((nStep * nStep + eStep * eStep) / 2),
         eStep,
         eStep / std::sqrt(2.0),
         nStep / std::sqrt(2.0),
         std::sqrt(2.0)},
        {"across the antimeridian the mean lies on it",
         {Fix(0, 179.99999), Fix(0, -179.99999)},
         {},
         0,
         -180,
         100,
         eStep,
         eStep,
         eStep,
         eStep,
         eStep * std::sqrt(2.0),
         0,
         0},
        {"a given reference on the antimeridian",
         {Fix(0, -179.99999)},
         Given(0, 180),
         0,
         180,
         100,
         eStep,
         eStep,
         eStep,
         eStep,
         kNaN,
         kNaN,
         kNaN},
    };
    for (const auto& row : rows) {
        PositionSeries series;
        for (const PositionFix& f : row.fixes)
            ASSERT_EQ(series.Add(f), stats::AddResult::kUsed) << row.name;
        const stats::PositionFigures g = series.Figures(row.reference);
        EXPECT_EQ(g.fixes, row.fixes.size()) << row.name;
        EXPECT_EQ(g.referenceGiven, row.reference.given) << row.name;
        ExpectFigure(g.refLat, row.refLat, "refLat", row.name);
        ExpectFigure(g.refLon, row.refLon, "refLon", row.name);
        ExpectFigure(g.refAlt, row.refAlt, "refAlt", row.name);
        ExpectFigure(g.cep50, row.cep50, "cep50", row.name);
        ExpectFigure(g.cep95, row.cep95, "cep95", row.name);
        ExpectFigure(g.drms, row.drms, "drms", row.name);
        ExpectFigure(g.twoDrms, 2 * row.drms, "twoDrms", row.name);
        ExpectFigure(g.maxH, row.maxH, "maxH", row.name);
        ExpectFigure(g.sdEast, row.sdEast, "sdEast", row.name);
        ExpectFigure(g.sdNorth, row.sdNorth, "sdNorth", row.name);
        ExpectFigure(g.sdUp, row.sdUp, "sdUp", row.name);
    }
}

// Twenty fixes 1 to 20 m north of the reference, in shuffled order: CEP50 is
// the 10th smallest, CEP95 the 19th, DRMS sqrt(2870 / 20).
TEST(PositionStats, NearestRanks) {
    PositionSeries series;
    const int order[] = {7, 20, 1, 13, 4, 19, 10, 2, 16, 11, 5, 18, 8, 3, 14, 9, 17, 6, 12, 15};
    for (int metres : order)
        series.Add(Fix(metres / (kNorthPerStep * 1e5), 0, 100 + metres, 1, metres));
    const stats::PositionFigures g = series.Figures(Given(0, 0, 100));
    EXPECT_NEAR(g.cep50, 10, 1e-6);
    EXPECT_NEAR(g.cep95, 19, 1e-6);
    EXPECT_NEAR(g.drms, std::sqrt(143.5), 1e-6);
    EXPECT_NEAR(g.maxH, 20, 1e-6);
    EXPECT_DOUBLE_EQ(g.altMin, 101);
    EXPECT_DOUBLE_EQ(g.altMax, 120);
    EXPECT_DOUBLE_EQ(g.altMean, 110.5);
    EXPECT_DOUBLE_EQ(g.seconds, 19);
    // One fix more: ceil(0.95 * 21) = 20, ceil(0.5 * 21) = 11.
    series.Add(Fix(21 / (kNorthPerStep * 1e5), 0));
    EXPECT_NEAR(series.Figures(Given(0, 0, 100)).cep50, 11, 1e-6);
    EXPECT_NEAR(series.Figures(Given(0, 0, 100)).cep95, 20, 1e-6);
}

TEST(PositionStats, WhatCountsAsAFix) {
    PositionSeries series;
    const struct {
        PositionFix fix;
        stats::AddResult result;
    } rows[] = {
        {Fix(1, 1, 0, 0), stats::AddResult::kRefused},  // no fix
        {Fix(1, 1, 0, 1), stats::AddResult::kUsed},
        {Fix(1, 1, 0, 2), stats::AddResult::kUsed},
        {Fix(1, 1, 0, 4), stats::AddResult::kUsed},
        {Fix(1, 1, 0, 5), stats::AddResult::kUsed},
        {Fix(1, 1, 0, 6), stats::AddResult::kCountedApart},  // estimated
        {Fix(1, 1, 0, 8), stats::AddResult::kCountedApart},  // simulation
        {Fix(1, 1, 0, 9), stats::AddResult::kRefused},
        {Fix(kNaN, 1, 0, 1), stats::AddResult::kRefused},  // no position
        {Fix(1, kNaN, 0, 1), stats::AddResult::kRefused},
        {Fix(91, 1, 0, 1), stats::AddResult::kRefused},
    };
    for (const auto& row : rows)
        EXPECT_EQ(series.Add(row.fix), row.result) << int{row.fix.quality};
    const stats::PositionFigures g = series.Figures({});
    EXPECT_EQ(g.fixes, 4u);
    const size_t byQuality[] = {1, 1, 0, 1, 1, 2};
    for (size_t q = 0; q < stats::kQualityBuckets; ++q)
        EXPECT_EQ(g.byQuality[q], byQuality[q]) << q;
}

TEST(PositionStats, NothingToCompute) {
    PositionSeries series;
    stats::PositionFigures g = series.Figures({});
    EXPECT_EQ(g.fixes, 0u);
    for (size_t i = 0; i < stats::kFigureRowCount; ++i)
        EXPECT_TRUE(std::isnan(g.*stats::kFigureRows[i].value)) << stats::kFigureRows[i].json;
    // A given point is still the reference; fixes without altitude leave the
    // altitude figures empty but not the horizontal ones.
    series.Add(Fix(0, 0, kNaN));
    g = series.Figures(Given(0, 0.00001));
    EXPECT_DOUBLE_EQ(g.refLon, 0.00001);
    EXPECT_TRUE(std::isnan(g.refAlt) && std::isnan(g.altMean) && std::isnan(g.sdUp));
    EXPECT_NEAR(g.cep50, kEastPerStep, 1e-6);
    EXPECT_TRUE(std::isnan(g.gstH) && std::isnan(g.gstV));
}

TEST(PositionStats, TheSeriesIsBounded) {
    PositionSeries series;
    for (size_t i = 0; i < stats::kMaxPositionFixes; ++i)
        series.Add(Fix(0, 0));
    EXPECT_EQ(series.Add(Fix(0, 0)), stats::AddResult::kNotKept);
    EXPECT_EQ(series.fixes().size(), stats::kMaxPositionFixes);
    EXPECT_EQ(series.notKept(), 1u);
    EXPECT_EQ(sizeof(PositionFix), 56u);  // the memory the window's note states
    series.Reset();
    EXPECT_EQ(series.MemoryBytes(), 0u);
    EXPECT_EQ(series.notKept(), 0u);
}

stats::ReportedFix Reported(double time, double lat, int quality = 1) {
    return {time, lat, 0.0, 50.0, 1.0, 9, quality};
}

TEST(PositionFeed, GstPairsWithItsEpochEitherWay) {
    PositionSeries series;
    stats::PositionFeed feed(series);
    feed.OnGst(10.0, 3.0, 4.0, 6.0);  // before its GGA
    feed.OnFix(stats::FixSource::kGga, Reported(10.0, 0));
    feed.OnFix(stats::FixSource::kGga, Reported(11.0, 0));
    feed.OnGst(11.0, 6.0, 8.0, 10.0);  // after it
    feed.OnGst(11.5, 1.0, 1.0, 1.0);   // no fix of its time: pairs with nothing
    feed.OnFix(stats::FixSource::kGga, Reported(12.0, 0));
    feed.OnGst(99.0, 1.0, 1.0, 1.0);  // someone else's epoch
    ASSERT_EQ(series.fixes().size(), 3u);
    EXPECT_FLOAT_EQ(series.fixes()[0].gstSdLon, 4.0f);
    EXPECT_FLOAT_EQ(series.fixes()[1].gstSdAlt, 10.0f);
    EXPECT_TRUE(std::isnan(series.fixes()[2].gstSdLat));
    const stats::PositionFigures g = series.Figures({});
    EXPECT_DOUBLE_EQ(g.gstH, 7.5);  // mean of 5 and 10
    EXPECT_DOUBLE_EQ(g.gstV, 8.0);
}

TEST(PositionFeed, GnsOnlyUntilTheFirstGga) {
    PositionSeries series;
    stats::PositionFeed feed(series);
    feed.OnFix(stats::FixSource::kGns, Reported(1, 0));
    feed.OnFix(stats::FixSource::kGns, Reported(2, 0));
    EXPECT_EQ(series.fixes().size(), 2u);  // a receiver without GGA gives fixes
    // A GGA without a fix still says the receiver sends GGA.
    EXPECT_EQ(feed.OnFix(stats::FixSource::kGga, Reported(3, kNaN, 0)), stats::AddResult::kRefused);
    EXPECT_EQ(series.fixes().size(), 0u);
    EXPECT_EQ(feed.OnFix(stats::FixSource::kGns, Reported(3, 0)), stats::AddResult::kRefused);
    EXPECT_EQ(feed.OnFix(stats::FixSource::kGga, Reported(4, 0)), stats::AddResult::kUsed);
    // $GPGGA and $GAGGA of one epoch (Telit): one fix.
    EXPECT_EQ(feed.OnFix(stats::FixSource::kGga, Reported(4, 0)), stats::AddResult::kRefused);
    EXPECT_EQ(series.fixes().size(), 1u);
}

TEST(PositionFeed, TheSpanCrossesMidnight) {
    PositionSeries series;
    stats::PositionFeed feed(series);
    feed.OnFix(stats::FixSource::kGga, Reported(kNaN, 0, 0));  // a start's no-fix reports
    feed.OnFix(stats::FixSource::kGga, Reported(86399.0, 0));
    feed.OnFix(stats::FixSource::kGga, Reported(kNaN, 0));  // undated: no span of its own
    feed.OnFix(stats::FixSource::kGga, Reported(1.5, 0));
    EXPECT_DOUBLE_EQ(series.Figures({}).seconds, 2.5);
    feed.Reset();
    feed.OnFix(stats::FixSource::kGga, Reported(5.0, 0));
    EXPECT_DOUBLE_EQ(series.fixes()[0].seconds, 5.0);
}

std::string Csv(const PositionSeries& series, const PositionReference& ref) {
    std::string text;
    EXPECT_TRUE(stats::WritePositionCsv(series, ref, [&](const char* p, size_t n) {
        text.append(p, n);
        return true;
    }));
    return text;
}

TEST(PositionReport, CsvLinesAndFigures) {
    PositionSeries series;
    PositionFix a = Fix(0.00001, 0, 12.5, 4, 86399.5);
    a.gstSdLat = 0.5f;
    a.gstSdLon = 0.25f;
    a.gstSdAlt = 1.0f;
    PositionFix b = Fix(0, -0.00001, kNaN, 5, 86400 + 3600);
    b.satellites = -1;
    b.hdop = stats::kNotKnownF;
    series.Add(a);
    series.Add(b);
    const std::string csv = Csv(series, Given(0, 0, 10));
    const std::string expected =
        "utc,latitude,longitude,altitude,quality,satellites,hdop,east,north,up,horizontal_error,"
        "gst_sd_lat,gst_sd_lon,gst_sd_alt\r\n"
        "23:59:59.50,0.000010000,0.000000000,12.500,4,8,0.90,0.000,1.106,2.500,1.106,0.500,0.250,"
        "1.000\r\n"
        "01:00:00.00,0.000000000,-0.000010000,,5,,,-1.113,0.000,,1.113,,,\r\n"
        "\r\n"
        "fixes,2\r\ngps,0\r\ndgps,0\r\npps,0\r\nrtk_fixed,1\r\nrtk_float,1\r\nother,0\r\n"
        "not_kept,0\r\nreference,given\r\n"
        "ref_lat,0.000000000\r\nref_lon,0.000000000\r\nref_alt_m,10.000\r\n"
        "cep50_m,1.106\r\ncep95_m,1.113\r\ndrms_m,1.109\r\n2drms_m,2.219\r\nmax_h_m,1.113\r\n"
        "sd_east_m,0.787\r\nsd_north_m,0.782\r\nsd_up_m,\r\nalt_mean_m,12.500\r\n"
        "alt_min_m,12.500\r\nalt_max_m,12.500\r\ngst_h_m,0.559\r\ngst_v_m,1.000\r\n"
        "seconds,3600.500\r\n";
    EXPECT_EQ(csv, expected);
    // A sink that refuses (a full disk) is told as a failure.
    EXPECT_FALSE(stats::WritePositionCsv(series, {}, [](const char*, size_t) { return false; }));
}

TEST(PositionReference, TypedPoints) {
    const struct {
        const char* text;
        bool ok;
        double lat, lon, alt;
    } rows[] = {
        {"48.1173,11.5167", true, 48.1173, 11.5167, kNaN},
        {"-33.5, -70.25 ,520.5", true, -33.5, -70.25, 520.5},
        {"90,180", true, 90, 180, kNaN},
        {"-90,-180,-10", true, -90, -180, -10},
        {"90.0001,0", false, 0, 0, 0},
        {"0,-180.5", false, 0, 0, 0},
        {"48,1173", false, 0, 0, 0},  // a decimal comma: a longitude of 1173 degrees
        {"48.1", false, 0, 0, 0},
        {"48.1N,11.5E", false, 0, 0, 0},
        {"nan,0", false, 0, 0, 0},
        {"inf,0", false, 0, 0, 0},
        {"0x10,0", false, 0, 0, 0},
        {",11", false, 0, 0, 0},
        {"1,2,", false, 0, 0, 0},
        {"1,2,3,4", false, 0, 0, 0},
        {"1,2,1e6", false, 0, 0, 0},
    };
    for (const auto& row : rows) {
        PositionReference ref = Given(7, 7, 7);
        const char* message = "";
        const bool ok = stats::ParseReference(row.text, &ref, &message);
        ASSERT_EQ(ok, row.ok) << row.text;
        if (!ok) {
            EXPECT_STRNE(message, "") << row.text;
            EXPECT_DOUBLE_EQ(ref.latitude, 7) << "left as it was: " << row.text;
            continue;
        }
        EXPECT_TRUE(ref.given);
        EXPECT_DOUBLE_EQ(ref.latitude, row.lat) << row.text;
        EXPECT_DOUBLE_EQ(ref.longitude, row.lon) << row.text;
        if (std::isnan(row.alt))
            EXPECT_TRUE(std::isnan(ref.altitude)) << row.text;
        else
            EXPECT_DOUBLE_EQ(ref.altitude, row.alt) << row.text;
    }
}

}  // namespace
