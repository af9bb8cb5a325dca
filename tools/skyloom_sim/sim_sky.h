// The simulated sky: a fixed set of satellites per system whose azimuths drift
// slowly, and whose signal strengths rise while the receiver searches.
#pragma once

#include <string>
#include <vector>

namespace sim {

enum SystemBits : unsigned {
    kGps = 1u << 0,
    kGlonass = 1u << 1,
    kGalileo = 1u << 2,
    kBeidou = 1u << 3,
    kAllSystems = kGps | kGlonass | kGalileo | kBeidou,
};

struct Constellation {
    unsigned bit;
    const char* talker;  // GSV talker: GP, GL, GA, BD
    int systemId;        // GSA system id of NMEA 4.11 (1 GPS, 2 GLONASS, 3 Galileo, 4 BeiDou)
    char signals[2];     // GSV signal IDs of NMEA 4.11: the first and the second signal
};

// The four systems in the order they are reported.
const std::vector<Constellation>& Constellations();

struct SkySatellite {
    int prn;        // as NMEA 4.11 numbers it in its own talker: systems share numbers
    int elevation;  // degrees
    int azimuth;    // degrees, 0..359
    int snr;        // dB-Hz; 0 = in view but not tracked (empty field)
    int snr2;       // the second signal's, weaker and found later; 0 = not tracked
    bool used;      // part of the fix
};

// Parses "GP,GL,GA,BD" (any subset, any order) into system bits; 0 on error.
unsigned ParseSystems(const std::string& list);

class Sky {
  public:
    explicit Sky(unsigned seed);

    // Satellites of one system at `t` seconds after start. `acquired` is 0 at
    // the start of a search and 1 once the fix is in: signal strengths rise
    // with it, and only a fixed receiver marks satellites as used.
    std::vector<SkySatellite> Satellites(unsigned systemBit, double t, double acquired,
                                         long cycle) const;

  private:
    struct Entry {
        unsigned system;
        int prn;
        int elevation;
        double azimuth;
        int target;   // signal strength once tracked
        int target2;  // the second signal's; 0: never tracked
    };
    std::vector<Entry> entries_;
    unsigned seed_;
};

}  // namespace sim
