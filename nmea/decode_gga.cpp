#include "nmea/decoders.h"
#include "nmea/field_split.h"
#include "nmea/fix_numbers.h"
#include "nmea/text16.h"

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
//        1      2        3 4         5 6 7  8   9     10 11 12
// 1 UTC time, 2/3 latitude, 4/5 longitude, 6 fix quality (0 none, 1 GPS,
// 2 DGPS, 3 PPS, 4 RTK fixed, 5 RTK float, 6 dead reckoning, 7 manual,
// 8 simulated), 7 satellites used, 8 HDOP, 9 altitude above mean sea level,
// 11 geoid separation (10 and 12 their unit, metres), 13/14 DGPS age and station.
// Its arrival opens the receiver's reporting cycle, so the next GSV and GSA
// start their satellite flags afresh, and the status panel is redrawn once
// the line is shown.
bool DecodeGga(IntakeHost&, ReceiverModel& model, const char16_t* line) {
    IntakeState& intake = model.intake;
    intake.gsvCleared = 0;
    intake.gsaCleared = 0;
    StartRound(intake);

    auto& fields = intake.GgaFields;
    const size_t sent = DataFields(line, SplitFields(line, fields));
    // Fields this line does not reach are empty, not what a longer GGA left.
    for (size_t k = sent; k < kGgaFieldCount; ++k)
        fields[k][0] = 0;
    FixNumbers& fix = model.fix;
    ReadUtcTime(fields[1], fix);
    ReadPosition(fields[2], fields[3], fields[4], fields[5], fix);
    const char16_t quality = fields[6][0];
    fix.qualityKnown = quality >= u'0' && quality <= u'8' && fields[6][1] == 0;
    fix.quality = fix.qualityKnown ? static_cast<FixQuality>(quality - u'0') : FixQuality::kNone;
    const Known used = ReadNumber(fields[7]);
    fix.satellitesUsed =
        used.known && used.value >= 0 && used.value <= 999 ? static_cast<int32_t>(used.value) : -1;
    fix.hdop = ReadNumber(fields[8]);
    fix.altitude = ReadNumber(fields[9]);
    fix.geoidSeparation = ReadNumber(fields[11]);
    return true;
}

void StartRound(IntakeState& intake) {
    ++intake.round;
    intake.roundGroupCount = 0;
}
