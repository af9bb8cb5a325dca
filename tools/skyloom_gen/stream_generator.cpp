#include "tools/skyloom_gen/stream_generator.h"

#include "nmea/civil_time.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMetresPerDegree = 111320.0;
constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;

// "ddmm.mmmm" / "dddmm.mmmm" with the hemisphere letter as its own field.
void FormatAngle(char* out, size_t cap, double degrees, int degreeDigits, char positive,
                 char negative) {
    const char hemisphere = degrees >= 0 ? positive : negative;
    const double a = std::fabs(degrees);
    int whole = static_cast<int>(a);
    long tenThousandths = std::lround((a - whole) * 60.0 * 10000.0);
    if (tenThousandths >= 600000) {
        tenThousandths -= 600000;
        ++whole;
    }
    std::snprintf(out, cap, "%0*d%02ld.%04ld,%c", degreeDigits, whole, tenThousandths / 10000,
                  tenThousandths % 10000, hemisphere);
}

}  // namespace

StreamGenerator::StreamGenerator(uint32_t seed)
    : state_(seed ? seed : 1),
      utcSeconds_(20460 * 86400LL + 12 * 3600),  // 2026-01-07 12:00:00 UTC
      latitude_(48.0 + 7.038 / 60.0),
      longitude_(11.0 + 31.0 / 60.0),
      headingDeg_(45.0),
      speedKnots_(25.0) {
    for (int i = 0; i < kGpsSatellites; ++i)
        gps_[i] = {2 + i * 2, Uniform(5, 85), Uniform(0, 359), static_cast<int>(Uniform(20, 48))};
    for (int i = 0; i < kGlonassSatellites; ++i)
        glonass_[i] = {65 + i, Uniform(5, 85), Uniform(0, 359), static_cast<int>(Uniform(18, 44))};
}

uint32_t StreamGenerator::Random() {
    // xorshift32: deterministic across platforms and runs.
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

double StreamGenerator::Uniform(double low, double high) {
    return low + (high - low) * (Random() / 4294967296.0);
}

void StreamGenerator::Move() {
    // A road: the heading wanders a few degrees a second, the speed between
    // town and country pace (always below 100 km/h).
    headingDeg_ = std::fmod(headingDeg_ + Uniform(-4, 4) + 360.0, 360.0);
    speedKnots_ = std::fmin(50.0, std::fmax(5.0, speedKnots_ + Uniform(-1.5, 1.5)));
    const double metres = speedKnots_ * kMetresPerSecondPerKnot;
    const double h = headingDeg_ * kPi / 180.0;
    latitude_ += metres * std::cos(h) / kMetresPerDegree;
    longitude_ += metres * std::sin(h) / (kMetresPerDegree * std::cos(latitude_ * kPi / 180.0));
    auto drift = [this](Satellite& s) {
        s.azimuth = std::fmod(s.azimuth + 0.004 + 360.0, 360.0);
        s.elevation = std::fmin(89.0, std::fmax(1.0, s.elevation + Uniform(-0.01, 0.01)));
        s.snr = static_cast<int>(
            std::fmin(50, std::fmax(12, s.snr + static_cast<int>(Random() % 3) - 1)));
    };
    for (Satellite& s : gps_)
        drift(s);
    for (Satellite& s : glonass_)
        drift(s);
    ++utcSeconds_;
}

void StreamGenerator::AppendSentence(std::string* out, const char* body) {
    // body starts with '$'; the sum covers what lies between it and the '*'.
    unsigned sum = 0;
    for (const char* p = body + 1; *p; ++p)
        sum ^= static_cast<unsigned char>(*p);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    out->append(body);
    out->append(tail);
}

void StreamGenerator::AppendGsa(std::string* out, const char* talker, const Satellite* sats,
                                int count) {
    char body[128];
    int n = std::snprintf(body, sizeof body, "$%sGSA,A,3", talker);
    for (int i = 0; i < 12; ++i) {
        if (i < count)
            n += std::snprintf(body + n, sizeof body - n, ",%02d", sats[i].id);
        else
            n += std::snprintf(body + n, sizeof body - n, ",");
    }
    std::snprintf(body + n, sizeof body - n, ",1.6,0.9,1.3");
    AppendSentence(out, body);
}

void StreamGenerator::AppendGsv(std::string* out, const char* talker, const Satellite* sats,
                                int count) {
    const int messages = (count + 3) / 4;
    for (int m = 0; m < messages; ++m) {
        char body[128];
        int n =
            std::snprintf(body, sizeof body, "$%sGSV,%d,%d,%02d", talker, messages, m + 1, count);
        for (int i = m * 4; i < count && i < m * 4 + 4; ++i) {
            n += std::snprintf(body + n, sizeof body - n, ",%02d,%02d,%03d,%02d", sats[i].id,
                               static_cast<int>(sats[i].elevation),
                               static_cast<int>(sats[i].azimuth), sats[i].snr);
        }
        AppendSentence(out, body);
    }
}

void StreamGenerator::AppendCycle(std::string* out) {
    Move();
    const int64_t days = utcSeconds_ / 86400;
    const int secondOfDay = static_cast<int>(utcSeconds_ % 86400);
    int64_t year;
    unsigned month, day;
    CivilFromDays(days, &year, &month, &day);
    char time[16];
    std::snprintf(time, sizeof time, "%02d%02d%02d.00", secondOfDay / 3600, secondOfDay / 60 % 60,
                  secondOfDay % 60);
    char lat[64], lon[64];
    FormatAngle(lat, sizeof lat, latitude_, 2, 'N', 'S');
    FormatAngle(lon, sizeof lon, longitude_, 3, 'E', 'W');

    char body[512];
    std::snprintf(body, sizeof body, "$GPGGA,%s,%s,%s,1,%02d,0.9,%.1f,M,46.9,M,,", time, lat, lon,
                  kGpsSatellites, 520.0 + std::fmod(static_cast<double>(utcSeconds_ % 600), 60.0));
    AppendSentence(out, body);
    AppendGsa(out, "GP", gps_, kGpsSatellites);
    AppendGsa(out, "GL", glonass_, kGlonassSatellites);
    AppendGsv(out, "GP", gps_, kGpsSatellites);
    AppendGsv(out, "GL", glonass_, kGlonassSatellites);
    std::snprintf(body, sizeof body, "$GPRMC,%s,A,%s,%s,%.1f,%.1f,%02d%02d%02d,,,A", time, lat, lon,
                  speedKnots_, headingDeg_, static_cast<int>(day), static_cast<int>(month),
                  static_cast<int>(year % 100));
    AppendSentence(out, body);
}
