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
    int count;
};

// Numbers as NMEA 0183 4.10 gives them in each system's own talker (GPS,
// Galileo and BeiDou from 1, GLONASS from 65), interleaved so that no two
// systems share a number: a viewer keyed by number alone keeps them apart.
constexpr SystemLayout kLayouts[] = {
    {kGps, 1, 10},
    {kGlonass, 65, 7},
    {kGalileo, 2, 6},
    {kBeidou, 3, 6},
};

constexpr int kMaxUsedPerSystem = 12;

}  // namespace

const std::vector<Constellation>& Constellations() {
    static const std::vector<Constellation> kList = {
        {kGps, "GP", 1},
        {kGlonass, "GL", 2},
        {kGalileo, "GA", 3},
        {kBeidou, "BD", 4},
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
        for (int i = 0; i < layout.count; ++i) {
            const int prn = layout.firstPrn + i * 3;
            const uint32_t h = Mix(seed * 2654435761U + static_cast<uint32_t>(prn));
            Entry e;
            e.system = layout.bit;
            e.prn = prn;
            e.elevation = static_cast<int>(5 + h % 80);
            e.azimuth = static_cast<double>((h >> 8) % 360);
            // Low satellites are weak, high ones strong, as under an open sky.
            e.target = 18 + e.elevation / 3 + static_cast<int>((h >> 20) % 8);
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
        s.used = acquired >= 1.0 && e.elevation >= 10 && snr >= 25 && used < kMaxUsedPerSystem;
        if (s.used)
            ++used;
        out.push_back(s);
    }
    return out;
}

}  // namespace sim
