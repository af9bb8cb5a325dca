// The per-line intake: log, receiver replies, checksum and colour, dispatch to
// the decoders, console, and the redraw at the end of a reporting cycle.
#pragma once

#include <cstddef>

#include "nmea/intake_host.h"
#include "nmea/receiver_model.h"

// The intake's working copy: 255 characters and the terminator.
constexpr size_t kWorkingCopyUnits = 256;

// Handles one received line (16-bit units, ending with the line feed,
// zero-terminated). Returns 1 when the line was handled, 0 when it was dropped
// by the re-entrancy guard. Keeps no pointer to `line`.
int OnLineReceived(IntakeHost& host, ReceiverModel& status, const char16_t* line);

// The NMEA 0183 checksum test of a working copy of n units (n counts the line
// end): the line ends in CR LF or in LF alone, exactly two digits stand
// between the '*' and that line end, and they state the xor of the units
// between the first one and the '*'.
bool ChecksumPasses(const char16_t* copy, size_t n);
