#include "stats/position_lines.h"

#include "nmea/field_number.h"
#include "nmea/field_split.h"
#include "nmea/fix_reports.h"
#include "nmea/receiver_model.h"
#include "nmea/sentence_intake.h"

namespace stats {
namespace {

constexpr size_t kGgaFieldCount = 15;

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
//        1      2        3 4         5 6 7  8   9     10 11  12
// 1 UTC time, 2/3 latitude, 4/5 longitude, 6 quality, 7 satellites used,
// 8 HDOP, 9 altitude above mean sea level.
bool TakeGga(PositionFeed& feed, const char16_t* line) {
    char16_t fields[kGgaFieldCount][kNavFieldWidth] = {};
    SplitFields(line, fields);
    if (!AddressIs(fields[0], "GGA"))
        return false;
    const double quality = FieldNumber(fields[6]);
    const double used = FieldNumber(fields[7]);
    double lat = 0, lon = 0;
    FieldPosition(fields[2], fields[3], fields[4], fields[5], &lat, &lon);
    ReportedFix fix{FieldTimeOfDay(fields[1]),
                    lat,
                    lon,
                    FieldNumber(fields[9]),
                    FieldNumber(fields[8]),
                    used >= 0 && used < 1000 ? static_cast<int>(used) : -1,
                    quality >= 0 && quality <= 9 ? static_cast<int>(quality) : 0};
    feed.OnFix(FixSource::kGga, fix);
    return true;
}

}  // namespace

bool FeedPositionLine(PositionFeed& feed, const char16_t* line, size_t length) {
    // Longer than the intake's working copy: cut there, and so never good.
    // Most lines are none of the three: their name decides before any split.
    if (length < 7 || length >= kWorkingCopyUnits || line[0] != u'$' || line[3] != u'G')
        return false;
    const bool maybe = (line[4] == u'G' && line[5] == u'A') ||
                       (line[4] == u'N' && line[5] == u'S') || (line[4] == u'S' && line[5] == u'T');
    if (!maybe || !ChecksumPasses(line, length))
        return false;
    if (TakeGga(feed, line))
        return true;
    GnsReport gns;
    if (ReadGns(line, &gns)) {
        feed.OnFix(FixSource::kGns, {gns.timeOfDay, gns.latitude, gns.longitude, gns.altitude,
                                     gns.hdop, gns.satellites, gns.quality});
        return true;
    }
    GstReport gst;
    if (ReadGst(line, &gst)) {
        feed.OnGst(gst.timeOfDay, gst.sdLatitude, gst.sdLongitude, gst.sdAltitude);
        return true;
    }
    return false;
}

}  // namespace stats
