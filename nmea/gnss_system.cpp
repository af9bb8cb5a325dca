#include "nmea/gnss_system.h"

#include "nmea/text16.h"

namespace {

// The conventions followed, all public:
// - NMEA 0183 4.10 and 4.11: the talkers GP (GPS, with SBAS and QZSS among
//   its numbers), GL GLONASS, GA Galileo, GB or BD BeiDou, GQ or QZ QZSS, GI
//   NavIC, GN for several; the GSA system IDs 1 GPS, 2 GLONASS, 3 Galileo,
//   4 BeiDou, 5 QZSS, 6 NavIC (4.10 reports QZSS under 1); the numbers 1-32
//   GPS, 33-64 SBAS (PRN 120-151), 65-96 GLONASS (slot + 64), 193-202 QZSS
//   (PRN 193-202, QZS 1-10), and from 4.10 on Galileo, BeiDou, QZSS and NavIC
//   numbered from 1 in their own talkers.
// - Numbers some receivers use outside those: SBAS by its PRN 120-158,
//   Galileo 301-336 and BeiDou 401-437 (the "extended" ranges), and BeiDou
//   201-263 (PRN + 200, SkyTraq and Telit among the captures). The last
//   overlaps QZSS 201-202, so it only counts once the talker or the system
//   ID has said BeiDou.
// - The letters are those of RINEX 3 (G R E C J I S), and so is the number
//   printed after S: the SBAS PRN less 100.
struct SystemRow {
    const char* name;
    char letter;
    const char* talkers[2];  // in a GSV or GSA address field
    int systemId;            // NMEA 0183 4.10 system ID; SBAS has none of its own
    int labelOffset;         // subtracted from the own number in a label
};

constexpr SystemRow kSystems[kGnssSystems] = {
    {"GPS", 'G', {"GP", nullptr}, 1, 0},     {"SBAS", 'S', {nullptr, nullptr}, 0, 100},
    {"GLONASS", 'R', {"GL", nullptr}, 2, 0}, {"Galileo", 'E', {"GA", nullptr}, 3, 0},
    {"BeiDou", 'C', {"GB", "BD"}, 4, 0},     {"QZSS", 'J', {"GQ", "QZ"}, 5, 0},
    {"NavIC", 'I', {"GI", nullptr}, 6, 0},
};

struct NumberRange {
    int32_t first;
    int32_t last;
    GnssSystem system;
    int32_t ownFirst;  // the own number of `first`
    bool namesSystem;  // the number alone says the system
};

constexpr NumberRange kRanges[] = {
    {1, 32, GnssSystem::kGps, 1, true},       {33, 64, GnssSystem::kSbas, 120, true},
    {65, 96, GnssSystem::kGlonass, 1, true},  {120, 158, GnssSystem::kSbas, 120, true},
    {193, 202, GnssSystem::kQzss, 1, true},   {301, 336, GnssSystem::kGalileo, 1, true},
    {401, 437, GnssSystem::kBeiDou, 1, true}, {201, 263, GnssSystem::kBeiDou, 1, false},
};

const SystemRow& Row(GnssSystem system) {
    return kSystems[static_cast<int>(system)];
}

using gnss_detail::kLookupNumbers;
using gnss_detail::NumberLookup;

constexpr NumberLookup MakeLookup() {
    NumberLookup l{};
    for (int32_t n = 0; n < kLookupNumbers; ++n) {
        l.system[n] = kGnssSystems;
        for (int s = 0; s < kGnssSystems; ++s)
            l.own[s][n] = static_cast<int16_t>(n);
    }
    for (const NumberRange& r : kRanges) {
        for (int32_t n = r.first; n <= r.last; ++n) {
            l.own[static_cast<int>(r.system)][n] = static_cast<int16_t>(n - r.first + r.ownFirst);
            if (r.namesSystem)
                l.system[n] = static_cast<uint8_t>(r.system);
        }
    }
    return l;
}

// The talkers that name a system, by their two letters: every GSV and GSA
// asks. GP is left out: it keeps SBAS, and QZSS before 4.11, among its
// numbers.
struct TalkerLookup {
    uint8_t system[26][26];  // kGnssSystems: names none
};

constexpr TalkerLookup MakeTalkers() {
    TalkerLookup t{};
    for (auto& row : t.system)
        for (uint8_t& s : row)
            s = kGnssSystems;
    for (int s = 0; s < kGnssSystems; ++s) {
        if (s == static_cast<int>(GnssSystem::kGps))
            continue;
        for (const char* name : kSystems[s].talkers)
            if (name != nullptr)
                t.system[name[0] - 'A'][name[1] - 'A'] = static_cast<uint8_t>(s);
    }
    return t;
}

constexpr TalkerLookup kTalkers = MakeTalkers();

}  // namespace

namespace gnss_detail {
constexpr NumberLookup kNumbers = MakeLookup();
}

const char* SystemName(GnssSystem system) {
    return Row(system).name;
}

SystemHint TalkerHint(const char16_t* address, const char* kind) {
    const SystemHint numbers{GnssSystem::kGps, false};
    const size_t n = text16::Length(address);
    // "$GAGSV", or the address at the end of whatever came before it on the line.
    if (n < 5 || address[n - 3] != static_cast<char16_t>(kind[0]) ||
        address[n - 2] != static_cast<char16_t>(kind[1]) ||
        address[n - 1] != static_cast<char16_t>(kind[2]))
        return numbers;
    return TalkerHint(address[n - 5], address[n - 4]);
}

SystemHint TalkerHint(char16_t first, char16_t second) {
    const unsigned row = first - u'A', column = second - u'A';
    if (row >= 26 || column >= 26 || kTalkers.system[row][column] >= kGnssSystems)
        return {GnssSystem::kGps, false};
    return {static_cast<GnssSystem>(kTalkers.system[row][column]), true};
}

bool SystemIdHint(const char16_t* field, SystemHint* hint) {
    if (field[0] < u'1' || field[0] > u'6' || field[1] != 0)
        return false;
    const int id = field[0] - u'0';
    for (int s = 0; s < kGnssSystems; ++s) {
        if (kSystems[s].systemId == id) {
            // ID 1 is the GPS talker's numbering: SBAS, and QZSS before 4.11, share it.
            *hint = {static_cast<GnssSystem>(s), id != 1};
            return true;
        }
    }
    return false;
}

bool SatelliteLabel(SatelliteId id, char16_t* out, size_t capacity) {
    const SystemRow& row = Row(id.system);
    char letter[2] = {row.letter, 0};
    const size_t needed =
        text16::Format(out, capacity, "%s%02d", letter, static_cast<int>(id.own - row.labelOffset));
    return needed < capacity;
}
