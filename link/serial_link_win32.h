// Opening and closing the link (a serial port or a recording), and the reader
// thread that hands each received line to the main window.
#pragma once

#include <windows.h>

#include <cstdint>

// The open port or recording; INVALID_HANDLE_VALUE when no link is open.
// The link's own state owns the handle: this is only its name for the rest
// of the program.
extern HANDLE LinkHandle;

// Baud rates by the baud list's selection.
constexpr int kBaudRateCount = 9;
extern const uint32_t BaudRates[kBaudRateCount];

// Opens `entry` (already cut at its colon): "Log File" asks for a recording
// through the file dialog owned by `owner`, anything else names a port,
// opened at BaudRates[baudIndex]. 1 on success; the reader then sends its
// lines to `owner`, and posts it UM_PORT_LOST when the port stops answering
// the way a removed device does (its reading has ended then). 0 also for a
// port that refuses the link's settings.
int OpenLink(HWND owner, const wchar_t* entry, int baudIndex);

// Plays the recording at `path` (what the file dialog chose for "Log File"),
// delivering its lines to `owner`. 1 on success.
int OpenRecording(HWND owner, const wchar_t* path);

// Closes the open link, if any; never waits without bound for its reader.
int CloseLink();

// True while a link is open.
bool LinkIsOpen();

// The open link's number, which its reader's UM_PORT_LOST carries; 0 when no
// link is open.
uint32_t OpenLinkNumber();

// The handle commands may be written to: the open port, or
// INVALID_HANDLE_VALUE when no link is open or a recording plays (a recording
// is never written to).
HANDLE CommandTarget();

// The UM_LINE_RECEIVED guard: the line the reader is handing over right now
// when wParam is its address, nullptr for anything else (a message from
// another process, a stale or forged pointer). Never dereferences wParam.
const wchar_t* ClaimDeliveredLine(WPARAM wParam);
