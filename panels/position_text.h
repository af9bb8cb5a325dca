// The status panel's latitude and longitude texts, made from the RMC fields as
// the receiver sent them (ddmm.mmmm and dddmm.mmmm).
#pragma once

#include "panels/status_texts.h"

// The slot's capacity bounds how many decimals of the minutes are shown.
void FormatLatitude(const char16_t* field, decltype(StatusTexts::latitude)& out);
void FormatLongitude(const char16_t* field, decltype(StatusTexts::longitude)& out);
