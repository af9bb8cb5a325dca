// The simulated receiver: what it reports each cycle and how it answers the
// host's command sentences. Pure logic on a clock it is handed, so that the
// device loop, the tests and a replay all drive it the same way.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "tools/skyloom_sim/sim_sky.h"
#include "tools/skyloom_sim/sim_wander.h"

namespace sim {

struct ReceiverOptions {
    double fixAfterSeconds = 8.0;   // search phase after switch-on, a cold or full cold start
    double fixSpreadSeconds = 0.0;  // a start's search varies by up to this, either way
    double speedKmh = 36.0;
    double courseDegrees = 45.0;
    double startLatitude = 48.1173;   // degrees, north positive
    double startLongitude = 11.5167;  // degrees, east positive
    unsigned systems = kAllSystems;
    int signals = 1;  // GSV groups per system: the first signal, or the second one too
    unsigned seed = 1;
    // The fix's wander in metres (each of east and north in the long run; up
    // 1.5 times that); above 0 the cycle also sends GST with that estimate.
    double wanderMetres = 0.0;
    int quality = 1;  // GGA's fix quality: 1 GPS, 2 DGPS, 4 RTK fixed, 5 RTK float
};

// "gps", "dgps", "rtk-fixed", "rtk-float" to GGA's quality; 0 for anything else.
int ParseQuality(const std::string& name);

// A power-saving receiver reports one cycle in this many.
constexpr int kPowerSaveInterval = 5;

class Receiver {
  public:
    explicit Receiver(const ReceiverOptions& options);

    // The sentences of one reporting cycle, framed with CR LF. `t` is seconds
    // since the receiver was switched on, `utc` seconds since 1970 (with its
    // fraction). Empty when power save skips the cycle.
    std::vector<std::string> Cycle(double t, double utc);

    // Answers one line received from the host (its CR LF may be there or
    // not). Lines with a wrong checksum are ignored, as a receiver ignores them.
    std::vector<std::string> Command(const std::string& line, double t);

    bool HasFix(double t) const { return t - searchStart_ >= searchSeconds_; }
    // How long the search since switch-on or the last start takes.
    double searchSeconds() const { return searchSeconds_; }
    bool vtgOn() const { return vtgOn_; }
    bool powerSave() const { return powerSave_; }
    bool sbasOn() const { return sbasOn_; }
    const ReceiverOptions& options() const { return options_; }

  private:
    enum class StartKind { kHot, kWarm, kCold, kFullCold };
    void Restart(double t, StartKind kind);
    double Acquired(double t) const;

    ReceiverOptions options_;
    Sky sky_;
    Wander wander_;
    double searchStart_ = 0.0;
    double searchSeconds_;
    std::mt19937 spread_;  // its output is the same on every platform, unlike the distributions
    long cycles_ = 0;
    long powerSaveCount_ = 0;
    bool vtgOn_ = false;
    bool powerSave_ = false;
    bool sbasOn_ = true;
};

// "$PMTK705,..." reply text fields, shown by viewers as core and firmware version.
extern const char kCoreVersion[];
extern const char kFirmwareVersion[];

}  // namespace sim
