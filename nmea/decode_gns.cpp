#include "nmea/decoders.h"
#include "nmea/field_number.h"
#include "nmea/field_split.h"
#include "nmea/fix_reports.h"
#include "nmea/receiver_model.h"

namespace {

constexpr size_t kGnsFieldCount = 14;

// The mode that names the whole fix: an RTK letter over a differential one
// over a plain one, and the letters of no real fix (estimated, manual,
// simulated) only where no system has a real one.
constexpr char kModesBestFirst[] = "RFPDAEMS";

int BestQuality(const char* modes) {
    for (const char* m = kModesBestFirst; *m != 0; ++m)
        for (const char* p = modes; *p != 0; ++p)
            if (*p == *m)
                return GnsModeQuality(*m);
    return 0;
}

}  // namespace

GnssSystem GnsModeSystem(size_t index) {
    static const GnssSystem kOrder[kGnsModeSystems] = {GnssSystem::kGps,     GnssSystem::kGlonass,
                                                       GnssSystem::kGalileo, GnssSystem::kBeiDou,
                                                       GnssSystem::kQzss,    GnssSystem::kNavic};
    return index < kGnsModeSystems ? kOrder[index] : GnssSystem::kGps;
}

int GnsModeQuality(char mode) {
    static const char kByQuality[] = "ADPRFEMS";  // qualities 1 to 8
    for (int q = 0; kByQuality[q] != 0; ++q)
        if (kByQuality[q] == mode)
            return q + 1;
    return 0;
}

// $GNGNS,043539.00,4333.190206,N,00127.618380,E,AAAAN,14,1.3,250.8,50.0,,,V*62  (Telit)
//        1         2           3 4            5 6     7  8   9     10   11 12 13
// 1 UTC time, 2/3 latitude, 4/5 longitude, 6 mode letters (GPS, GLONASS,
// Galileo, BeiDou, QZSS, NavIC: N no fix, A autonomous, D differential,
// P precise, R RTK, F float RTK, E estimated, M manual, S simulator),
// 7 satellites used, 8 HDOP, 9 orthometric height, 10 geoid separation,
// 11 age of the differential data, 12 reference station, 13 navigational
// status (NMEA 0183 4.10 on). Without a fix receivers leave the position
// empty and send "NN...".
bool ReadGns(const char16_t* line, GnsReport* out) {
    char16_t fields[kGnsFieldCount][kNavFieldWidth] = {};
    SplitFields(line, fields);
    if (!AddressIs(fields[0], "GNS"))
        return false;
    out->timeOfDay = FieldTimeOfDay(fields[1]);
    FieldPosition(fields[2], fields[3], fields[4], fields[5], &out->latitude, &out->longitude);
    size_t n = 0;
    for (const char16_t* p = fields[6]; *p != 0 && n < kGnsModeSystems; ++p)
        out->modes[n++] = *p >= u'A' && *p <= u'Z' ? static_cast<char>(*p) : '?';
    out->modes[n] = 0;
    const double used = FieldNumber(fields[7]);
    out->satellites =
        used >= 0 && used <= 999 && used == static_cast<int>(used) ? static_cast<int>(used) : -1;
    out->hdop = FieldNumber(fields[8]);
    out->altitude = FieldNumber(fields[9]);
    out->geoidSeparation = FieldNumber(fields[10]);
    out->correctionAge = FieldNumber(fields[11]);
    const char16_t status = fields[13][0];
    out->navStatus =
        fields[13][1] == 0 && status >= u'A' && status <= u'Z' ? static_cast<char>(status) : 0;
    out->quality = BestQuality(out->modes);
    return true;
}

// The sentence table's row: the model keeps the last one.
bool DecodeGns(IntakeHost&, ReceiverModel& model, const char16_t* line) {
    model.gnsKnown = ReadGns(line, &model.gns);
    return true;
}
