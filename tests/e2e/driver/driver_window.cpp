#include "tests/e2e/driver/driver_window.h"

#include <cwchar>

namespace driver {
namespace {

constexpr int kStartGpsId = 1004;
constexpr DWORD kPollMs = 50;

struct Panels {
    HWND main;
    HWND setup;
    HWND status;
};

// The panels are dialogs and the main window's direct children; any other
// child a window may come to have is neither.
BOOL CALLBACK FindPanels(HWND child, LPARAM param) {
    Panels* panels = reinterpret_cast<Panels*>(param);
    if (GetAncestor(child, GA_PARENT) != panels->main)
        return TRUE;
    wchar_t className[16] = {};
    if (GetClassNameW(child, className, 16) == 0 || std::wcscmp(className, L"#32770") != 0)
        return TRUE;
    if (GetDlgItem(child, kStartGpsId) != nullptr) {
        panels->setup = child;
    } else if (panels->status == nullptr) {
        panels->status = child;
    }
    return TRUE;
}

BOOL CALLBACK FindSetupPanel(HWND child, LPARAM param) {
    if (GetDlgItem(child, kStartGpsId) != nullptr) {
        *reinterpret_cast<HWND*>(param) = child;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

bool SendBounded(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result,
                 UINT timeoutMs) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                             timeoutMs, &answer)) {
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
            EnumChildWindows(t.main, FindSetupPanel, reinterpret_cast<LPARAM>(&t.setup));
            if (t.setup != nullptr) {
                t.console = FindWindowExW(t.setup, nullptr, L"RICHEDIT", nullptr);
                Panels panels{t.main, nullptr, nullptr};
                EnumChildWindows(t.main, FindPanels, reinterpret_cast<LPARAM>(&panels));
                t.status = panels.status;
                if (t.console != nullptr && t.status != nullptr && IsWindowVisible(t.main)) {
                    *target = t;
                    return true;
                }
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

bool ReadComboEntries(HWND combo, std::vector<std::wstring>* entries, int* selection) {
    LRESULT count = 0, selected = 0;
    if (!SendBounded(combo, CB_GETCOUNT, 0, 0, &count) ||
        !SendBounded(combo, CB_GETCURSEL, 0, 0, &selected)) {
        return false;
    }
    entries->clear();
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = 0;
        if (!SendBounded(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, &length) ||
            length < 0) {
            return false;
        }
        std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
        LRESULT got = 0;
        if (!SendBounded(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(buffer.data()), &got) ||
            got < 0) {
            return false;
        }
        entries->emplace_back(buffer.data(), static_cast<size_t>(got));
    }
    *selection = static_cast<int>(selected);
    return true;
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
