#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "stats/series_stats.h"

namespace {

TEST(SeriesStats, SmallSeriesAndTheirEdges) {
    const struct {
        std::vector<double> v;
        double mean, sd, median, p90, p50, minimum, maximum;
    } cases[] = {
        // Empty and single series answer 0 where no value is defined.
        {{}, 0, 0, 0, 0, 0, 0, 0},
        {{7.5}, 7.5, 0, 7.5, 7.5, 7.5, 7.5, 7.5},
        // Even counts: the median halfway between the middle two.
        {{4, 1}, 2.5, std::sqrt(4.5), 2.5, 4, 1, 1, 4},
        // Unsorted, with a repeat: order and ties do not matter.
        {{5, 3, 9, 3, 1}, 4.2, std::sqrt(9.2), 3, 9, 3, 1, 9},
        // Ten values: the 90th percentile is the 9th smallest, not the largest.
        {{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, 5.5, std::sqrt(55.0 / 6.0), 5.5, 9, 5, 1, 10},
        // Negative values (a position's offsets from its mean).
        {{-2, -1, 0, 1, 2}, 0, std::sqrt(2.5), 0, 2, 0, -2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.v.size());
        EXPECT_DOUBLE_EQ(stats::Mean(c.v), c.mean);
        EXPECT_DOUBLE_EQ(stats::StandardDeviation(c.v), c.sd);
        EXPECT_DOUBLE_EQ(stats::Median(c.v), c.median);
        EXPECT_DOUBLE_EQ(stats::NearestRank(c.v, 0.9), c.p90);
        EXPECT_DOUBLE_EQ(stats::NearestRank(c.v, 0.5), c.p50);
        EXPECT_DOUBLE_EQ(stats::Minimum(c.v), c.minimum);
        EXPECT_DOUBLE_EQ(stats::Maximum(c.v), c.maximum);
    }
}

TEST(SeriesStats, RanksOutsideTheSeriesClampAndSpreadsKeepTheirDigits) {
    const std::vector<double> v = {3, 1, 2};
    EXPECT_EQ(stats::NearestRank(v, 0.0), 1);  // at least the smallest
    EXPECT_EQ(stats::NearestRank(v, -1.0), 1);
    EXPECT_EQ(stats::NearestRank(v, 1.0), 3);
    EXPECT_EQ(stats::NearestRank(v, 5.0), 3);
    EXPECT_EQ(stats::NearestRank(v, std::nan("")), 1);
    // Latitudes a few centimetres apart: the spread survives the large mean
    // (a sum of squares would cancel it away).
    std::vector<double> latitudes;
    for (int i = 0; i < 1000; ++i)
        latitudes.push_back(48.1173 + (i % 2 == 0 ? 1e-7 : -1e-7));
    EXPECT_NEAR(stats::StandardDeviation(latitudes), 1e-7 * std::sqrt(1000.0 / 999.0), 1e-12);
    EXPECT_NEAR(stats::Mean(latitudes), 48.1173, 1e-12);
}

}  // namespace
