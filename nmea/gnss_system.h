// Which satellite system a satellite belongs to, and which number it has in
// that system. A sentence says it in one of three ways: the talker of a GSV
// ($GAGSV lists Galileo), the system ID that ends a GSA since NMEA 0183 4.10,
// or only the satellite number, in the ranges that receivers keep apart. All
// of it is one table, in gnss_system.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

// In the order the status panel groups them and skyloom-decode breaks ties.
enum class GnssSystem : uint8_t { kGps, kSbas, kGlonass, kGalileo, kBeiDou, kQzss, kNavic };
constexpr int kGnssSystems = 7;

// "GPS", "SBAS", "GLONASS", "Galileo", "BeiDou", "QZSS", "NavIC".
const char* SystemName(GnssSystem system);

// What a sentence says about the satellites it lists: all belong to `system`
// (`named`), or each number says where it belongs, `system` where no range
// claims it.
struct SystemHint {
    GnssSystem system;
    bool named;
};

// From a sentence's address field ("$GAGSV"): GL, GA, GB/BD, GQ/QZ and GI
// name their system; GP, GN and any other talker leave it to the numbers,
// GPS where none claims one. `kind` is "GSV" or "GSA".
SystemHint TalkerHint(const char16_t* address, const char* kind);
// The same from the talker's two letters alone.
SystemHint TalkerHint(char16_t first, char16_t second);

// From an NMEA 0183 4.10 system ID field ("1" to "6"); false for anything else.
bool SystemIdHint(const char16_t* field, SystemHint* hint);

// A satellite as one slot of the table knows it.
struct SatelliteId {
    GnssSystem system;
    int32_t own;  // its number in its own system: PRN, GLONASS slot ...
};

namespace gnss_detail {
// The table's ranges worked out for every number up to kLookupNumbers (in
// gnss_system.cpp): every satellite group of every GSV needs them.
constexpr int32_t kLookupNumbers = 512;
struct NumberLookup {
    uint8_t system[kLookupNumbers];  // kGnssSystems: no range names it
    int16_t own[kGnssSystems][kLookupNumbers];
};
extern const NumberLookup kNumbers;
}  // namespace gnss_detail

// The satellite that `number` (as sent, above 0) stands for under `hint`.
inline SatelliteId IdentifySatellite(int32_t number, SystemHint hint) {
    using gnss_detail::kNumbers;
    GnssSystem system = hint.system;
    if (number < 0 || number >= gnss_detail::kLookupNumbers)
        return {system, number};
    if (!hint.named && kNumbers.system[number] < kGnssSystems)
        system = static_cast<GnssSystem>(kNumbers.system[number]);
    return {system, kNumbers.own[static_cast<int>(system)][number]};
}

// "G05", "R12", "E11", "C20", "J02", "I05", "S20": the system's letter and its
// own number (the SBAS PRN less 100), as receiver monitors print them. Always terminated; returns
// false when it had to cut the text.
bool SatelliteLabel(SatelliteId id, char16_t* out, size_t capacity);
