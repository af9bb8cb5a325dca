// The status panel's latitude and longitude texts, made from the RMC fields as
// the receiver sent them (ddmm.mmmm and dddmm.mmmm).
#pragma once

#include <cstddef>

void FormatLatitude(const char16_t* field, char16_t* out, size_t cap);
void FormatLongitude(const char16_t* field, char16_t* out, size_t cap);
