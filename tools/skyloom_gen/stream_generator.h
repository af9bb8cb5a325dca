// A synthetic but realistic receiver stream for benchmarks and tests: a GPS +
// GLONASS receiver with a 3D fix, moving along a winding road. Every 1 Hz
// cycle is $GPGGA, $GPGSA, $GLGSA, three $GPGSV (12 satellites), two $GLGSV
// (8 satellites) and $GPRMC, each ending in CR LF with a correct checksum.
#pragma once

#include <cstdint>
#include <string>

class StreamGenerator {
  public:
    static constexpr int kLinesPerCycle = 9;
    static constexpr int kGpsSatellites = 12;
    static constexpr int kGlonassSatellites = 8;

    explicit StreamGenerator(uint32_t seed = 1);

    // Appends the next cycle's nine sentences; each call is one second later.
    void AppendCycle(std::string* out);

  private:
    struct Satellite {
        int id;
        double elevation;
        double azimuth;
        int snr;
    };

    uint32_t Random();
    double Uniform(double low, double high);
    void Move();
    void AppendSentence(std::string* out, const char* body);
    void AppendGsa(std::string* out, const char* talker, const Satellite* sats, int count);
    void AppendGsv(std::string* out, const char* talker, const Satellite* sats, int count);

    uint32_t state_;
    int64_t utcSeconds_;  // since 1970-01-01
    double latitude_;     // degrees, north positive
    double longitude_;    // degrees, east positive
    double headingDeg_;
    double speedKnots_;
    Satellite gps_[kGpsSatellites];
    Satellite glonass_[kGlonassSatellites];
};
