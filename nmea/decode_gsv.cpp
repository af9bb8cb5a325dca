#include <iterator>

#include "nmea/decoders.h"
#include "nmea/field_split.h"
#include "nmea/text16.h"

namespace {

using GsvFieldBuffer = decltype(IntakeState::GsvFields);

struct GsvSplit {
    const GsvFieldBuffer& fields;
    const char16_t* talker;  // its two letters in the line, or nullptr: no "..GSV" address
    size_t dataFields;       // fields up to the one that ends at the checksum's '*'
    size_t groups;           // satellite groups, counted from the header on
    const char16_t* signal;  // where the signal ID stands in the line, or nullptr
    const char16_t* system;  // where a system ID after it stands, or nullptr
};

// A one-character field at p.
char16_t ShortField(const char16_t* p) {
    return p != nullptr && !EndsField(p[0]) && EndsField(p[1]) ? p[0] : 0;
}

// The system ID that some receivers add after the signal ID ($PQGSV): it
// makes the fields after the header two more than a multiple of four. Only
// a talker that names no system sends one; from GP such an ending is a
// satellite group cut short.
bool EndsInSystemId(const char16_t* talker, const char16_t* last) {
    const char16_t id[2] = {ShortField(last), 0};
    SystemHint hint{};
    if (!SystemIdHint(id, &hint))
        return false;
    if (talker == nullptr)
        return true;
    const bool gps = talker[0] == u'G' && talker[1] == u'P';
    return !gps && !TalkerHint(talker[0], talker[1]).named;
}

// Where the field that ends at `end` begins.
const char16_t* FieldStart(const char16_t* line, const char16_t* end) {
    while (end > line && end[-1] != u',' && end[-1] != u'*')
        --end;
    return end;
}

// "$GPGSV": the talker's letters stand before "GSV" at the end of the address
// field (whatever came before it on a damaged line).
const char16_t* Talker(const char16_t* line, const char16_t* addressEnd) {
    if (addressEnd - line < 5 || addressEnd[-3] != u'G' || addressEnd[-2] != u'S' ||
        addressEnd[-1] != u'V')
        return nullptr;
    return addressEnd - 5;
}

// Unlike SplitFields, this splitter knows no field limit: it reads the whole
// line and keeps the first 21 fields (characters past a field's width are
// dropped). The checksum digits, and whatever follows the last '*', are no
// data. Since NMEA 0183 4.10 the data ends with a signal ID: it makes the
// number of fields after the header one more than a multiple of four, and it
// starts no satellite group.
GsvSplit SplitGsv(const char16_t* line, GsvFieldBuffer& fields) {
    size_t field = 0;
    size_t lastStarField = 0;
    const char16_t* lastStar = nullptr;
    const char16_t* p = TakeField(line, fields[0]);
    const char16_t* talker = Talker(line, p);
    while (*p != 0 && *p != u'\r') {
        if (*p == u'*') {
            lastStar = p;
            lastStarField = field;
        }
        ++p;
        ++field;
        // A field past the ones kept is read over.
        p = field < std::size(fields) ? TakeField(p, fields[field]) : SkipField(p);
    }
    GsvSplit split{fields, talker, lastStar ? lastStarField + 1 : field + 1, 0, nullptr, nullptr};
    size_t satelliteFields = split.dataFields > 4 ? split.dataFields - 4 : 0;
    // The signal and system IDs are read from the line: a long message's lie
    // past the fields kept.
    const size_t tail = satelliteFields % 4;
    if (tail == 1 || tail == 2) {
        const char16_t* last = FieldStart(line, lastStar ? lastStar : p);
        if (tail == 1) {
            --satelliteFields;
            split.signal = last;
        } else if (EndsInSystemId(talker, last)) {
            satelliteFields -= 2;
            split.signal = FieldStart(line, last - 1);
            split.system = last;
        }
    }
    split.groups = (satelliteFields + 3) / 4;
    return split;
}

// A group that the line cuts short reads its missing fields as empty, never
// as what an earlier sentence left in the buffer.
const char16_t* GroupField(const GsvSplit& split, size_t index) {
    return index < split.dataFields && index < std::size(split.fields) ? split.fields[index] : u"";
}

// The talker names the system; GN and other talkers leave it to a system ID
// where they send one, else to the numbers.
SystemHint GsvHint(const GsvSplit& split) {
    SystemHint hint{GnssSystem::kGps, false};
    if (split.talker != nullptr)
        hint = TalkerHint(split.talker[0], split.talker[1]);
    const char16_t id[2] = {ShortField(split.system), 0};
    SystemIdHint(id, &hint);
    return hint;
}

// A receiver lists one group per talker and signal in each round of reports.
// The same group listed again opens the next round, with or without a GGA
// between: that keeps a signal from being compared with an older report of
// another.
uint32_t GroupKey(const GsvSplit& split) {
    const uint32_t talker =
        split.talker != nullptr ? (split.talker[0] & 0xFFu) | (split.talker[1] & 0xFFu) << 8 : 0;
    const uint32_t signal = split.signal != nullptr ? split.signal[0] & 0xFFu : 0;
    const uint32_t system = ShortField(split.system) & 0xFFu;
    return talker | signal << 16 | system << 24;
}

void BeginGroup(IntakeState& intake, uint32_t key) {
    bool listed = intake.roundGroupCount >= kRoundGroups;
    for (uint32_t i = 0; i < intake.roundGroupCount && !listed; ++i)
        listed = intake.roundGroups[i] == key;
    if (listed)
        StartRound(intake);
    intake.roundGroups[intake.roundGroupCount++] = key;
}

void DecodeSatellite(ReceiverModel& status, const GsvSplit& split, size_t group, SystemHint hint) {
    const size_t base = 4 + 4 * group;
    const int32_t number = text16::IntOrZero(GroupField(split, base));
    // 0 (or no number) is no satellite.
    if (number <= 0)
        return;
    bool added = false;
    SatelliteSlot* slot = SatelliteFor(status, IdentifySatellite(number, hint), number, &added);
    if (slot == nullptr)
        return;
    RenumberSatellite(status, *slot, number);
    IntakeState& intake = status.intake;
    const size_t index = static_cast<size_t>(slot - status.satellites);
    slot->inView = 1;
    // Each signal of the satellite listed this round: the strongest shows, so
    // a signal not (yet) tracked never hides one that is.
    const int32_t snr = text16::IntOrZero(GroupField(split, base + 3));
    SlotMemo& memo = intake.slotMemo[index];
    if (added || memo.listedRound != intake.round || snr > slot->snr)
        slot->snr = snr;
    memo.listedRound = intake.round;
    // Receivers list satellites without an almanac position with empty
    // elevation and azimuth, and further signals mostly so; such a satellite
    // keeps its last place in the sky (none after a clear, see
    // HasSkyPosition) rather than being drawn on the north horizon.
    int32_t elevation = 0, azimuth = 0;
    if (!text16::ScanInt(GroupField(split, base + 1), &elevation) ||
        !text16::ScanInt(GroupField(split, base + 2), &azimuth))
        return;
    slot->elevation = elevation;
    slot->azimuth = azimuth;
    slot->skyKnown = 1;
}

}  // namespace

