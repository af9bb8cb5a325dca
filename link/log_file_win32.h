// The log file of received lines, beside the executable, UTF-16LE with a mark.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

extern HANDLE LogHandle;  // INVALID_HANDLE_VALUE whenever no log file is open
extern int32_t LogOn;
extern int32_t SnrOffset;  // added to displayed signal strengths while logging

// UM_LOG_START and UM_LOG_STOP; both return 0.
LRESULT StartLog(HWND setupPanel);
LRESULT StopLog(HWND setupPanel);

// Appends n code units of a received line while logging is on.
void WriteLogLine(const char16_t* line, size_t n);

// The main window's end: closes an open log file.
void CloseLogAtExit();
