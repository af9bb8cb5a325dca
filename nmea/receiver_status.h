// Everything the program knows about the receiver's latest output. The
// decoders are its only writers; the status panel paints from it; opening a
// link and the cold start / factory reset commands clear it.
#pragma once

#include <cstdint>

#include "nmea/civil_time.h"

struct SatelliteSlot {
    uint8_t inView;  // listed by a GSV sentence of the current cycle
    uint8_t used;    // listed by a GSA sentence of the current cycle
    int32_t snr;     // dB-Hz; 0 when the GSV field was empty
    int32_t skyX;    // column on the 155x155 sky chart, zenith at 77
    int32_t skyY;    // row on the sky chart (rows grow downwards)
};

constexpr int kSatelliteSlots = 256;

// Receivers list satellites they have no almanac for with empty elevation and
// azimuth, and the decoder then leaves the chart position alone. A slot that
// no GSV has placed since the record was cleared is still at (0, 0), the
// chart's corner: no elevation from 0 to 90 degrees lands there (the corner
// lies 109 pixels from the zenith, 63 is the horizon).
inline bool HasSkyPosition(const SatelliteSlot& slot) {
    return slot.skyX != 0 || slot.skyY != 0;
}

// The status panel's display texts, in the order the panel draws them.
struct StatusTexts {
    char16_t date[15];
    char16_t time[10];
    char16_t course[10];
    char16_t speed[10];
    char16_t fixState[10];
    char16_t hdop[10];
    char16_t pdop[10];
    char16_t latHemisphere[10];
    char16_t latitude[15];
    char16_t lonHemisphere[10];
    char16_t longitude[15];
};

struct ReceiverStatus {
    SatelliteSlot satellites[kSatelliteSlots];
    StatusTexts texts;

    CivilTime receiverTime;    // local time of the last RMC with date and time
    uint8_t receiverTimeSet;   // 1 once receiverTime holds a decoded time
    int32_t parseBusy;         // 1 while the intake decodes a line
    char16_t ttffCaption[64];  // "Skyloom  %d Sec"
    uint32_t ttffStartTick;    // 0: the first-fix clock is not running
    uint8_t ttffDone;          // the first fix was measured since the last clearing
};

// Empties every text slot and zeroes every satellite entry. The clock fields
// are reset separately by the callers that need it (ResetFixClock).
void ClearReceiverStatus(ReceiverStatus& status);

// Stops the time-to-first-fix clock: the next line restarts it.
void ResetFixClock(ReceiverStatus& status);

// Clears one flag (inView or used) of every satellite for a new cycle; the
// slots' other fields keep their values.
template <uint8_t SatelliteSlot::*Flag>
inline void ClearSatelliteFlag(ReceiverStatus& status) {
    // Four slots a step: each slot costs one store, and the loop's own
    // counting would otherwise cost as much again.
    static_assert(kSatelliteSlots % 4 == 0, "whole steps of four");
    SatelliteSlot* slots = status.satellites;
    for (int i = 0; i < kSatelliteSlots; i += 4) {
        slots[i].*Flag = 0;
        slots[i + 1].*Flag = 0;
        slots[i + 2].*Flag = 0;
        slots[i + 3].*Flag = 0;
    }
}

// Program-wide flags that mark the receiver's reporting cycle (32-bit, 0 at
// program start). Tests reset them through ResetCycleFlags.
extern int32_t resetButtonsPending;  // re-enable Cold Start / Factory Reset on the next line
extern int32_t cycleComplete;        // redraw the status panel after this line
extern int32_t gsvCleared;           // inView already cleared in this cycle
extern int32_t gsaCleared;           // used already cleared in this cycle

void ResetCycleFlags();
