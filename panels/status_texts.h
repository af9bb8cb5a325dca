// The status panel's texts, made from the receiver model by the rules the
// panel has always shown them with: local date and time, the course and the
// DOPs as sent, the speed in whole km/h, the minutes of a position as sent.
#pragma once

#include "nmea/receiver_model.h"

// The texts in the order the panel draws them; each slot's size is the
// display's own limit (a longer course or DOP is cut to fit).
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

// Every slot is written: "" for what the receiver has not sent since the
// model was cleared.
void FormatStatusTexts(const ReceiverModel& model, StatusTexts& out);
