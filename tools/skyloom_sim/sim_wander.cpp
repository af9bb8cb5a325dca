#include "tools/skyloom_sim/sim_wander.h"

#include <cmath>

namespace sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDriftShare = 0.9;  // of the variance; the rest is jitter

}  // namespace

// A seed of its own, so that the sky of a given --seed stays what it was.
Wander::Wander(double scale, unsigned seed) : scale_(scale), random_(seed ^ 0x5EEDu) {}

// Box-Muller on the generator's own words, for the same reason as the
// generator: std::normal_distribution differs between standard libraries.
double Wander::Normal() {
    const double u1 = (static_cast<double>(random_()) + 1.0) / 4294967297.0;  // (0, 1)
    const double u2 = static_cast<double>(random_()) / 4294967296.0;
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * kPi * u2);
}

WanderOffset Wander::At(double t) {
    if (scale_ <= 0.0)
        return {0.0, 0.0, 0.0};
    const double sigmas[3] = {scale_, scale_, scale_ * kWanderUpFactor};
    const double a = started_ ? std::exp(-std::fmax(0.0, t - last_) / kWanderSeconds) : 0.0;
    started_ = true;
    last_ = t;
    double out[3];
    for (int i = 0; i < 3; ++i) {
        const double drift = sigmas[i] * std::sqrt(kDriftShare);
        drift_[i] = a * drift_[i] + std::sqrt(1.0 - a * a) * drift * Normal();
        out[i] = drift_[i] + sigmas[i] * std::sqrt(1.0 - kDriftShare) * Normal();
    }
    return {out[0], out[1], out[2]};
}

}  // namespace sim
