#include "tools/skyloom_sim/sim_receiver.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "tools/skyloom_sim/sim_sentence.h"
#include "tools/skyloom_sim/sim_time.h"
#include "version.h"

namespace sim {

const char kCoreVersion[] = "SKYSIM_CORE_" SKYLOOM_VERSION_TEXT;
const char kFirmwareVersion[] = "SKYSIM_FW_" SKYLOOM_VERSION_TEXT;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMetresPerDegree = 111320.0;
constexpr double kKmhPerKnot = 1.852;

// ddmm.mmmm / dddmm.mmmm from degrees (with `decimals` digits of the
// minutes), rounded on the last digit so that 59.99995 minutes never prints
// as "60.0000".
std::string Angle(double degrees, int degreeDigits, int decimals) {
    const long long scale = decimals == 5 ? 100000 : 10000;
    const long long units = std::llround(std::fabs(degrees) * 60.0 * static_cast<double>(scale));
    const long long whole = units / (60 * scale);
    const long long minutes = units % (60 * scale);
    char text[40];
    std::snprintf(text, sizeof text, "%0*lld%02lld.%0*lld", degreeDigits, whole, minutes / scale,
                  decimals, minutes % scale);
    return text;
}

// The mode letter RMC and GNS give each quality.
char ModeLetter(int quality) {
    switch (quality) {
        case 2:
            return 'D';
        case 4:
            return 'R';
        case 5:
            return 'F';
        default:
            return 'A';
    }
}

std::string Fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// Body of the command without '$', checksum and line end: "PMTK605", "PSRF151,01".
std::string CommandBody(const std::string& line) {
    size_t end = line.find('*');
    if (end == std::string::npos)
        end = line.size();
    return line.substr(1, end - 1);
}

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

}  // namespace

int ParseQuality(const std::string& name) {
    const struct {
        const char* name;
        int quality;
    } kQualities[] = {{"gps", 1}, {"dgps", 2}, {"rtk-fixed", 4}, {"rtk-float", 5}};
    for (const auto& q : kQualities)
        if (name == q.name)
            return q.quality;
    return 0;
}

// The search after switch-on takes --fix-after exactly, so that a viewer's
// first fix can be expected at a known time.
Receiver::Receiver(const ReceiverOptions& options)
    : options_(options),
      sky_(options.seed),
      wander_(options.wanderMetres, options.seed),
      searchSeconds_(options.fixAfterSeconds),
      spread_(options.seed) {}

// A cold start searches for --fix-after seconds. A warm start still knows
// time, position and almanac and needs only the ephemeris: a third of that. A
// hot start knows everything and fixes after about a second and a half, never
// later than a warm start. The spread scales with the search, so that a hot
// start stays a hot start whatever spread a series of cold ones asks for.
void Receiver::Restart(double t, StartKind kind) {
    const double cold = options_.fixAfterSeconds;
    double search = cold;
    if (kind == StartKind::kWarm)
        search = cold / 3.0;
    else if (kind == StartKind::kHot)
        search = std::min(1.5, cold / 3.0);
    const double scale = cold > 0.0 ? search / cold : 1.0;
    const double unit = static_cast<double>(spread_()) / 4294967296.0 * 2.0 - 1.0;  // [-1, 1)
    searchStart_ = t;
    searchSeconds_ = std::max(0.0, search + unit * options_.fixSpreadSeconds * scale);
}

double Receiver::Acquired(double t) const {
    if (searchSeconds_ <= 0.0)
        return 1.0;
    const double a = (t - searchStart_) / searchSeconds_;
    return a < 0.0 ? 0.0 : (a > 1.0 ? 1.0 : a);
}

