#include "link/raw_recording_win32.h"

#include <commdlg.h>

#include <atomic>
#include <mutex>

#include "link/raw_recording.h"
#include "win32/unique_handle.h"
#include "win32/wide_text.h"

namespace {

// The file is swapped under the lock by the user-interface thread and
// written under it by a reader; the flag spares a reader the lock while no
// recording runs, which is most of the time.
std::mutex g_lock;
UniqueFile g_file;
std::atomic<bool> g_on{false};

}  // namespace

bool StartRawRecording(const wchar_t* path) {
    // Others may read the recording while it grows, playback included.
    UniqueFile file(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    UniqueFile earlier;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        earlier = std::move(g_file);
        g_file = std::move(file);
        g_on.store(true);
    }
    return true;  // the earlier file closes here, outside the lock
}

bool StopRawRecording() {
    UniqueFile ended;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        ended = std::move(g_file);
        g_on.store(false);
    }
    return static_cast<bool>(ended);
}

bool RawRecordingOn() {
    return g_on.load();
}

void RecordRawBytes(const uint8_t* bytes, size_t count) {
    if (count == 0 || !g_on.load())
        return;
    std::lock_guard<std::mutex> hold(g_lock);
    if (!g_file)
        return;
    // A read is at most a few kilobytes; a failed write (a full disk) costs
    // that block only.
    DWORD written = 0;
    WriteFile(g_file.get(), bytes, static_cast<DWORD>(count), &written, nullptr);
}

OPENFILENAMEW RecordingDialog(HWND owner, wchar_t* path, DWORD capacity, const wchar_t* title) {
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = AsWide(linkrules::kRecordingFilter);
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = capacity;
    dialog.lpstrTitle = title;
    return dialog;
}

bool ChoosePlaybackPath(HWND owner, wchar_t* path, DWORD capacity) {
    constexpr DWORD kFlags =
        OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING;
    static_assert(kFlags == 0x00881804, "open-file dialog flags");
    path[0] = 0;
    OPENFILENAMEW dialog = RecordingDialog(owner, path, capacity, L"Open Recording");
    dialog.Flags = kFlags;
    return GetOpenFileNameW(&dialog) != FALSE;
}

bool ChooseRawRecordingPath(HWND owner, const wchar_t* folder, wchar_t* path, DWORD capacity) {
    OPENFILENAMEW dialog = RecordingDialog(owner, path, capacity, L"Record Raw");
    dialog.lpstrInitialDir = (folder != nullptr && folder[0] != 0) ? folder : nullptr;
    dialog.lpstrDefExt = L"pgl";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                   OFN_NOREADONLYRETURN | OFN_EXPLORER | OFN_ENABLESIZING;
    return GetSaveFileNameW(&dialog) != FALSE;
}
