#include "nmea/decoders.h"
#include "nmea/field_number.h"
#include "nmea/field_split.h"
#include "nmea/fix_reports.h"
#include "nmea/receiver_model.h"

namespace {

constexpr size_t kGstFieldCount = 9;

}  // namespace

// $GPGST,150119.000,004.0,008.7,004.7,132.3,006.8,007.2,00014*71   (Quectel L70)
//        1          2     3     4     5     6     7     8
// 1 UTC time, 2 RMS of the pseudorange residuals, 3/4 standard deviations of
// the error ellipse's semi-major and semi-minor axes, 5 orientation of the
// semi-major axis (degrees from true north), 6/7/8 standard deviations of
// latitude, longitude and altitude; all in metres. Receivers leave any of
// them empty (u-blox sends only 1, 2 and 6 to 8 without a fix, with values
// of hundreds of kilometres).
bool ReadGst(const char16_t* line, GstReport* out) {
    char16_t fields[kGstFieldCount][kNavFieldWidth] = {};
    SplitFields(line, fields);
    if (!AddressIs(fields[0], "GST"))
        return false;
    out->timeOfDay = FieldTimeOfDay(fields[1]);
    out->rms = FieldNumber(fields[2]);
    out->sdMajor = FieldNumber(fields[3]);
    out->sdMinor = FieldNumber(fields[4]);
    out->orientation = FieldNumber(fields[5]);
    out->sdLatitude = FieldNumber(fields[6]);
    out->sdLongitude = FieldNumber(fields[7]);
    out->sdAltitude = FieldNumber(fields[8]);
    return true;
}

// The sentence table's row: the model keeps the last one.
bool DecodeGst(IntakeHost&, ReceiverModel& model, const char16_t* line) {
    model.accuracyKnown = ReadGst(line, &model.accuracy);
    return true;
}
