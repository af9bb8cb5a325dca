#include "app/win32_intake_host.h"

#include <cstring>

#include "link/log_file_win32.h"
#include "panels/setup_panel.h"
#include "panels/status_panel.h"

static_assert(sizeof(CivilTime) == sizeof(SYSTEMTIME), "CivilTime mirrors SYSTEMTIME");

Win32IntakeHost::Win32IntakeHost(CBackupDlg& setupPanel, CRestoreDlg& statusPanel)
    : setupPanel_(setupPanel), statusPanel_(statusPanel) {}

// The console owns its operations (RichEdit messages, inserts not undoable),
// so every writer of the console shares one way of doing them.
int Win32IntakeHost::ConsoleLineCount() {
    return setupPanel_.console.LineCount();
}

void Win32IntakeHost::ConsoleClear() {
    setupPanel_.console.Clear();
}

void Win32IntakeHost::ConsoleInsert(const char16_t* text) {
    setupPanel_.console.Insert(AsWide(text));
}

void Win32IntakeHost::SetConsoleColor(uint32_t colorref) {
    setupPanel_.console.SetColor(static_cast<COLORREF>(colorref));
}

void Win32IntakeHost::EnableResetButtons() {
    setupPanel_.EnableColdStart(true);
    setupPanel_.EnableFactoryReset(true);
}

void Win32IntakeHost::SetSbasCheck(bool checked) {
    setupPanel_.SetSbasChecked(checked);
}

void Win32IntakeHost::SetCoreVersion(const char16_t* text) {
    setupPanel_.SetCoreVersion(AsWide(text));
}

void Win32IntakeHost::SetFirmwareVersion(const char16_t* text) {
    setupPanel_.SetFirmwareVersion(AsWide(text));
}

void Win32IntakeHost::WriteLogLine(const char16_t* line, size_t n) {
    ::WriteLogLine(line, n);
}

void Win32IntakeHost::Redraw() {
    // Once per reporting cycle, which may come faster than a screen shows.
    statusPanel_.RedrawCycle();
}

void Win32IntakeHost::SetCaption(const char16_t* text) {
    if (mainWindow_ != nullptr)
        SetWindowTextW(mainWindow_, AsWide(text));
}

uint32_t Win32IntakeHost::TickCount() {
    return GetTickCount();
}

bool Win32IntakeHost::UtcToLocal(const CivilTime& utc, CivilTime* local) {
    // Wine's conversion takes a 29 February of any year; Windows does not.
    // Deciding here keeps both the same.
    if (!IsValidCivilTime(utc))
        return false;
    SYSTEMTIME utcTime;
    std::memcpy(&utcTime, &utc, sizeof utcTime);
    FILETIME utcFile;
    FILETIME localFile;
    SYSTEMTIME localTime;
    // Each step fails on a time the system calendar cannot hold; a failure
    // must not hand back a half-converted time.
    if (!SystemTimeToFileTime(&utcTime, &utcFile))
        return false;
    if (!FileTimeToLocalFileTime(&utcFile, &localFile))
        return false;
    if (!FileTimeToSystemTime(&localFile, &localTime))
        return false;
    std::memcpy(local, &localTime, sizeof *local);
    return true;
}
