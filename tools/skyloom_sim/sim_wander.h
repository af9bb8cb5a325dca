// The wander of a simulated fix: how far the reported position lies from the
// true one, in metres east, north and up. A real receiver's error drifts
// slowly (multipath and the atmosphere change over tens of seconds) with a
// little jitter on top, so most of it is a first-order Gauss-Markov process
// and a tenth of its variance white noise. Each axis east and north has the
// standard deviation `scale` in the long run, up one and a half times that,
// as receivers see the sky above them only.
#pragma once

#include <random>

namespace sim {

// The drift's correlation time.
constexpr double kWanderSeconds = 30.0;
constexpr double kWanderUpFactor = 1.5;

struct WanderOffset {
    double east;
    double north;
    double up;
};

class Wander {
  public:
    Wander(double scale, unsigned seed);

    // The offset at `t` seconds. Calls come with t rising; the drift starts
    // from its long-run spread, so a fix wanders as much from the first cycle
    // on as it ever will.
    WanderOffset At(double t);

  private:
    double Normal();

    double scale_;
    std::mt19937 random_;  // its output is the same on every platform, unlike the distributions
    double last_ = 0.0;
    bool started_ = false;
    double drift_[3] = {};
};

}  // namespace sim
