// The sentence decoders. Each writes into the receiver status record; the
// intake calls exactly one of them per decoded line.
#pragma once

#include <cstddef>

#include "nmea/intake_host.h"
#include "nmea/receiver_status.h"

constexpr size_t kNavFieldWidth = 48;
constexpr size_t kRmcFieldCount = 13;
constexpr size_t kGsaFieldCount = 19;
constexpr size_t kGsvFieldCount = 21;
constexpr size_t kVersionFieldWidth = 128;
constexpr size_t kVersionFieldCount = 4;

// Program-wide field buffers: a field that a shorter sentence does not reach
// keeps what an earlier sentence left in it.
extern char16_t RmcFields[kRmcFieldCount][kNavFieldWidth];
extern char16_t GsaFields[kGsaFieldCount][kNavFieldWidth];
extern char16_t GsvFields[kGsvFieldCount][kNavFieldWidth];
extern char16_t VersionFields[kVersionFieldCount][kVersionFieldWidth];

void DecodeGga();
void DecodeRmc(IntakeHost& host, ReceiverStatus& status, const char16_t* line);
void DecodeGsa(IntakeHost& host, ReceiverStatus& status, const char16_t* line);
void DecodeGsv(ReceiverStatus& status, const char16_t* line);

// The time-to-first-fix step shared by RMC and GSA.
void MeasureTtff(IntakeHost& host, ReceiverStatus& status);

// Sky chart position of a satellite at elevation/azimuth in whole degrees.
void SkyPosition(int elevation, int azimuth, int* skyX, int* skyY);

// Clears every field buffer (tests start from a known state with it).
void ClearFieldBuffers();
