#include "nmea/decoders.h"
#include "nmea/field_split.h"

// $PMTK705,AXN_1.30,0000,20090609,*hh
//          1        2    3
// The receiver's answer to the version query: 1 its core, 3 its firmware
// (fields the reply leaves empty keep what the setup panel shows).
bool DecodeVersionReply(IntakeHost& host, ReceiverModel& model, const char16_t* line) {
    auto& fields = model.intake.VersionFields;
    SplitFields(line, fields);
    if (fields[1][0] != 0)
        host.SetCoreVersion(fields[1]);
    if (fields[3][0] != 0)
        host.SetFirmwareVersion(fields[3]);
    return false;
}
