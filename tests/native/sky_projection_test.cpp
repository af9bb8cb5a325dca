#include <gtest/gtest.h>

#include <cstdint>

#include "panels/sky_projection.h"

namespace {

using sky::ChartIn;
using sky::kClassicChart;
using sky::Project;

TEST(SkyProjection, ClassicChartKeepsItsPixelsAndOtherChartsScale) {
    const sky::SkyChart big = ChartIn(0, 0, 310, 310);      // twice the classic picture
    const sky::SkyChart wide = ChartIn(100, 20, 500, 175);  // the smaller side decides
    const struct {
        const sky::SkyChart* chart;
        double elevation, azimuth;
        int32_t x, y;
    } cases[] = {
        {&kClassicChart, 90, 0, 77, 77},
        {&kClassicChart, 90, 123, 77, 77},
        {&kClassicChart, 0, 0, 77, 14},
        {&kClassicChart, 0, 90, 140, 77},
        {&kClassicChart, 0, 180, 77, 139},  // 3.14159, not pi: row 139, not 140
        {&kClassicChart, 0, 270, 14, 77},
        {&kClassicChart, 0, 360, 76, 14},
        {&kClassicChart, 45, 45, 99, 54},
        {&kClassicChart, 30, 120, 113, 97},
        // Below the horizon: outside the horizon circle, as the numbers say.
        {&kClassicChart, -10, 90, 147, 77},
        {&big, 90, 0, 155, 155},
        {&big, 0, 90, 281, 155},
        {&big, 0, 270, 29, 155},
        {&wide, 90, 0, 300, 97},
        {&wide, 0, 90, 363, 97},
        {&wide, 0, 0, 300, 34},
    };
    for (const auto& c : cases) {
        const sky::SkyPoint p = Project(*c.chart, c.elevation, c.azimuth);
        EXPECT_EQ(p.x, c.x) << c.chart->radius << ": " << c.elevation << "/" << c.azimuth;
        EXPECT_EQ(p.y, c.y) << c.chart->radius << ": " << c.elevation << "/" << c.azimuth;
    }
    // Absurd numbers give far-off but defined positions.
    const sky::SkyPoint far = Project(kClassicChart, INT32_MIN, INT32_MAX);
    EXPECT_TRUE(far.x < -1000 || far.x > 1000 || far.y < -1000 || far.y > 1000);
    // A rectangle with no area has no sky to draw in, but still a defined one.
    EXPECT_EQ(ChartIn(10, 10, 10, 50).radius, 0.0);
    EXPECT_EQ(ChartIn(50, 50, 10, 10).radius, 0.0);
}

TEST(SkyProjection, TheClassicPictureIsTheChartOfItsOwnSquare) {
    const sky::SkyChart own = ChartIn(0, 0, sky::kClassicChartSide, sky::kClassicChartSide);
    EXPECT_EQ(own.centreX, kClassicChart.centreX);
    EXPECT_EQ(own.centreY, kClassicChart.centreY);
    EXPECT_EQ(own.radius, kClassicChart.radius);
    // Every honest elevation and azimuth stays within the sky picture, whole
    // degrees as receivers send them.
    for (int elevation = 0; elevation <= 90; ++elevation)
        for (int azimuth = 0; azimuth <= 360; ++azimuth) {
            const sky::SkyPoint p = Project(own, elevation, azimuth);
            ASSERT_TRUE(p.x >= 13 && p.x <= 141 && p.y >= 13 && p.y <= 141)
                << elevation << "/" << azimuth << ": " << p.x << "," << p.y;
        }
}

}  // namespace
