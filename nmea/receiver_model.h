// The receiver model: everything the program knows about the receiver's
// latest output, in numbers (the satellites and the last fix) and, where a
// display rule needs them, the fields as sent. The decoders are its only writers; the main window
// owns it and every view reads it; opening a link and the cold start /
// factory reset commands clear it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "nmea/civil_time.h"
#include "nmea/fix_reports.h"
#include "nmea/gnss_system.h"

// One satellite, known by its system and its own number in that system.
struct SatelliteSlot {
    uint8_t inView;     // listed by a GSV sentence of the current cycle
    uint8_t used;       // listed by a GSA sentence of the current cycle
    GnssSystem system;  // with `own`, which satellite this is
    uint8_t own;        // its number in its system (PRN, GLONASS slot ...); 0: a free slot
    int32_t snr;        // dB-Hz, the strongest signal listed this cycle; 0: none tracked
    uint8_t skyKnown;   // 1 once a GSV gave elevation and azimuth since the clearing
    double elevation;   // degrees above the horizon, as last sent (skyKnown)
    double azimuth;     // degrees from true north, clockwise, as last sent (skyKnown)
    int32_t number;     // the number the receiver sent for it, last in a GSV
};

// Satellites of every system seen since the record was cleared: all the
// systems together fly fewer than 200, SBAS included. Should a receiver name
// more, a slot whose satellite is neither in view nor used is taken over.
constexpr int kSatelliteSlots = 256;
// Own numbers run from 1 to 255; a satellite numbered beyond has no slot.
constexpr int kOwnNumbers = 256;

// Receivers list satellites they have no almanac for with empty elevation and
// azimuth, and the decoder then leaves the last ones alone: a satellite is
// placed on a chart once any GSV gave both since the record was cleared.
inline bool HasSkyPosition(const SatelliteSlot& slot) {
    return slot.skyKnown != 0;
}

// GGA's fix quality, numbered as GGA sends it.
enum class FixQuality : uint8_t {
    kNone = 0,
    kGps = 1,
    kDgps = 2,
    kPps = 3,
    kRtkFixed = 4,
    kRtkFloat = 5,
    kDeadReckoning = 6,
    kManual = 7,
    kSimulated = 8,
};

// A number with "not known" as its own state: a receiver sends empty fields
// while it has nothing to say, and 0 is a real latitude, altitude and course.
struct Known {
    bool known;
    double value;
};

// The last fix in numbers, as the latest sentence that carries each value
// sent it (GGA, RMC and GSA overlap: the later one wins).
struct FixNumbers {
    // UTC of the fix (GGA, RMC) and the UTC date (RMC).
    bool timeKnown;
    uint8_t hour;
    uint8_t minute;
    double second;  // with the fraction the receiver sent
    bool dateKnown;
    uint16_t year;  // four digits (RMC sends two: 20yy)
    uint8_t month;
    uint8_t day;

    // Degrees, north and east positive (GGA, RMC).
    bool positionKnown;
    double latitude;
    double longitude;

    Known altitude;         // metres above mean sea level (GGA)
    Known geoidSeparation;  // metres the geoid lies above the ellipsoid (GGA)
    bool qualityKnown;
    FixQuality quality;      // GGA field 6
    int32_t satellitesUsed;  // GGA field 7; -1: not known
    Known hdop;              // GGA, GSA
    Known pdop;              // GSA
    Known vdop;              // GSA
    Known speedKnots;        // RMC
    Known course;            // degrees true over ground (RMC)
};

constexpr size_t kNavFieldWidth = 48;
constexpr size_t kRmcFieldCount = 13;
constexpr size_t kGgaFieldCount = 15;
constexpr size_t kGsaFieldCount = 19;
constexpr size_t kGsvFieldCount = 21;
constexpr size_t kVersionFieldWidth = 128;
constexpr size_t kVersionFieldCount = 4;

// The fix state the latest RMC (status) or GSA (fix type) sent: the later one wins.
enum class FixState : uint8_t {
    kNotSent = 0,  // nothing since the clearing
    kNoFix,
    k2D,
    k3D,
};

// Fields as the receiver sent them, where the panel shows them by a rule of
// its own: the minutes digit by digit, the course and the DOPs as written,
// the speed's knots truncated before the conversion. Each keeps what an
// earlier line left where a later one does not set it (a position with an
// empty field; a shorter sentence, whose field buffer still holds an earlier,
// longer one's fields): the panel always showed them so.
struct SentFields {
    FixState fixState;
    uint8_t rmcSent;    // an RMC was decoded since the clearing: course and speed hold its fields
    uint8_t localTime;  // the model's receiverTime was set since the clearing
    char16_t course[kNavFieldWidth];      // RMC field 8
    char16_t speedKnots[kNavFieldWidth];  // RMC field 7
    char16_t pdop[kNavFieldWidth];        // GSA field 15
    char16_t hdop[kNavFieldWidth];        // GSA field 16
    // RMC fields 3 to 6, set together when none of the four is empty.
    char16_t latitude[kNavFieldWidth];
    char16_t latHemisphere[kNavFieldWidth];
    char16_t longitude[kNavFieldWidth];
    char16_t lonHemisphere[kNavFieldWidth];
};

// What DecodeGsv remembers of a slot's satellite: the round of reports its
// snr is from.
struct SlotMemo {
    uint32_t listedRound;
};

