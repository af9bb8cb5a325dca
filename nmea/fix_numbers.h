// The fields that GGA and RMC share, read into the model's numbers. A field
// that is empty or not a number leaves its value "not known": receivers send
// empty fields while they have no fix, and a wrong number is worse than none.
#pragma once

#include "nmea/receiver_model.h"

// A decimal number as NMEA writes it: an optional sign, digits, an optional
// point and more digits, and nothing else up to the terminator.
Known ReadNumber(const char16_t* field);

// "hhmmss" with any fraction of the seconds (GGA field 1, RMC field 1).
void ReadUtcTime(const char16_t* field, FixNumbers& fix);

// "ddmmyy" (RMC field 9); the years are 2000 to 2099, as the panel shows them.
void ReadUtcDate(const char16_t* field, FixNumbers& fix);

// "ddmm.mmmm" with 'N'/'S', "dddmm.mmmm" with 'E'/'W', to signed degrees.
void ReadPosition(const char16_t* latitude, const char16_t* northSouth, const char16_t* longitude,
                  const char16_t* eastWest, FixNumbers& fix);

// RMC field 7 as the panel shows it and the console colours by: the knots'
// decimals dropped before the conversion, the km/h truncated toward zero and
// held within what the speed's text can show at all.
int32_t ShownSpeedKmh(const char16_t* knots);
