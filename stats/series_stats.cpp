#include "stats/series_stats.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace stats {

double Mean(const std::vector<double>& v) {
    if (v.empty())
        return 0.0;
    double sum = 0.0;
    for (double x : v)
        sum += x;
    return sum / static_cast<double>(v.size());
}

double StandardDeviation(const std::vector<double>& v) {
    if (v.size() < 2)
        return 0.0;
    // About the mean first, rather than from the sum of squares: positions
    // in degrees differ in their seventh decimal, and the squares' sum would
    // lose exactly those digits.
    const double mean = Mean(v);
    double squares = 0.0;
    for (double x : v)
        squares += (x - mean) * (x - mean);
    return std::sqrt(squares / static_cast<double>(v.size() - 1));
}

double Median(std::vector<double> v) {
    if (v.empty())
        return 0.0;
    const size_t middle = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + middle, v.end());
    const double upper = v[middle];
    if (v.size() % 2 == 1)
        return upper;
    const double lower = *std::max_element(v.begin(), v.begin() + middle);
    return lower + (upper - lower) / 2.0;
}

double NearestRank(std::vector<double> v, double fraction) {
    if (v.empty())
        return 0.0;
    const double n = static_cast<double>(v.size());
    const double rank = std::ceil(fraction * n);
    const size_t index = !(rank > 1.0) ? 0
                         : rank >= n   ? v.size() - 1
                                       : static_cast<size_t>(rank) - 1;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(index), v.end());
    return v[index];
}

double Minimum(const std::vector<double>& v) {
    return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}

double Maximum(const std::vector<double>& v) {
    return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end());
}

}  // namespace stats
