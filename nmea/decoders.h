// The sentence decoders, one file each, each a row of the sentence table
// (nmea/sentence_table.cpp). A decoder writes typed values into the receiver
// model and keeps its field buffer and cycle flags in the model's
// IntakeState; it returns true when the line completed what its row says it
// completes.
#pragma once

#include "nmea/intake_host.h"
#include "nmea/receiver_model.h"

bool DecodeGga(IntakeHost& host, ReceiverModel& model, const char16_t* line);
bool DecodeRmc(IntakeHost& host, ReceiverModel& model, const char16_t* line);
bool DecodeGsa(IntakeHost& host, ReceiverModel& model, const char16_t* line);
bool DecodeGsv(IntakeHost& host, ReceiverModel& model, const char16_t* line);
bool DecodeGst(IntakeHost& host, ReceiverModel& model, const char16_t* line);
bool DecodeGns(IntakeHost& host, ReceiverModel& model, const char16_t* line);
bool DecodeVersionReply(IntakeHost& host, ReceiverModel& model, const char16_t* line);

// Opens the next round of GSV reports (GGA, or a GSV group listed again).
void StartRound(IntakeState& intake);

// The time-to-first-fix step shared by RMC and GSA.
void MeasureTtff(IntakeHost& host, ReceiverModel& status);
