// The sentences that tell how good the fix is, decoded into numbers: GST
// (the receiver's own error estimate) and GNS (the fix of a receiver that
// sends no GGA, with a mode letter per satellite system). NaN stands for a
// field that was empty or held no number.
#pragma once

#include <cstddef>

#include "nmea/gnss_system.h"

struct GstReport {
    double timeOfDay;    // UTC seconds since midnight
    double rms;          // RMS of the pseudorange residuals, metres
    double sdMajor;      // error ellipse: semi-major axis, metres
    double sdMinor;      // semi-minor axis, metres
    double orientation;  // of the semi-major axis, degrees from true north
    double sdLatitude;   // metres
    double sdLongitude;  // metres
    double sdAltitude;   // metres
};

// Mode letters, one per system, in the order NMEA 0183 4.11 lists them.
constexpr size_t kGnsModeSystems = 6;

struct GnsReport {
    double timeOfDay;
    double latitude;   // degrees, north positive
    double longitude;  // degrees, east positive
    double altitude;   // orthometric height (above mean sea level), metres
    double geoidSeparation;
    double hdop;
    double correctionAge;             // seconds since the last differential correction
    int satellites;                   // used in the fix; -1 not sent
    char modes[kGnsModeSystems + 1];  // "AAN": GPS, GLONASS, Galileo ...; terminated
    char navStatus;                   // 4.10's S safe, C caution, U unsafe, V not valid; 0 not sent
    int quality;                      // the best of the mode letters, as GGA's 0 to 8 number it
};

// Each reads its sentence into numbers; false (leaving *out undefined) for a
// line that is not theirs.
bool ReadGst(const char16_t* line, GstReport* out);
bool ReadGns(const char16_t* line, GnsReport* out);

// The system of the mode letter at `index` (GPS, GLONASS, Galileo, BeiDou,
// QZSS, NavIC).
GnssSystem GnsModeSystem(size_t index);

// GGA's quality of a mode letter: A 1, D 2, P 3, R 4, F 5, E 6, M 7, S 8;
// N and anything else 0.
int GnsModeQuality(char mode);
