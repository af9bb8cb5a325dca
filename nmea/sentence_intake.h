// The per-line intake: log, receiver replies, checksum and colour, dispatch to
// the decoders, console, and the redraw at the end of a reporting cycle.
#pragma once

#include <cstddef>

#include "nmea/intake_host.h"
#include "nmea/receiver_status.h"

// The intake's working copy: 255 characters and the terminator.
constexpr size_t kWorkingCopyUnits = 256;

// Handles one received line (16-bit units, ending with the line feed,
// zero-terminated). Returns 1 when the line was handled, 0 when it was dropped
// by the re-entrancy guard. Keeps no pointer to `line`.
int OnLineReceived(IntakeHost& host, ReceiverStatus& status, const char16_t* line);

// The NMEA 0183 checksum test of a working copy of n units (n counts the CR
// and LF): '*' at n-5, and the xor of units 1..n-6 equal to the two digits.
bool ChecksumPasses(const char16_t* copy, size_t n);
