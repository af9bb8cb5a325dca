#include "link/log_file_win32.h"

#include "link/log_path.h"
#include "link/text16_win32.h"
#include "nmea/text16.h"
#include "res/resource.h"

HANDLE LogHandle = INVALID_HANDLE_VALUE;
int32_t LogOn = 0;
int32_t SnrOffset = 0;

namespace {

constexpr int kFieldTextUnits = 255;

void Untick(HWND setupPanel) {
    SendDlgItemMessageW(setupPanel, IDC_LOG_FILE, BM_SETCHECK, BST_UNCHECKED, 0);
}

void EnableNameFields(HWND setupPanel, BOOL enable) {
    EnableWindow(GetDlgItem(setupPanel, IDC_LOG_NAME), enable);
    EnableWindow(GetDlgItem(setupPanel, IDC_SNR_OFFSET), enable);
}

}  // namespace

LRESULT StartLog(HWND setupPanel) {
    wchar_t exePath[linkrules::kLogPathUnits] = {};
    DWORD length = GetModuleFileNameW(nullptr, exePath, linkrules::kLogPathUnits);
    // A path that filled the buffer was cut: its directory cannot be trusted.
    if (length == 0 || length >= linkrules::kLogPathUnits) {
        Untick(setupPanel);
        return 0;
    }
    wchar_t name[kFieldTextUnits] = {};
    GetDlgItemTextW(setupPanel, IDC_LOG_NAME, name, kFieldTextUnits);
    wchar_t path[linkrules::kLogPathUnits];
    linkrules::LogPathResult built = linkrules::BuildLogPath(
        AsText16(exePath), AsText16(name), AsText16(path), linkrules::kLogPathUnits);
    if (built != linkrules::LogPathResult::kOk) {
        Untick(setupPanel);
        return 0;
    }

    wchar_t offset[kFieldTextUnits] = {};
    GetDlgItemTextW(setupPanel, IDC_SNR_OFFSET, offset, kFieldTextUnits);
    text16::ScanInt(AsText16(offset), &SnrOffset);

    // A second start without a stop in between: the earlier file would stay
    // open (and, under the same name, block its own replacement).
    if (LogHandle != INVALID_HANDLE_VALUE)
        CloseHandle(LogHandle);
    LogHandle =
        CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (LogHandle != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(LogHandle, linkrules::kLogByteOrderMark, sizeof linkrules::kLogByteOrderMark,
                  &written, nullptr);
    }
    LogOn = 1;
    EnableNameFields(setupPanel, FALSE);
    return 0;
}

LRESULT StopLog(HWND setupPanel) {
    if (LogHandle == INVALID_HANDLE_VALUE)
        return 0;
    LogOn = 0;
    CloseHandle(LogHandle);
    LogHandle = INVALID_HANDLE_VALUE;
    EnableNameFields(setupPanel, TRUE);
    return 0;
}

void WriteLogLine(const char16_t* line, size_t n) {
    if (LogOn == 0 || LogHandle == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(LogHandle, line, static_cast<DWORD>(n * sizeof(char16_t)), &written, nullptr);
}

void CloseLogAtExit() {
    if (LogHandle == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(LogHandle);
    LogHandle = INVALID_HANDLE_VALUE;
}