// The GSV groups listed in one round of the receiver's reports: a talker and
// signal listed a second time start the next round.
constexpr size_t kRoundGroups = 16;

// What the intake and its decoders carry from one line to the next. Opening a
// link and the cold start / factory reset clear the record's fields as sent,
// fix and satellites but never this: the cycle follows the receiver, not the link,
// and a field that a shorter sentence does not reach keeps what an earlier
// sentence left in it. Zero is the state of a freshly started program.
struct IntakeState {
    // The reporting cycle. A GGA opens it: it clears both "cleared" flags, so
    // the first GSV and GSA after it start their satellite flags afresh and
    // further ones (other satellite systems) add to them.
    int32_t cycleComplete;  // redraw the status panel after this line; the intake clears it
    int32_t gsvCleared;     // inView already cleared in this cycle
    int32_t gsaCleared;     // used already cleared in this cycle

    // The sentence field buffers.
    char16_t RmcFields[kRmcFieldCount][kNavFieldWidth];
    char16_t GgaFields[kGgaFieldCount][kNavFieldWidth];
    char16_t GsaFields[kGsaFieldCount][kNavFieldWidth];
    char16_t GsvFields[kGsvFieldCount][kNavFieldWidth];
    char16_t VersionFields[kVersionFieldCount][kVersionFieldWidth];

    // A satellite listed for several signals in one round shows its strongest.
    uint32_t round;                      // GGA and a group listed again start a new one
    uint32_t roundGroups[kRoundGroups];  // talker and signal of each group begun in it
    uint32_t roundGroupCount;

    // Per satellite slot, for DecodeGsv.
    SlotMemo slotMemo[kSatelliteSlots];
};

struct ReceiverModel {
    // Slots 0 to satelliteCount - 1 are taken, in the order the satellites
    // were first seen; `order` lists them by the number as sent, then by
    // system, the order of the table when it was indexed by number alone.
    SatelliteSlot satellites[kSatelliteSlots];
    uint16_t satelliteCount;
    uint8_t order[kSatelliteSlots];
    uint16_t slotOf[kGnssSystems][kOwnNumbers];  // slot + 1; 0: none
    FixNumbers fix;
    // The receiver's own error estimate and its fix by GNS, as the last of
    // each sent them; false until one came since the clearing.
    bool accuracyKnown;
    GstReport accuracy;
    bool gnsKnown;
    GnsReport gns;
    SentFields sent;

    CivilTime receiverTime;    // local time of the last RMC with date and time
    uint8_t receiverTimeSet;   // 1 once receiverTime holds a decoded time
    int32_t parseBusy;         // 1 while the intake decodes a line
    char16_t ttffCaption[64];  // "Skyloom  %d Sec"
    uint32_t ttffStartTick;    // 0: the first-fix clock is not running
    uint8_t ttffDone;          // the first fix was measured since the last clearing

    IntakeState intake;
};

// Forgets the fields as sent and the fix and zeroes every satellite entry. The clock fields
// are reset separately by the callers that need it (ResetFixClock).
void ClearReceiverModel(ReceiverModel& status);

// Stops the time-to-first-fix clock: the next line restarts it.
void ResetFixClock(ReceiverModel& status);

// Clears one flag (inView or used) of every satellite for a new cycle; the
// slots' other fields keep their values.
template <uint8_t SatelliteSlot::*Flag>
void ClearSatelliteFlag(ReceiverModel& status) {
    for (int i = 0; i < status.satelliteCount; ++i)
        status.satellites[i].*Flag = 0;
}

// The slot of a satellite, or nullptr when it has none.
const SatelliteSlot* FindSatellite(const ReceiverModel& status, SatelliteId id);

// Takes a slot for a satellite that has none (SatelliteFor).
SatelliteSlot* AddSatellite(ReceiverModel& status, SatelliteId id, int32_t number, bool* added);

// The slot of the satellite `number` (as sent) stands for, taking a free one
// for a satellite not seen since the last clearing (*added then says so; it
// comes zeroed but for its identity). nullptr for an own number outside 1 to
// 255, and when every slot holds a satellite in view or used. Every satellite
// group of every GSV comes here: the common case stays inline.
inline SatelliteSlot* SatelliteFor(ReceiverModel& status, SatelliteId id, int32_t number,
                                   bool* added) {
    *added = false;
    if (id.own <= 0 || id.own >= kOwnNumbers)
        return nullptr;
    const uint16_t taken = status.slotOf[static_cast<int>(id.system)][id.own];
    if (taken != 0)
        return &status.satellites[taken - 1];
    return AddSatellite(status, id, number, added);
}

// Moves a satellite to its place in `order` under its new number (RenumberSatellite).
void PlaceByNumber(ReceiverModel& status, SatelliteSlot& slot);

// Changes the number a satellite is known by, keeping `order` in order.
inline void RenumberSatellite(ReceiverModel& status, SatelliteSlot& slot, int32_t number) {
    if (slot.number == number)
        return;
    slot.number = number;
    PlaceByNumber(status, slot);
}

// Set by the cold start and factory reset commands, cleared by the intake on
// the next line: re-enable the "Cold Start" and "Factory Reset" buttons. No
// part of the cycle but the commands' request to the intake, it stays
// program-wide.
extern int32_t resetButtonsPending;

// Clears resetButtonsPending (the Win32 tests start from it); the cycle's own
// flags live in each record's IntakeState.
void ResetCycleFlags();
