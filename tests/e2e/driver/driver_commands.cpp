#include "tests/e2e/driver/driver_commands.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace driver {
namespace {

constexpr DWORD kFindTimeoutMs = 20000;

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string w;
    while (in >> w)
        words.push_back(w);
    return words;
}

long Number(const std::string& text) {
    return std::strtol(text.c_str(), nullptr, 0);
}

std::string Ok(const std::string& payload = std::string()) {
    return payload.empty() ? "ok" : "ok " + payload;
}

std::string Err(const std::string& reason) {
    return "err " + reason;
}

// The program's windows of their own, found by their captions: "ttff" is the
// TTFF test dialog, "position" the Position Statistics window.
HWND OwnWindow(const std::string& name) {
    if (name == "ttff")
        return FindWindowW(L"#32770", L"TTFF Test");
    if (name == "position")
        return FindWindowW(L"#32770", L"Position Statistics");
    return nullptr;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string Escape(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        if (c == L'\\') {
            out += "\\\\";
        } else if (c == L' ') {
            out += "\\s";
        } else if (c == L'\r') {
            out += "\\r";
        } else if (c == L'\n') {
            out += "\\n";
        } else if (c == L'\t') {
            out += "\\t";
        } else if (c > 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(c) & 0xFFFF);
            out += code;
        }
    }
    return out;
}

std::wstring Unescape(const std::string& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out += static_cast<wchar_t>(static_cast<unsigned char>(c));
            continue;
        }
        const char e = text[++i];
        if (e == 's') {
            out += L' ';
        } else if (e == 'r') {
            out += L'\r';
        } else if (e == 'n') {
            out += L'\n';
        } else if (e == 't') {
            out += L'\t';
        } else if (e == 'u') {
            unsigned value = 0;
            bool ok = true;
            for (size_t k = 1; k <= 4; ++k) {
                const int d = i + k < text.size() ? HexDigit(text[i + k]) : -1;
                ok = ok && d >= 0;
                value = value * 16 + static_cast<unsigned>(d < 0 ? 0 : d);
            }
            if (ok) {
                out += static_cast<wchar_t>(value);
                i += 4;
            } else {
                out += L'u';
            }
        } else {
            out += static_cast<wchar_t>(static_cast<unsigned char>(e));
        }
    }
    return out;
}

Session::~Session() {
    if (held_ != INVALID_HANDLE_VALUE)
        CloseHandle(held_);
}

// Files as another program sees them: "open-write" tells whether a file can be
// opened for writing at all, "hold" keeps it open for writing (sharing read
// and write, as a logger does) until "release".
std::string Session::FileCommand(const std::string& cmd, const std::string& path) {
    if (cmd == "release") {
        if (held_ != INVALID_HANDLE_VALUE)
            CloseHandle(held_);
        held_ = INVALID_HANDLE_VALUE;
        return Ok();
    }
    const std::wstring name = Unescape(path);
    HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (cmd == "open-write") {
        if (h == INVALID_HANDLE_VALUE)
            return Ok("0");
        CloseHandle(h);
        return Ok("1");
    }
    if (h == INVALID_HANDLE_VALUE)
        return Err("can't open for writing: " + std::to_string(GetLastError()));
    if (held_ != INVALID_HANDLE_VALUE)
        CloseHandle(held_);
    held_ = h;
    return Ok();
}

bool Session::EnsureTarget(std::string* error) {
    if (target_.main != nullptr && IsWindow(target_.main))
        return true;
    if (FindTarget(kFindTimeoutMs, &target_))
        return true;
    *error = "no Skyloom window";
    return false;
}

