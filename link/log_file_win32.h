// The log file of received lines, UTF-16LE with a mark: beside the executable,
// or, where a user cannot write there (an installation for all users), in a
// folder of the user's own.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "win32/unique_handle.h"

extern UniqueFile LogHandle;  // empty whenever no log file is open
extern int32_t LogOn;
extern int32_t SnrOffset;  // added to displayed signal strengths while logging

// Where log files and raw recordings go, in this order. Either may be empty.
struct LogFolders {
    std::wstring beside;    // the executable's folder
    std::wstring fallback;  // the user's Documents\Skyloom, made when first needed
};

// The executable's folder and the user's Documents\Skyloom.
LogFolders DefaultLogFolders();

enum class LogStart {
    kBeside,    // logging into a file in the first folder
    kFallback,  // logging into a file in the fallback folder: the user must be told where
    kFailed,    // no file could be made in either: logging is off
};

// Starts logging into the file `name`_log.txt of the first folder where it
// can be created; *path names that file. A log file already open is closed
// first, also when the new one fails.
LogStart StartLog(const wchar_t* name, const LogFolders& folders, std::wstring* path);

// Stops logging and closes the file. False when no log file was open.
bool StopLog();

// Appends n code units of a received line while logging is on.
void WriteLogLine(const char16_t* line, size_t n);

// A log file is open: the signal offset applies to what the panel shows.
bool LogFileOpen();

// The first of the folders in which a file can be made (the fallback made
// when missing); empty when there is none.
std::wstring WritableFolder(const LogFolders& folders);