std::vector<std::string> Receiver::Cycle(double t, double utc) {
    const long cycle = cycles_++;
    if (powerSave_ && (powerSaveCount_++ % kPowerSaveInterval) != 0)
        return {};

    const bool fix = HasFix(t);
    const double acquired = fix ? 1.0 : Acquired(t);
    const UtcParts when = SplitUtc(utc);
    const std::string time = TwoDigits(when.hour) + TwoDigits(when.minute) +
                             TwoDigits(when.second) + "." + TwoDigits(when.centisecond);
    const std::string date =
        TwoDigits(when.day) + TwoDigits(when.month) + TwoDigits(when.year % 100);

    // The position moves along the course from the moment of switch-on.
    const double metres = options_.speedKmh / 3.6 * t;
    const double course = options_.courseDegrees * kPi / 180.0;
    // A wandering fix needs the centimetres: five decimals of the minutes
    // keep the GGA of an RTK receiver within NMEA's 82 characters.
    const bool wanders = options_.wanderMetres > 0.0;
    const WanderOffset off = fix ? wander_.At(t) : WanderOffset{0.0, 0.0, 0.0};
    const double lat =
        options_.startLatitude + (metres * std::cos(course) + off.north) / kMetresPerDegree;
    const double lon =
        options_.startLongitude +
        (metres * std::sin(course) + off.east) / (kMetresPerDegree * std::cos(lat * kPi / 180.0));
    const int decimals = wanders ? 5 : 4;
    const std::string latText = Angle(lat, 2, decimals) + (lat >= 0 ? ",N" : ",S");
    const std::string lonText = Angle(lon, 3, decimals) + (lon >= 0 ? ",E" : ",W");
    const std::string mode(1, ModeLetter(options_.quality));
    const double knots = options_.speedKmh / kKmhPerKnot;

    struct SystemView {
        const Constellation* c;
        std::vector<SkySatellite> sats;
    };
    std::vector<SystemView> views;
    int usedCount = 0;
    for (const Constellation& c : Constellations()) {
        if (!(options_.systems & c.bit))
            continue;
        SystemView v{&c, sky_.Satellites(c.bit, t, acquired, cycle)};
        for (const SkySatellite& s : v.sats)
            usedCount += s.used ? 1 : 0;
        views.push_back(v);
    }

    std::vector<std::string> out;
    if (fix) {
        // Corrections come from station 1, a second old.
        const std::string correction = options_.quality == 1 ? "," : "1,0001";
        const std::string altitude = wanders ? Fixed(545.4 + off.up, 2) : "545.4";
        out.push_back(Frame("GNGGA," + time + "," + latText + "," + lonText + "," +
                            std::to_string(options_.quality) + "," + TwoDigits(usedCount) +
                            ",0.86," + altitude + ",M,47.0,M," + correction));
    } else {
        out.push_back(Frame("GNGGA," + time + ",,,,,0,00,99.99,,M,,M,,"));
    }
    if (wanders) {
        // The receiver's own estimate is the wander's true spread.
        const double s = options_.wanderMetres;
        const std::string h = Fixed(s, 3), v = Fixed(s * kWanderUpFactor, 3);
        out.push_back(Frame(fix ? "GNGST," + time + "," + h + "," + h + "," + h + ",0.0," + h +
                                      "," + h + "," + v
                                : "GNGST," + time + ",,,,,,,"));
    }
    for (const SystemView& v : views) {
        std::string body = fix ? "GNGSA,A,3" : "GNGSA,A,1";
        int slots = 0;
        for (const SkySatellite& s : v.sats) {
            if (!s.used)
                continue;
            body += "," + TwoDigits(s.prn);
            ++slots;
        }
        for (; slots < 12; ++slots)
            body += ",";
        body += fix ? ",1.52,0.86,1.25," : ",99.99,99.99,99.99,";
        body += std::to_string(v.c->systemId);
        out.push_back(Frame(body));
    }
    // NMEA 0183 4.11: a GSV group per system and signal, each ending in its
    // signal ID; the second signal lists only the satellites it reaches.
    for (const SystemView& v : views) {
        for (int signal = 0; signal < options_.signals; ++signal) {
            std::vector<const SkySatellite*> listed;
            for (const SkySatellite& s : v.sats)
                if (signal == 0 || s.snr2 > 0)
                    listed.push_back(&s);
            const int total = static_cast<int>(listed.size());
            const int messages = total == 0 ? 1 : (total + 3) / 4;
            for (int m = 0; m < messages; ++m) {
                std::string body = std::string(v.c->talker) + "GSV," + std::to_string(messages) +
                                   "," + std::to_string(m + 1) + "," + TwoDigits(total);
                for (int i = m * 4; i < total && i < m * 4 + 4; ++i) {
                    const SkySatellite& s = *listed[static_cast<size_t>(i)];
                    char group[40];
                    std::snprintf(group, sizeof group, ",%02d,%02d,%03d,", s.prn, s.elevation,
                                  s.azimuth);
                    body += group;
                    const int snr = signal == 0 ? s.snr : s.snr2;
                    if (snr > 0)
                        body += TwoDigits(snr);
                }
                body += ",";
                body += v.c->signals[signal];
                out.push_back(Frame(body));
            }
        }
    }
    if (fix) {
        out.push_back(Frame("GNRMC," + time + ",A," + latText + "," + lonText + "," +
                            Fixed(knots, 2) + "," + Fixed(options_.courseDegrees, 2) + "," + date +
                            ",,," + mode));
    } else {
        out.push_back(Frame("GNRMC," + time + ",V,,,,,,," + date + ",,,N"));
    }
    if (vtgOn_) {
        if (fix) {
            out.push_back(Frame("GNVTG," + Fixed(options_.courseDegrees, 2) + ",T,,M," +
                                Fixed(knots, 2) + ",N," + Fixed(options_.speedKmh, 2) + ",K," +
                                mode));
        } else {
            out.push_back(Frame("GNVTG,,T,,M,,N,,K,N"));
        }
    }
    return out;
}

