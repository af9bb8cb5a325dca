// The raw recording: every byte a port's reader reads, exactly as read and
// before it is cut into lines, appended to a file the user named. It belongs
// to no link: it runs until the user stops it, across a close and reopen of
// the port, beside the log file.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <cstddef>
#include <cstdint>

// Starts recording into `path`, replacing a file of that name; a recording
// already running ends first. False when the file cannot be created: the
// earlier recording then goes on.
bool StartRawRecording(const wchar_t* path);

// Stops the recording and closes its file. False when none was running.
bool StopRawRecording();

bool RawRecordingOn();

// The readers' tap, on their own threads: appends what one read returned.
// Never waits for the user-interface thread, only for another write.
void RecordRawBytes(const uint8_t* bytes, size_t count);

// A file dialog for recordings (their filters, `path` as its buffer, `title`
// as its caption); the caller adds what its own dialog needs.
OPENFILENAMEW RecordingDialog(HWND owner, wchar_t* path, DWORD capacity, const wchar_t* title);

// The open dialog that chooses a recording to play back ("Open Recording"),
// `path` its buffer. False when cancelled.
bool ChoosePlaybackPath(HWND owner, wchar_t* path, DWORD capacity);

// The save dialog for a new recording, owned by `owner`, opening in `folder`
// (empty: the system's choice) with the name already in `path`. False when
// cancelled.
bool ChooseRawRecordingPath(HWND owner, const wchar_t* folder, wchar_t* path, DWORD capacity);
