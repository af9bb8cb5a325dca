// The deviation map's and the strip's geometry: scales, where a fix lands,
// the scale bar, the dots in their bitmap, the strip's window of time.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "panels/position_map_layout.h"

using position_map::Box;

namespace {

constexpr double kNaN = stats::kNotKnown;
// 1 m on the equator in degrees: latitude by M, longitude by N (WGS 84).
constexpr double kLatPerMetre = 1e-5 / 1.1057427582;
constexpr double kLonPerMetre = 1e-5 / 1.1131949079;

stats::PositionFix Fix(double eastMetres, double northMetres, int quality = 1, double seconds = 0,
                       int satellites = 8) {
    stats::PositionFix f{};
    f.seconds = seconds;
    f.latitude = northMetres * kLatPerMetre;
    f.longitude = eastMetres * kLonPerMetre;
    f.altitude = 0;
    f.satellites = static_cast<int16_t>(satellites);
    f.quality = static_cast<uint8_t>(quality);
    return f;
}

TEST(PositionMap, ScalesAndTheirTexts) {
    const struct {
        double extent, scale;
        const char* text;
    } rows[] = {
        {0, 0.01, "1 cm"},      {kNaN, 0.01, "1 cm"},  {0.009, 0.01, "1 cm"},
        {0.0095, 0.02, "2 cm"},  // a tenth to spare
        {0.4, 0.5, "50 cm"},    {0.9, 1, "1 m"},       {3.0, 5, "5 m"},
        {4.6, 10, "10 m"},      {150, 200, "200 m"},   {900, 1000, "1 km"},
        {9000, 10000, "10 km"}, {1e6, 10000, "10 km"},  // beyond every scale: the largest
    };
    for (const auto& row : rows) {
        EXPECT_DOUBLE_EQ(position_map::FitScale(row.extent), row.scale) << row.extent;
        char text[16];
        position_map::ScaleText(row.scale, text, sizeof text);
        EXPECT_STREQ(text, row.text) << row.scale;
    }
}

TEST(PositionMap, PlacesCirclesAndScaleBar) {
    // 201 pixels square at 10 m: 99 pixels from the centre to the edge's inside.
    const position_map::MapFrame f = position_map::FrameFor({0, 0, 201, 201}, 10.0);
    EXPECT_EQ(f.cx, 100);
    EXPECT_EQ(f.cy, 100);
    const struct {
        double east, north;
        bool inside;
        int32_t x, y;
    } rows[] = {
        {0, 0, true, 100, 100},   {10, 0, true, 199, 100},   {0, 10, true, 100, 1},
        {-10, -10, true, 1, 199}, {10.2, 0, false, 0, 0},    {0, -10.2, false, 0, 0},
        {kNaN, 0, false, 0, 0},   {1e12, 1e12, false, 0, 0},
    };
    for (const auto& row : rows) {
        int32_t x = -1, y = -1;
        ASSERT_EQ(position_map::Place(f, row.east, row.north, &x, &y), row.inside) << row.east;
        if (row.inside) {
            EXPECT_EQ(x, row.x) << row.east << "," << row.north;
            EXPECT_EQ(y, row.y) << row.east << "," << row.north;
        }
    }
    EXPECT_EQ(position_map::RadiusPixels(f, 5), 50);  // 49.5 rounds up
    EXPECT_EQ(position_map::RadiusPixels(f, 0.001), 1);
    const position_map::ScaleBar bar = position_map::ScaleBarFor(f);
    EXPECT_DOUBLE_EQ(bar.metres, 5);  // 201 / 3 pixels is 6.8 m
    EXPECT_STREQ(bar.text, "5 m");
    EXPECT_EQ(bar.bar.right - bar.bar.left, 50);
}

TEST(PositionMap, DotsByQualityNewestOnTop) {
    const Box box{10, 20, 110, 120};  // the bitmap covers the box, not the window
    const position_map::MapFrame f = position_map::FrameFor(box, 1.0);
    std::vector<uint32_t> pixels(100 * 100, 0xFFFFFF);
    const std::vector<stats::PositionFix> fixes = {Fix(0, 0, 1), Fix(0, 0, 4), Fix(0.5, 0, 2),
                                                   Fix(5, 5, 1)};  // off the map
    position_map::PlotDots(f, fixes, stats::PlaneAt(0, 0), pixels.data());
    auto at = [&](int32_t x, int32_t y) {
        return pixels[static_cast<size_t>(y - box.top) * 100 + static_cast<size_t>(x - box.left)];
    };
    EXPECT_EQ(at(f.cx, f.cy), 0xDC0000u) << "RTK fixed, red, over the GPS dot before it";
    EXPECT_EQ(at(f.cx + 1, f.cy + 1), 0xDC0000u);
    EXPECT_EQ(at(f.cx + 2, f.cy), 0xFFFFFFu);
    const int32_t dgpsX = f.cx + 24;  // 0.5 m at 49 pixels a metre
    EXPECT_EQ(at(dgpsX, f.cy), 0x00A000u);
    EXPECT_EQ(at(dgpsX - 2, f.cy), 0xFFFFFFu);
    size_t coloured = 0;
    for (uint32_t p : pixels)
        coloured += p != 0xFFFFFF;
    EXPECT_EQ(coloured, 18u) << "two 3 x 3 dots; the one off the map is not drawn";
}

TEST(PositionMap, StripShowsTheLastMinutes) {
    std::vector<stats::PositionFix> fixes;
    // Ten minutes at 1 Hz: the first five far off (never in the strip), then
    // errors of 0 to 3 m and 5 to 12 satellites.
    for (int t = 0; t < 600; ++t)
        fixes.push_back(t < 299 ? Fix(500, 0, 1, t, 20) : Fix(t % 4, 0, 1, t, 5 + t % 8));
    fixes.push_back(Fix(0, 0, 1, kNaN, 30));  // undated: not in the strip
    const Box box{0, 0, 301, 41};
    const position_map::Strip s = position_map::StripFor(box, fixes, stats::PlaneAt(0, 0));
    EXPECT_DOUBLE_EQ(s.errorTop, 5);  // 3 m rounded up to 1-2-5
    EXPECT_EQ(s.satellitesTop, 12);
    ASSERT_EQ(s.error.size(), 301u);
    ASSERT_EQ(s.satellites.size(), 301u);
    EXPECT_EQ(s.error.back().x, 300);
    EXPECT_EQ(s.error.back().y, 40 - 24);  // 599 % 4 = 3 m of 5 over 40 pixels
    EXPECT_EQ(s.satellites.back().y, 0);   // 5 + 599 % 8 = 12, the most in view
    for (const auto& p : s.error)
        EXPECT_TRUE(p.y >= 0 && p.y <= 40) << p.x;
    EXPECT_TRUE(position_map::StripFor(box, {}, stats::PlaneAt(0, 0)).error.empty());
}

}  // namespace
