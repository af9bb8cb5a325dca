#include "nmea/decoders.h"
#include "nmea/field_split.h"
#include "nmea/text16.h"

// $GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39
//        1 2 3 ..................... 14 15  16  17
// 2 fix type (1 none, 2 2D, 3 3D), 3-14 satellites used, 15 PDOP, 16 HDOP.
void DecodeGsa(IntakeHost& host, ReceiverStatus& status, const char16_t* line) {
    // Once per cycle: a second GSA of the cycle (another satellite system) adds
    // to the first one's satellites instead of replacing them.
    IntakeState& intake = status.intake;
    if (intake.gsaCleared == 0) {
        intake.gsaCleared = 1;
        ClearSatelliteFlag<&SatelliteSlot::used>(status);
    }
    auto& fields = intake.GsaFields;
    SplitFields(line, fields);

    const char16_t fixType = fields[2][0];
    if (fixType == u'2') {
        text16::CopyNarrow(status.texts.fixState, "2D");
    } else if (fixType == u'3') {
        text16::CopyNarrow(status.texts.fixState, "3D");
        MeasureTtff(host, status);
    } else {
        text16::CopyNarrow(status.texts.fixState, "No Fix");
    }

    for (size_t k = 3; k <= 14; ++k) {
        if (fields[k][0] == 0)
            continue;
        const int32_t number = text16::IntOrZero(fields[k]);
        // The table has no entry for other numbers; such a satellite is left out.
        if (number < 0 || number >= kSatelliteSlots)
            continue;
        status.satellites[number].used = 1;
    }

    text16::Copy(status.texts.hdop, fields[16]);
    text16::Copy(status.texts.pdop, fields[15]);
}
