// The sentence decoders. Each writes into the receiver status record and keeps
// its field buffer and cycle flags in the record's IntakeState; the intake
// calls exactly one of them per decoded line.
#pragma once

#include "nmea/intake_host.h"
#include "nmea/receiver_model.h"

void DecodeGga(ReceiverModel& status);
void DecodeRmc(IntakeHost& host, ReceiverModel& status, const char16_t* line);
void DecodeGsa(IntakeHost& host, ReceiverModel& status, const char16_t* line);
void DecodeGsv(ReceiverModel& status, const char16_t* line);

// Opens the next round of GSV reports (GGA, or a GSV group listed again).
void StartRound(IntakeState& intake);

// The time-to-first-fix step shared by RMC and GSA.
void MeasureTtff(IntakeHost& host, ReceiverModel& status);