std::string Session::Execute(const std::string& line, bool* quit) {
    const std::vector<std::string> w = Words(line);
    if (w.empty())
        return Err("empty command");
    const std::string& cmd = w[0];
    auto arg = [&](size_t i) { return i < w.size() ? w[i] : std::string(); };

    if (cmd == "quit") {
        *quit = true;
        return Ok();
    }
    if (cmd == "find") {
        target_ = Target();
        const DWORD timeout = w.size() > 1 ? static_cast<DWORD>(Number(w[1])) : kFindTimeoutMs;
        if (!FindTarget(timeout, &target_))
            return Err("no Skyloom window");
        DWORD pid = 0;
        GetWindowThreadProcessId(target_.main, &pid);
        return Ok(std::to_string(pid));
    }
    if (cmd == "sleep") {
        Sleep(static_cast<DWORD>(Number(arg(1))));
        return Ok();
    }
    if (cmd == "open-write" || cmd == "hold" || cmd == "release")
        return FileCommand(cmd, arg(1));
    if (cmd == "title-exists") {
        return Ok(FindWindowW(nullptr, Unescape(arg(1)).c_str()) != nullptr ? "1" : "0");
    }
    if (cmd == "dialog" || cmd == "dialog-keep" || cmd == "dialog-cancel") {
        // A file dialog: "dialog" puts the name into its file name box
        // (cmb13, or edt1 of the old style) and presses OK, "dialog-keep"
        // presses OK on the name it offers, "dialog-cancel" cancels. The
        // answer is the name the dialog offered.
        const std::wstring title = Unescape(arg(1));
        const size_t timeoutArg = cmd == "dialog" ? 3 : 2;
        const DWORD timeout =
            static_cast<DWORD>(w.size() > timeoutArg ? Number(w[timeoutArg]) : 10000);
        HWND dialog = WaitForTitle(title.c_str(), timeout);
        if (dialog == nullptr)
            return Err("no dialog");
        HWND name = GetDlgItem(dialog, 0x47c);
        if (name == nullptr)
            name = GetDlgItem(dialog, 0x480);
        std::wstring offered;
        if (name != nullptr)
            ReadText(name, &offered);
        if (cmd == "dialog") {
            if (name == nullptr)
                return Err("no file name box");
            const std::wstring path = Unescape(arg(2));
            if (!SendBounded(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                             nullptr)) {
                return Err("file name not taken");
            }
        }
        PostMessageW(dialog, WM_COMMAND, cmd == "dialog-cancel" ? IDCANCEL : IDOK, 0);
        if (!WaitGone(dialog, timeout))
            return Err("dialog still open");
        return Ok(Escape(offered));
    }

    std::string error;
    if (!EnsureTarget(&error))
        return Err(error);
    auto control = [&](const std::string& id) -> HWND {
        if (id == "console") {
            // Emptying a full console gives it a fresh control in the old one's place.
            if (!IsWindow(target_.console))
                target_.console = FindWindowExW(target_.setup, nullptr, L"RICHEDIT", nullptr);
            return target_.console;
        }
        if (id == "main")
            return target_.main;
        if (id == "setup")
            return target_.setup;
        // "ttff:ID", "position:ID": a control of one of those windows.
        const size_t colon = id.find(':');
        const std::string name = id.substr(0, colon);
        if (name == "ttff" || name == "position") {
            HWND own = OwnWindow(name);
            if (colon == std::string::npos || own == nullptr)
                return own;
            return GetDlgItem(own, static_cast<int>(Number(id.substr(colon + 1))));
        }
        return GetDlgItem(target_.setup, static_cast<int>(Number(id)));
    };

    if (cmd == "alive") {
        LRESULT r = 0;
        const bool answered =
            IsWindow(target_.main) && SendBounded(target_.main, WM_NULL, 0, 0, &r, 3000);
        return Ok(answered ? "1" : "0");
    }
    if (cmd == "threads") {
        // Threads of the program's process: a reader left behind by a closed
        // link shows here.
        DWORD pid = 0;
        GetWindowThreadProcessId(target_.main, &pid);
        HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        if (snap == INVALID_HANDLE_VALUE)
            return Err("no snapshot");
        THREADENTRY32 entry{};
        entry.dwSize = sizeof entry;
        long count = 0;
        for (BOOL more = Thread32First(snap, &entry); more; more = Thread32Next(snap, &entry)) {
            if (entry.th32OwnerProcessID == pid)
                ++count;
        }
        CloseHandle(snap);
        return Ok(std::to_string(count));
    }
    if (cmd == "rect") {
        // Where a panel is on the screen, for a screenshot taken outside Wine.
        HWND hwnd = arg(1) == "status"             ? target_.status
                    : arg(1) == "setup"            ? target_.setup
                    : OwnWindow(arg(1)) != nullptr ? OwnWindow(arg(1))
                                                   : target_.main;
        RECT r{};
        if (hwnd == nullptr)
            return Err("no window");
        if (!GetWindowRect(hwnd, &r))
            return Err("no rectangle (error " + std::to_string(GetLastError()) + ")");
        char text[64];
        std::snprintf(text, sizeof text, "%ld %ld %ld %ld", r.left, r.top, r.right - r.left,
                      r.bottom - r.top);
        return Ok(text);
    }
    if (cmd == "size") {
        // The main window's outer size, as a user drags it.
        if (!SetWindowPos(target_.main, nullptr, 0, 0, static_cast<int>(Number(arg(1))),
                          static_cast<int>(Number(arg(2))), SWP_NOMOVE | SWP_NOZORDER))
            return Err("not sized (error " + std::to_string(GetLastError()) + ")");
        return Ok();
    }
    if (cmd == "caption") {
        std::wstring text;
        if (!ReadText(target_.main, &text))
            return Err("no answer");
        return Ok(Escape(text));
    }
    if (cmd == "close") {
        HWND main = target_.main;
        PostMessageW(main, WM_CLOSE, 0, 0);
        const DWORD timeout = w.size() > 1 ? static_cast<DWORD>(Number(w[1])) : 10000;
        if (!WaitGone(main, timeout))
            return Err("still open");
        target_ = Target();
        return Ok();
    }
    if (cmd == "send" || cmd == "post") {
        const UINT message = static_cast<UINT>(Number(arg(1)));
        const WPARAM wp = static_cast<WPARAM>(Number(arg(2)));
        const LPARAM lp = static_cast<LPARAM>(Number(arg(3)));
        if (cmd == "post") {
            return PostMessageW(target_.main, message, wp, lp) ? Ok() : Err("post failed");
        }
        LRESULT r = 0;
        if (!SendBounded(target_.main, message, wp, lp, &r))
            return Err("no answer");
        return Ok(std::to_string(static_cast<long long>(r)));
    }

    HWND hwnd = control(arg(1));
    if (hwnd == nullptr)
        return Err("no control " + arg(1));
    const int id = GetDlgCtrlID(hwnd);

    if (cmd == "sendto") {
        LRESULT r = 0;
        if (!SendBounded(hwnd, static_cast<UINT>(Number(arg(2))),
                         static_cast<WPARAM>(Number(arg(3))), static_cast<LPARAM>(Number(arg(4))),
                         &r)) {
            return Err("no answer");
        }
        return Ok(std::to_string(static_cast<long long>(r)));
    }
    if (cmd == "text") {
        std::wstring text;
        bool read = ReadText(hwnd, &text);
        // The console may have been given a fresh control while it was read.
        if (!read && arg(1) == "console" && control("console") != hwnd)
            read = ReadText(control("console"), &text);
        if (!read)
            return Err("no answer");
        return Ok(Escape(text));
    }
    if (cmd == "settext") {
        const std::wstring text = Unescape(arg(2));
        LRESULT r = 0;
        if (!SendBounded(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &r)) {
            return Err("no answer");
        }
        return Ok();
    }
    if (cmd == "combo") {
        std::vector<std::wstring> entries;
        int selection = -1;
        if (!ReadComboEntries(hwnd, &entries, &selection))
            return Err("no answer");
        std::string out = std::to_string(selection);
        for (const std::wstring& e : entries)
            out += " " + Escape(e);
        return Ok(out);
    }
    if (cmd == "select") {
        LRESULT r = 0;
        if (!SendBounded(hwnd, CB_SETCURSEL, static_cast<WPARAM>(Number(arg(2))), 0, &r)) {
            return Err("no answer");
        }
        return Ok(std::to_string(static_cast<long long>(r)));
    }
    if (cmd == "state") {
        LRESULT checked = 0;
        SendBounded(hwnd, BM_GETCHECK, 0, 0, &checked);
        std::string s = std::to_string(static_cast<long long>(checked));
        s += IsWindowEnabled(hwnd) ? " 1" : " 0";
        s += (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) ? " 1" : " 0";
        return Ok(s);
    }
    if (cmd == "click") {
        if (!SendBounded(hwnd, BM_CLICK, 0, 0, nullptr))
            return Err("no answer");
        return Ok();
    }
    if (cmd == "post-click") {
        return PostMessageW(hwnd, BM_CLICK, 0, 0) ? Ok() : Err("post failed");
    }
    // What a click on a control hands its panel, for controls that are hidden
    // (a hidden button can't be clicked, but its command still works).
    const WPARAM clicked = MAKEWPARAM(id, BN_CLICKED);
    HWND panel = GetParent(hwnd);
    if (cmd == "command") {
        if (!SendBounded(panel, WM_COMMAND, clicked, reinterpret_cast<LPARAM>(hwnd), nullptr))
            return Err("no answer");
        return Ok();
    }
    if (cmd == "post-command") {
        return PostMessageW(panel, WM_COMMAND, clicked, reinterpret_cast<LPARAM>(hwnd))
                   ? Ok()
                   : Err("post failed");
    }
    if (cmd == "check") {
        const WPARAM state = Number(arg(2)) != 0 ? BST_CHECKED : BST_UNCHECKED;
        if (!SendBounded(hwnd, BM_SETCHECK, state, 0, nullptr) ||
            !SendBounded(panel, WM_COMMAND, clicked, reinterpret_cast<LPARAM>(hwnd), nullptr)) {
            return Err("no answer");
        }
        return Ok();
    }
    return Err("unknown command " + cmd);
}

}  // namespace driver
