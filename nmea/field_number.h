// Sentence fields read as plain doubles, NaN for "not known", through the
// model's own readers (nmea/fix_numbers.h): for the sentences whose values go
// into reports and statistics rather than the fix itself.
#pragma once

// ReadNumber's decimal number, up to a line end; NaN where it knows none.
double FieldNumber(const char16_t* field);

// ReadPosition's degrees, north and east positive; both NaN unless both are
// good.
void FieldPosition(const char16_t* latitude, const char16_t* northSouth, const char16_t* longitude,
                   const char16_t* eastWest, double* lat, double* lon);

// ReadUtcTime's hhmmss.ss as seconds since midnight; NaN for a time no clock
// shows (a second of 60 passes: receivers show leap seconds so).
double FieldTimeOfDay(const char16_t* field);
