// The sentence intake's view of the real windows: the setup panel's console
// and controls, the status panel, the main window's caption, the log file and
// the system clock.
#pragma once

#include <windows.h>

#include "nmea/intake_host.h"
#include "win32/wide_text.h"

class CBackupDlg;
class CRestoreDlg;

class Win32IntakeHost : public IntakeHost {
  public:
    Win32IntakeHost(CBackupDlg& setupPanel, CRestoreDlg& statusPanel);
    Win32IntakeHost(const Win32IntakeHost&) = delete;
    Win32IntakeHost& operator=(const Win32IntakeHost&) = delete;

    // The window whose caption SetCaption writes; null until it exists.
    void SetMainWindow(HWND mainWindow) { mainWindow_ = mainWindow; }

    int ConsoleLineCount() override;
    void ConsoleClear() override;
    void ConsoleInsert(const char16_t* text) override;
    void SetConsoleColor(uint32_t colorref) override;

    void EnableResetButtons() override;
    void SetSbasCheck(bool checked) override;
    void SetCoreVersion(const char16_t* text) override;
    void SetFirmwareVersion(const char16_t* text) override;

    void WriteLogLine(const char16_t* line, size_t n) override;
    void Redraw() override;
    void SetCaption(const char16_t* text) override;
    uint32_t TickCount() override;
    bool UtcToLocal(const CivilTime& utc, CivilTime* local) override;

  private:
    CBackupDlg& setupPanel_;
    CRestoreDlg& statusPanel_;
    HWND mainWindow_ = nullptr;
};
