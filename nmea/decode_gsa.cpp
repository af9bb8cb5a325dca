#include "nmea/decoders.h"
#include "nmea/field_split.h"
#include "nmea/fix_numbers.h"
#include "nmea/text16.h"

namespace {

// The system ID where the sentence has one (a shorter line leaves older text
// in field 18), else the talker, else the numbers.
SystemHint GsaHint(const decltype(IntakeState::GsaFields)& fields, size_t filled) {
    SystemHint hint{};
    if (filled > 18 && SystemIdHint(fields[18], &hint))
        return hint;
    return TalkerHint(fields[0], "GSA");
}

}  // namespace

// $GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39
//        1 2 3 ..................... 14 15  16  17
// $GNGSA,A,3,02,11,25,36,,,,,,,,,1.7,0.8,1.6,3*3A
//                                            18 (NMEA 4.10 and later)
// 2 fix type (1 none, 2 2D, 3 3D), 3-14 satellites used, 15 PDOP, 16 HDOP,
// 17 VDOP, 18 the system of those satellites (1 GPS ... 6 NavIC).
bool DecodeGsa(IntakeHost& host, ReceiverModel& status, const char16_t* line) {
    // Once per cycle: a second GSA of the cycle (another satellite system) adds
    // to the first one's satellites instead of replacing them.
    IntakeState& intake = status.intake;
    if (intake.gsaCleared == 0) {
        intake.gsaCleared = 1;
        ClearSatelliteFlag<&SatelliteSlot::used>(status);
    }
    auto& fields = intake.GsaFields;
    const size_t filled = SplitFields(line, fields);

    const char16_t fixType = fields[2][0];
    if (fixType == u'2') {
        status.sent.fixState = FixState::k2D;
    } else if (fixType == u'3') {
        status.sent.fixState = FixState::k3D;
        MeasureTtff(host, status);
    } else {
        status.sent.fixState = FixState::kNoFix;
    }

    // Only the system the sentence names: a Galileo GSA marks no GPS satellite.
    const SystemHint hint = GsaHint(fields, filled);
    for (size_t k = 3; k <= 14; ++k) {
        const int32_t number = text16::IntOrZero(fields[k]);
        if (number <= 0)
            continue;
        bool added = false;
        SatelliteSlot* slot = SatelliteFor(status, IdentifySatellite(number, hint), number, &added);
        if (slot != nullptr)
            slot->used = 1;
    }

    text16::Copy(status.sent.hdop, fields[16]);
    text16::Copy(status.sent.pdop, fields[15]);
    // The fields as sent keep what an earlier, longer GSA left in a field this one
    // does not reach; the numbers say only what this one sent.
    FixNumbers& fix = status.fix;
    const size_t sent = DataFields(line, filled);
    fix.pdop = sent > 15 ? ReadNumber(fields[15]) : Known{};
    fix.hdop = sent > 16 ? ReadNumber(fields[16]) : Known{};
    fix.vdop = sent > 17 ? ReadNumber(fields[17]) : Known{};
    return false;
}
