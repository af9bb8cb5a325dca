// Sentence fields read as numbers. NaN stands for a field that is empty or
// holds no plain number, so "not sent" can never read as a zero.
#pragma once

// A decimal number: an optional sign, digits, an optional point and digits
// ("545.4", "-0.5", "00014", ".5"), up to a line end. Anything else in the
// field gives NaN.
double FieldNumber(const char16_t* field);

// ddmm.mmmm with its hemisphere ("N"/"S") to signed degrees; NaN for a missing
// or wrong hemisphere, minutes of 60 or more, or more than 90 degrees.
double FieldLatitude(const char16_t* value, const char16_t* hemisphere);
// dddmm.mmmm with "E"/"W"; up to 180 degrees.
double FieldLongitude(const char16_t* value, const char16_t* hemisphere);

// hhmmss.ss to seconds since midnight; NaN for a time no clock shows (a
// second of 60 passes: receivers show leap seconds so).
double FieldTimeOfDay(const char16_t* field);