std::vector<std::string> Receiver::Command(const std::string& line, double t) {
    if (!HasValidChecksum(line))
        return {};
    const std::string body = CommandBody(line);
    const std::vector<std::string> fields = SplitCommas(body);
    const std::string& name = fields[0];

    if (name == "PMTK605") {
        return {Frame(std::string("PMTK705,") + kCoreVersion + ",0001," + kFirmwareVersion + ",")};
    }
    const struct {
        const char* name;
        StartKind kind;
    } kStarts[] = {
        {"PMTK101", StartKind::kHot},
        {"PMTK102", StartKind::kWarm},
        {"PMTK103", StartKind::kCold},
        {"PMTK104", StartKind::kFullCold},
    };
    for (const auto& start : kStarts) {
        if (name != start.name)
            continue;
        Restart(t, start.kind);
        if (start.kind == StartKind::kFullCold) {
            vtgOn_ = false;
            powerSave_ = false;
            sbasOn_ = true;
        }
        // An MTK receiver announces its restart with the system message "001".
        return {Frame("PMTK010,001")};
    }
    if (name == "PSRF151" && fields.size() >= 2) {
        if (fields[1] == "01") {
            sbasOn_ = true;
            return {Frame("PSRFTXT,WAAS Enable")};
        }
        if (fields[1] == "00") {
            sbasOn_ = false;
            return {Frame("PSRFTXT,WAAS Disable")};
        }
        return {};
    }
    if (name == "PSRF103" && fields.size() >= 4) {
        // Rate control: message 05 is VTG; mode 00 sets the rate, 00 = off.
        if (fields[1] == "05" && fields[2] == "00")
            vtgOn_ = fields[3] != "00";
        return {};
    }
    if (name == "PSRF150" && fields.size() >= 5) {
        const bool on = fields[4] == "1";
        if (on && !powerSave_)
            powerSaveCount_ = 0;
        powerSave_ = on;
        return {};
    }
    return {};
}

}  // namespace sim