// $GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74
//        1 2 3  4  5  6   7  8 ...
// $GPGSV,3,3,11,24,51,098,40,25,12,300,,29,60,230,46,1*5A
//                                                   16 (NMEA 4.10 and later)
// 1 messages in the group, 2 this message's number, 3 satellites in view, then
// up to four groups of satellite number, elevation, azimuth and SNR, and
// from NMEA 4.10 on the signal ID (L1, L5 ... of the same system).
bool DecodeGsv(IntakeHost&, ReceiverModel& status, const char16_t* line) {
    IntakeState& intake = status.intake;
    const GsvSplit split = SplitGsv(line, intake.GsvFields);

    // Whole numbers: a group of ten or more messages has a message 10 after
    // its message 1, and message 1 of 12 is not its last.
    const auto& fields = intake.GsvFields;
    const int32_t total = text16::IntOrZero(fields[1]);
    const int32_t message = text16::IntOrZero(fields[2]);
    if (message == 1) {
        // Once per cycle: the GSV groups of further satellite systems add to
        // the first one's satellites.
        if (intake.gsvCleared == 0) {
            intake.gsvCleared = 1;
            ClearSatelliteFlag<&SatelliteSlot::inView>(status);
        }
        BeginGroup(intake, GroupKey(split));
    }

    // Only groups whose four fields the buffer holds.
    const SystemHint hint = GsvHint(split);
    const size_t maxGroups = (std::size(fields) - 4) / 4;
    const size_t groups = split.groups < maxGroups ? split.groups : maxGroups;
    for (size_t g = 0; g < groups; ++g)
        DecodeSatellite(status, split, g, hint);
    // The group's last message ends the satellites' list: the panel shows it.
    return message == total;
}
