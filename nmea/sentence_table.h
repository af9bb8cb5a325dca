// The sentences the intake knows: one row each, naming the sentence as its
// address field does, its decoder and what it completes. Adding a sentence
// is one decoder file and one row.
#pragma once

#include <cstddef>

#include "nmea/intake_host.h"
#include "nmea/receiver_model.h"

enum class SentenceStage : unsigned char {
    // A reply to one of the program's commands: answered on every line, also
    // before the first-fix clock runs and while a line is being decoded.
    kReply,
    // Part of the receiver's reports: decoded once the first-fix clock runs.
    kReport,
};

enum class SentenceCompletes : unsigned char {
    kNothing,
    // The reporting cycle: the panel is redrawn once the line is shown.
    kCycle,
};

struct SentenceRow {
    // "GGA": the name after a two-letter talker ("$GPGGA", "$GNGGA"); for a
    // proprietary row ("PMTK705") the whole address after the '$'.
    const char* name;
    bool proprietary;
    SentenceStage stage;
    SentenceCompletes completes;
    // True when the line completed what `completes` names (a GSV only with
    // its group's last message).
    bool (*decode)(IntakeHost& host, ReceiverModel& model, const char16_t* line);
};

// The row whose sentence the line's address field names, or nullptr. The
// address field is the line's first field; what stands before its '$' (the
// rest of a line damaged in transit) is no part of it. Any two characters
// make a talker: Quectel's receivers talk as "PQ" ("$PQGSV").
const SentenceRow* FindSentence(const char16_t* line);
