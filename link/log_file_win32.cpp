#include "link/log_file_win32.h"

#include "link/log_path.h"
#include "win32/wide_text.h"

UniqueFile LogHandle;
int32_t LogOn = 0;
int32_t SnrOffset = 0;

LogStart StartLog(const wchar_t* name) {
    wchar_t exePath[linkrules::kLogPathUnits] = {};
    DWORD length = GetModuleFileNameW(nullptr, exePath, linkrules::kLogPathUnits);
    // A path that filled the buffer was cut: its directory cannot be trusted.
    if (length == 0 || length >= linkrules::kLogPathUnits)
        return LogStart::kRefused;
    wchar_t path[linkrules::kLogPathUnits];
    linkrules::LogPathResult built = linkrules::BuildLogPath(
        AsText16(exePath), AsText16(name), AsText16(path), linkrules::kLogPathUnits);
    if (built != linkrules::LogPathResult::kOk)
        return LogStart::kRefused;

    // A second start without a stop in between: the earlier file is closed
    // first, or under the same name it would block its own replacement.
    LogHandle.reset();
    LogHandle.reset(
        CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (LogHandle) {
        DWORD written = 0;
        WriteFile(LogHandle.get(), linkrules::kLogByteOrderMark,
                  sizeof linkrules::kLogByteOrderMark, &written, nullptr);
    }
    LogOn = 1;
    return LogStart::kStarted;
}

bool StopLog() {
    if (!LogHandle)
        return false;
    LogOn = 0;
    LogHandle.reset();
    return true;
}

void WriteLogLine(const char16_t* line, size_t n) {
    if (LogOn == 0 || !LogHandle)
        return;
    DWORD written = 0;
    WriteFile(LogHandle.get(), line, static_cast<DWORD>(n * sizeof(char16_t)), &written, nullptr);
}

bool LogFileOpen() {
    return static_cast<bool>(LogHandle);
}
