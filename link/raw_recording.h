// Raw recordings: files of the exact bytes a receiver's port delivered, which
// playback reads line for line. The rules here name them and offer them in
// the file dialogs.
#pragma once

#include <cstddef>

#include "nmea/civil_time.h"

namespace linkrules {

// The name a new recording is offered under, "skyloom-YYYYMMDD-HHMMSS.pgl",
// from the local time it starts. False, with out empty, when the name does
// not fit `cap` units (28 with the terminator; a year past 9999 needs one more).
bool DefaultRecordingName(const CivilTime& local, char16_t* out, size_t cap);
template <size_t N>
bool DefaultRecordingName(const CivilTime& local, char16_t (&out)[N]) {
    return DefaultRecordingName(local, out, N);
}

// The file dialogs' filter pairs (display text, patterns), ended by an empty
// text: recordings, the names other capture tools give theirs, everything.
constexpr char16_t kRecordingFilter[] =
    u"Recordings (*.pgl)\0*.pgl\0"
    u"NMEA captures (*.nmea;*.txt;*.log)\0*.nmea;*.txt;*.log\0"
    u"All files (*.*)\0*.*\0";

}  // namespace linkrules
