// The log file of received lines, beside the executable, UTF-16LE with a mark.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "win32/unique_handle.h"

extern UniqueFile LogHandle;  // empty whenever no log file is open
extern int32_t LogOn;
extern int32_t SnrOffset;  // added to displayed signal strengths while logging

enum class LogStart {
    kStarted,  // logging is on (the file may still have failed to open)
    kRefused,  // no usable path for `name`: nothing changed
};

// Starts logging into the file `name` beside the executable; a log file
// already open is closed first.
LogStart StartLog(const wchar_t* name);

// Stops logging and closes the file. False when no log file was open.
bool StopLog();

// Appends n code units of a received line while logging is on.
void WriteLogLine(const char16_t* line, size_t n);

// A log file is open: the signal offset applies to what the panel shows.
bool LogFileOpen();
