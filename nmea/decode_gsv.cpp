#include <iterator>

#include "nmea/decoders.h"
#include "nmea/field_split.h"
#include "nmea/text16.h"

namespace {

using GsvFieldBuffer = decltype(IntakeState::GsvFields);

struct GsvSplit {
    const GsvFieldBuffer& fields;
    size_t dataFields;  // fields up to the one that ends at the checksum's '*'
    size_t groups;      // satellite groups, counted from the header on
};

// Unlike SplitFields, this splitter knows no field limit: it reads the whole
// line and keeps the first 21 fields (characters past a field's width are
// dropped). The checksum digits, and whatever follows the last '*', are no
// data. Since NMEA 0183 4.10 the data ends with a signal ID: it makes the
// number of fields after the header one more than a multiple of four, and it
// starts no satellite group.
GsvSplit SplitGsv(const char16_t* line, GsvFieldBuffer& fields) {
    const char16_t* p = line;
    size_t field = 0;
    size_t lastStarField = 0;
    bool sawStar = false;
    for (;;) {
        // A field past the ones kept is read over.
        p = field < std::size(fields) ? TakeField(p, fields[field]) : SkipField(p);
        if (*p == 0 || *p == u'\r')
            break;
        if (*p == u'*') {
            sawStar = true;
            lastStarField = field;
        }
        ++p;
        ++field;
    }
    GsvSplit split{fields, sawStar ? lastStarField + 1 : field + 1, 0};
    size_t satelliteFields = split.dataFields > 4 ? split.dataFields - 4 : 0;
    if (satelliteFields % 4 == 1)
        --satelliteFields;  // the signal ID
    split.groups = (satelliteFields + 3) / 4;
    return split;
}

// A group that the line cuts short reads its missing fields as empty, never
// as what an earlier sentence left in the buffer.
const char16_t* GroupField(const GsvSplit& split, size_t index) {
    return index < split.dataFields && index < std::size(split.fields) ? split.fields[index] : u"";
}

// SkyPosition of the last elevation and azimuth a satellite number was
// reported at. A satellite moves a degree in minutes while GSV repeats every
// second, so the sine and cosine are mostly worked out once per move (that
// saves about a tenth of a line's intake); the result is the function's own,
// only remembered.
void RememberedSkyPosition(SkyMemo& memo, int32_t elevation, int32_t azimuth, int* x, int* y) {
    if (!memo.valid || memo.elevation != elevation || memo.azimuth != azimuth) {
        SkyPosition(elevation, azimuth, &memo.x, &memo.y);
        memo.elevation = elevation;
        memo.azimuth = azimuth;
        memo.valid = true;
    }
    *x = memo.x;
    *y = memo.y;
}

void DecodeSatellite(ReceiverStatus& status, const GsvSplit& split, size_t group) {
    const size_t base = 4 + 4 * group;
    const int32_t number = text16::IntOrZero(GroupField(split, base));
    // 0 (or no number) is no satellite; other numbers outside the table have
    // no entry to write to.
    if (number <= 0 || number >= kSatelliteSlots)
        return;
    SatelliteSlot& slot = status.satellites[number];
    slot.inView = 1;
    slot.snr = text16::IntOrZero(GroupField(split, base + 3));
    // Receivers list satellites without an almanac position with empty
    // elevation and azimuth; such a satellite keeps its last chart position
    // (none after a clear, see HasSkyPosition) rather than being drawn on the
    // north horizon.
    int32_t elevation = 0, azimuth = 0;
    if (!text16::ScanInt(GroupField(split, base + 1), &elevation) ||
        !text16::ScanInt(GroupField(split, base + 2), &azimuth))
        return;
    int x = 0, y = 0;
    RememberedSkyPosition(status.intake.skyMemo[number], elevation, azimuth, &x, &y);
    slot.skyX = x;
    slot.skyY = y;
}

}  // namespace

// $GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74
//        1 2 3  4  5  6   7  8 ...
// $GPGSV,3,3,11,24,51,098,40,25,12,300,,29,60,230,46,1*5A
//                                                   16 (NMEA 4.10 and later)
// 1 messages in the group, 2 this message's number, 3 satellites in view, then
// up to four groups of satellite number, elevation, azimuth and SNR, and
// from NMEA 4.10 on the signal ID (L1, L5 ... of the same system).
void DecodeGsv(ReceiverStatus& status, const char16_t* line) {
    IntakeState& intake = status.intake;
    const GsvSplit split = SplitGsv(line, intake.GsvFields);

    // Once per cycle: the GSV groups of further satellite systems add to the
    // first one's satellites.
    const auto& fields = intake.GsvFields;
    if (fields[2][0] == u'1' && intake.gsvCleared == 0) {
        intake.gsvCleared = 1;
        ClearSatelliteFlag<&SatelliteSlot::inView>(status);
    }
    if (fields[2][0] == fields[1][0])
        intake.cycleComplete = 1;

    // Only groups whose four fields the buffer holds.
    const size_t maxGroups = (std::size(fields) - 4) / 4;
    const size_t groups = split.groups < maxGroups ? split.groups : maxGroups;
    for (size_t g = 0; g < groups; ++g)
        DecodeSatellite(status, split, g);
}
