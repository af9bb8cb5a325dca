#include "tools/skyloom_sim/sim_sky.h"

#include <cmath>
#include <cstdint>
#include <sstream>

namespace sim {
namespace {

// A small deterministic mixer, so a seed gives the same sky on every platform.
uint32_t Mix(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

struct SystemLayout {
    unsigned bit;
    int firstPrn;
    int lastPrn;
    int count;
};

// Numbers as NMEA 0183 4.10 and later give them in each system's own talker:
// GPS, Galileo and BeiDou from 1, GLONASS from 65. The seed picks which, so
// the systems share numbers as they do in a real sky.
constexpr SystemLayout kLayouts[] = {
    {kGps, 1, 32, 10},
    {kGlonass, 65, 88, 7},
    {kGalileo, 1, 36, 6},
    {kBeidou, 1, 46, 6},
};

constexpr int kMaxUsedPerSystem = 12;
constexpr double kPi = 3.14159265358979323846;

}  // namespace

const std::vector<Constellation>& Constellations() {
    // The second signals: GPS L5-Q, GLONASS G2 C/A, Galileo E5a, BeiDou B2a; the
    // first: L1 C/A, G1 C/A, E1 B/C and B1I.
    static const std::vector<Constellation> kList = {
        {kGps, "GP", 1, {'1', '8'}},
        {kGlonass, "GL", 2, {'1', '3'}},
        {kGalileo, "GA", 3, {'7', '1'}},
        {kBeidou, "BD", 4, {'1', '5'}},
    };
    return kList;
}

unsigned ParseSystems(const std::string& list) {
    unsigned bits = 0;
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        bool known = false;
        for (const Constellation& c : Constellations()) {
            if (item == c.talker) {
                bits |= c.bit;
                known = true;
            }
        }
        if (!known)
            return 0;
    }
    return bits;
}

Sky::Sky(unsigned seed) : seed_(seed) {
    for (const SystemLayout& layout : kLayouts) {
        // `count` numbers of the system's range, ascending, chosen by the seed.
        std::vector<int> prns;
        for (int p = layout.firstPrn; p <= layout.lastPrn; ++p) {
            const int left = layout.lastPrn - p + 1;
            const int wanted = layout.count - static_cast<int>(prns.size());
            const uint32_t pick =
                Mix(seed * 40503U + layout.bit * 7777U + static_cast<uint32_t>(p));
            if (static_cast<int>(pick % static_cast<uint32_t>(left)) < wanted)
                prns.push_back(p);
        }
        for (int prn : prns) {
            const uint32_t h =
                Mix(seed * 2654435761U + layout.bit * 97U + static_cast<uint32_t>(prn));
            Entry e;
            e.system = layout.bit;
            e.prn = prn;
            // Spread evenly over the visible sky, which puts fewer overhead
            // than near the horizon: sin(elevation) even from 5 to 85 degrees.
            const double low = std::sin(5.0 * kPi / 180.0), high = std::sin(85.0 * kPi / 180.0);
            const double u = static_cast<double>(h % 1000) / 1000.0;
            e.elevation = static_cast<int>(std::asin(low + (high - low) * u) * 180.0 / kPi);
            e.azimuth = static_cast<double>((h >> 8) % 360);
            // Low satellites are weak, high ones strong, as under an open sky.
            e.target = 18 + e.elevation / 3 + static_cast<int>((h >> 20) % 8);
            // The second signal: a few dB weaker, and none from low satellites.
            e.target2 = e.elevation < 15 ? 0 : e.target - 2 - static_cast<int>((h >> 24) % 5);
            entries_.push_back(e);
        }
    }
}

std::vector<SkySatellite> Sky::Satellites(unsigned systemBit, double t, double acquired,
                                          long cycle) const {
    std::vector<SkySatellite> out;
    int used = 0;
    for (const Entry& e : entries_) {
        if (e.system != systemBit)
            continue;
        SkySatellite s;
        s.prn = e.prn;
        s.elevation = e.elevation;
        s.azimuth = static_cast<int>(std::fmod(e.azimuth + t * 0.004, 360.0));
        const uint32_t h = Mix(seed_ ^ static_cast<uint32_t>(e.prn * 7919 + cycle));
        const int jitter = static_cast<int>(h % 5) - 2;
        int snr = 0;
        if (acquired >= 1.0) {
            snr = e.target + jitter;
        } else {
            // Strong satellites are found first; a weak one shows no value yet.
            const double level = acquired * (1.0 + e.target / 60.0);
            snr = static_cast<int>(e.target * (level > 1.0 ? 1.0 : level));
            if (snr < 12)
                snr = 0;
        }
        s.snr = snr;
        // Tracked once the first signal is strong: a satellite heard on one
        // signal only is the usual sight during a search.
        s.snr2 = snr >= 30 && e.target2 > 0 ? e.target2 + jitter : 0;
        s.used = acquired >= 1.0 && e.elevation >= 10 && snr >= 25 && used < kMaxUsedPerSystem;
        if (s.used)
            ++used;
        out.push_back(s);
    }
    return out;
}

}  // namespace sim
