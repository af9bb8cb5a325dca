#include "link/log_file_win32.h"

#include <shlobj.h>

#include <iterator>

#include "link/log_path.h"
#include "win32/wide_text.h"

UniqueFile LogHandle;
int32_t LogOn = 0;
int32_t SnrOffset = 0;

namespace {

// Opens the log file `name` in `folder`: empty when the path does not fit or
// the system refuses it. Nothing is cut: a cut name would be some other file.
UniqueFile CreateLogIn(const std::wstring& folder, const wchar_t* name, std::wstring* path) {
    wchar_t built[linkrules::kLogPathUnits];
    if (linkrules::BuildLogPathIn(AsText16(folder.c_str()), AsText16(name), AsText16Array(built)) !=
        linkrules::LogPathResult::kOk) {
        return UniqueFile();
    }
    *path = built;
    return UniqueFile(
        CreateFileW(built, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
}

}  // namespace

LogFolders DefaultLogFolders() {
    LogFolders folders;
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, std::size(path));
    // A path that filled the buffer was cut: its folder cannot be trusted.
    if (length > 0 && length < std::size(path)) {
        folders.beside = path;
        const size_t slash = folders.beside.rfind(L'\\');
        folders.beside.resize(slash == std::wstring::npos ? 0 : slash);
    }
    wchar_t documents[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents) == S_OK)
        folders.fallback = std::wstring(documents) + L"\\Skyloom";
    return folders;
}

LogStart StartLog(const wchar_t* name, const LogFolders& folders, std::wstring* path) {
    // A second start without a stop in between: the earlier file is closed
    // first, or under the same name it would block its own replacement.
    LogHandle.reset();
    LogOn = 0;
    LogStart where = LogStart::kBeside;
    if (!folders.beside.empty())
        LogHandle = CreateLogIn(folders.beside, name, path);
    if (!LogHandle && !folders.fallback.empty()) {
        CreateDirectoryW(folders.fallback.c_str(), nullptr);  // there already, most times
        LogHandle = CreateLogIn(folders.fallback, name, path);
        where = LogStart::kFallback;
    }
    if (!LogHandle) {
        path->clear();
        return LogStart::kFailed;
    }
    DWORD written = 0;
    WriteFile(LogHandle.get(), linkrules::kLogByteOrderMark, sizeof linkrules::kLogByteOrderMark,
              &written, nullptr);
    LogOn = 1;
    return where;
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

std::wstring WritableFolder(const LogFolders& folders) {
    for (const std::wstring* folder : {&folders.beside, &folders.fallback}) {
        if (folder->empty())
            continue;
        if (folder == &folders.fallback)
            CreateDirectoryW(folder->c_str(), nullptr);
        // A file that removes itself on closing: the folder is left as it was.
        const std::wstring probe =
            *folder + L"\\skyloom-probe-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
        UniqueFile file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (file)
            return *folder;
    }
    return std::wstring();
}
