#include "tests/e2e/driver/driver_window.h"

#include <cwchar>

namespace driver {
namespace {

constexpr int kStartGpsId = 1004;
constexpr DWORD kPollMs = 50;

bool IsDialog(HWND hwnd) {
    wchar_t className[16] = {};
    return GetClassNameW(hwnd, className, 16) != 0 && std::wcscmp(className, L"#32770") == 0;
}

// The panels are dialogs and the main window's direct children; any other
// child a window may come to have is neither.
void FindPanels(Target* t) {
    for (HWND child = GetWindow(t->main, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsDialog(child))
            continue;
        if (GetDlgItem(child, kStartGpsId) != nullptr) {
            t->setup = child;
        } else if (t->status == nullptr) {
            t->status = child;
        }
    }
}

}  // namespace

bool SendBounded(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result,
                 UINT timeoutMs) {
    DWORD_PTR answer = 0;
    // Not SMTO_ABORTIFHUNG: on a loaded machine a program busy for a few
    // seconds counts as hung, and the bound is what tells a hung one.
    if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &answer)) {
        return false;
    }
    if (result != nullptr)
        *result = static_cast<LRESULT>(answer);
    return true;
}

bool FindTarget(DWORD timeoutMs, Target* target) {
    const DWORD start = GetTickCount();
    for (;;) {
        Target t;
        t.main = FindWindowW(L"Skyloom", nullptr);
        if (t.main != nullptr) {
            FindPanels(&t);
            if (t.setup != nullptr)
                t.console = FindWindowExW(t.setup, nullptr, L"RICHEDIT", nullptr);
            if (t.console != nullptr && t.status != nullptr && IsWindowVisible(t.main)) {
                *target = t;
                return true;
            }
        }
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(kPollMs);
    }
}

bool ReadText(HWND hwnd, std::wstring* text) {
    LRESULT length = 0;
    if (!SendBounded(hwnd, WM_GETTEXTLENGTH, 0, 0, &length))
        return false;
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 2, L'\0');
    LRESULT got = 0;
    if (!SendBounded(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                     &got)) {
        return false;
    }
    text->assign(buffer.data(), static_cast<size_t>(got));
    return true;
}

namespace {

// One reading of the list; kChanged when the program rebuilt it meanwhile
// (an index it counted is gone, or the count moved), since each entry is a
// message of its own and the program runs between them.
enum class ComboRead { kRead, kChanged, kNoAnswer };

ComboRead ReadComboOnce(HWND combo, std::vector<std::wstring>* entries, int* selection) {
    LRESULT count = 0, selected = 0, after = 0;
    if (!SendBounded(combo, CB_GETCOUNT, 0, 0, &count) ||
        !SendBounded(combo, CB_GETCURSEL, 0, 0, &selected)) {
        return ComboRead::kNoAnswer;
    }
    entries->clear();
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = 0;
        if (!SendBounded(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, &length))
            return ComboRead::kNoAnswer;
        if (length < 0)
            return ComboRead::kChanged;
        std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
        LRESULT got = 0;
        if (!SendBounded(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(buffer.data()), &got)) {
            return ComboRead::kNoAnswer;
        }
        if (got < 0 || got > length)
            return ComboRead::kChanged;
        entries->emplace_back(buffer.data(), static_cast<size_t>(got));
    }
    if (!SendBounded(combo, CB_GETCOUNT, 0, 0, &after))
        return ComboRead::kNoAnswer;
    if (after != count)
        return ComboRead::kChanged;
    *selection = static_cast<int>(selected);
    return ComboRead::kRead;
}

}  // namespace

bool ReadComboEntries(HWND combo, std::vector<std::wstring>* entries, int* selection) {
    const DWORD start = GetTickCount();
    for (;;) {
        const ComboRead read = ReadComboOnce(combo, entries, selection);
        if (read != ComboRead::kChanged)
            return read == ComboRead::kRead;
        if (GetTickCount() - start >= kSendTimeoutMs)
            return false;
        Sleep(kPollMs);
    }
}

HWND WaitForTitle(const wchar_t* title, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND hwnd = FindWindowW(nullptr, title);
        if (hwnd != nullptr && IsWindowVisible(hwnd))
            return hwnd;
        if (GetTickCount() - start >= timeoutMs)
            return nullptr;
        Sleep(kPollMs);
    }
}

bool WaitGone(HWND hwnd, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(hwnd)) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(kPollMs);
    }
    return true;
}

}  // namespace driver
