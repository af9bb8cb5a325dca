// Statistics over a series of measurements (times to first fix, positions
// ...), each value counted once, in no particular order.
#pragma once

#include <vector>

namespace stats {

// The arithmetic mean; 0 for an empty series.
double Mean(const std::vector<double>& v);

// The sample standard deviation (divided by n - 1); 0 for fewer than 2 values.
double StandardDeviation(const std::vector<double>& v);

// The middle value, or halfway between the two middle ones; 0 for an empty series.
double Median(std::vector<double> v);

// The nearest-rank percentile: the ceil(fraction * n)-th smallest value, at
// least the smallest; 0 for an empty series.
double NearestRank(std::vector<double> v, double fraction);

// The smallest and the largest value; 0 for an empty series.
double Minimum(const std::vector<double>& v);
double Maximum(const std::vector<double>& v);

}  // namespace stats
