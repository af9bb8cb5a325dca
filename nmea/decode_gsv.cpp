#include "nmea/decoders.h"
#include "nmea/text16.h"

namespace {

struct GsvSplit {
    size_t groups;  // complete-or-not satellite groups, as the group starts count them
};

// Unlike SplitFields, this splitter counts satellite groups: a field whose
// number is a multiple of four and that is followed by ',' or '*' starts one
// (the header, field 0, is the first start). Fields past the buffer's 21 are
// read over but not kept; characters past a field's width are dropped.
GsvSplit SplitGsv(const char16_t* line) {
    const char16_t* p = line;
    size_t field = 0;
    size_t starts = 0;
    for (;;) {
        char16_t* out = field < kGsvFieldCount ? GsvFields[field] : nullptr;
        size_t n = 0;
        while (*p != 0 && *p != u',' && *p != u'*' && *p != u'\r') {
            if (out != nullptr && n + 1 < kNavFieldWidth)
                out[n++] = *p;
            ++p;
        }
        if (out != nullptr)
            out[n] = 0;
        if (*p == 0 || *p == u'\r')
            break;
        if (field % 4 == 0)
            ++starts;
        ++p;
        ++field;
    }
    return GsvSplit{starts > 0 ? starts - 1 : 0};
}

void DecodeSatellite(ReceiverStatus& status, size_t group) {
    const size_t base = 4 + 4 * group;
    const int32_t number = text16::IntOrZero(GsvFields[base]);
    // 0 (or no number) is no satellite; other numbers outside the table have
    // no entry to write to.
    if (number <= 0 || number >= kSatelliteSlots)
        return;
    SatelliteSlot& slot = status.satellites[number];
    slot.inView = 1;
    slot.snr = text16::IntOrZero(GsvFields[base + 3]);
    // Receivers list satellites without an almanac position with empty
    // elevation and azimuth; such a satellite keeps its last chart position
    // rather than being drawn on the north horizon.
    int32_t elevation = 0, azimuth = 0;
    if (!text16::ScanInt(GsvFields[base + 1], &elevation) ||
        !text16::ScanInt(GsvFields[base + 2], &azimuth))
        return;
    int x = 0, y = 0;
    SkyPosition(elevation, azimuth, &x, &y);
    slot.skyX = x;
    slot.skyY = y;
}

}  // namespace

// $GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74
//        1 2 3  4  5  6   7  8 ...
// 1 messages in the group, 2 this message's number, 3 satellites in view, then
// up to four groups of satellite number, elevation, azimuth and SNR.
void DecodeGsv(ReceiverStatus& status, const char16_t* line) {
    const GsvSplit split = SplitGsv(line);

    // Once per cycle: the GSV groups of further satellite systems add to the
    // first one's satellites.
    if (GsvFields[2][0] == u'1' && gsvCleared == 0) {
        gsvCleared = 1;
        for (SatelliteSlot& slot : status.satellites)
            slot.inView = 0;
    }
    if (GsvFields[2][0] == GsvFields[1][0])
        cycleComplete = 1;

    // Only groups whose four fields the buffer holds.
    const size_t maxGroups = (kGsvFieldCount - 4) / 4;
    const size_t groups = split.groups < maxGroups ? split.groups : maxGroups;
    for (size_t g = 0; g < groups; ++g)
        DecodeSatellite(status, g);
}
