// The real skyloom.exe, started as a second process: its window appears with
// its caption, survives forged line messages from outside, and ends with exit
// code 0 on WM_CLOSE and on Ctrl+Q typed to the main window.
#include <string>

#include "app_main_window_fixture.h"
#include "win32/messages.h"

namespace app_test {
namespace {

// The program beside this test in the build tree: <build>/app/skyloom.exe.
std::wstring ProgramPath() {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    for (int up = 0; up < 3; ++up)
        path.erase(path.find_last_of(L"\\/"));
    return path + L"\\app\\skyloom.exe";
}

struct FindWindowOf {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchProcessWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<FindWindowOf*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (pid == search->pid && lstrcmpW(cls, L"Skyloom") == 0 && IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

class RunningProgram {
  public:
    RunningProgram() {
        std::wstring command = L"\"" + ProgramPath() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_))
            return;
        WaitForInputIdle(process_.hProcess, 10000);
        for (int i = 0; i < 200 && window == nullptr; ++i) {
            FindWindowOf search{process_.dwProcessId, nullptr};
            EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
            window = search.found;
            if (window == nullptr)
                Sleep(50);
        }
    }
    ~RunningProgram() {
        if (process_.hProcess == nullptr)
            return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    bool Started() const { return process_.hProcess != nullptr; }
    // The exit code, or STILL_ACTIVE when it did not end within the wait.
    DWORD ExitCode(DWORD waitMs) {
        WaitForSingleObject(process_.hProcess, waitMs);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }
    HWND window = nullptr;

  private:
    PROCESS_INFORMATION process_{};
};

// A message answered within the timeout, and its result.
bool Answered(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    return SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, result) != 0;
}

TEST(ProgramTest, StartsWithItsCaptionAndEndsWithZeroOnClose) {
    RunningProgram program;
    ASSERT_TRUE(program.Started()) << "cannot start the program";
    ASSERT_NE(program.window, nullptr) << "no window appeared";
    EXPECT_EQ(WindowText(program.window), L"Skyloom");
    // In its sizing frame, the client area the fixed 580 x 600 frame left.
    RECT fixed{0, 0, 0, 0}, client;
    AdjustWindowRectEx(&fixed, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, TRUE, 0);
    GetClientRect(program.window, &client);
    EXPECT_EQ(client.right, 580 - (fixed.right - fixed.left));
    EXPECT_EQ(client.bottom, 600 - (fixed.bottom - fixed.top));
    PostMessageW(program.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(10000), 0u);
}

TEST(ProgramTest, ForgedLineMessagesFromAnotherProcessAreAnsweredZero) {
    RunningProgram program;
    ASSERT_NE(program.window, nullptr);
    // Values a foreign sender might pass: none is the program's own line.
    static const wchar_t kOurs[] = L"$GPGGA,,,,,,0,,,,,,,,*66\r\n";
    const WPARAM wild[] = {0,
                           1,
                           0x1000,
                           0xDEADBEEF,
                           static_cast<WPARAM>(0x00007FFFFFFF0000ull),
                           static_cast<WPARAM>(0xFFFF800000000000ull),
                           ~static_cast<WPARAM>(0),
                           reinterpret_cast<WPARAM>(kOurs),
                           reinterpret_cast<WPARAM>(&program)};
    for (WPARAM w : wild) {
        SCOPED_TRACE(w);
        DWORD_PTR result = 12345;
        ASSERT_TRUE(Answered(program.window, UM_LINE_RECEIVED, w, 0, &result))
            << "the program stopped answering";
        EXPECT_EQ(result, 0u);
        ASSERT_EQ(program.ExitCode(0), static_cast<DWORD>(STILL_ACTIVE)) << "the program ended";
    }
    // Still alive and responsive: its caption reads back across processes.
    DWORD_PTR length = 0;
    ASSERT_TRUE(Answered(program.window, WM_GETTEXTLENGTH, 0, 0, &length));
    EXPECT_EQ(length, 7u);
    PostMessageW(program.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(10000), 0u);
}

void TypeCtrlQ() {
    INPUT keys[4] = {};
    const WORD sequence[4][2] = {
        {VK_CONTROL, 0}, {'Q', 0}, {'Q', KEYEVENTF_KEYUP}, {VK_CONTROL, KEYEVENTF_KEYUP}};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = sequence[i][0];
        keys[i].ki.dwFlags = sequence[i][1];
    }
    ASSERT_EQ(SendInput(4, keys, sizeof(INPUT)), 4u);
}

HWND FocusOf(HWND window) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui);
    return gui.hwndFocus;
}

// Moves the program's keyboard focus, as a click would, by sharing its input
// state for the moment of the call.
void FocusInProgram(HWND target) {
    const DWORD ours = GetCurrentThreadId();
    const DWORD theirs = GetWindowThreadProcessId(target, nullptr);
    AttachThreadInput(ours, theirs, TRUE);
    SetFocus(target);
    AttachThreadInput(ours, theirs, FALSE);
}

TEST(ProgramTest, CtrlQEndsTheProgramOnlyFromTheMainWindow) {
    RunningProgram program;
    ASSERT_NE(program.window, nullptr);
    SetForegroundWindow(program.window);
    // At start a control of the setup panel holds the keyboard: the shortcut
    // goes to it, and it ignores the command.
    HWND focus = nullptr;
    ASSERT_TRUE(win_test::PumpUntil(
        [&] { return (focus = FocusOf(program.window)) != nullptr && focus != program.window; },
        win_test::kAwaitMs))
        << "no control of the program took the keyboard";
    EXPECT_TRUE(IsChild(program.window, focus));
    TypeCtrlQ();
    EXPECT_EQ(program.ExitCode(1500), static_cast<DWORD>(STILL_ACTIVE));

    FocusInProgram(program.window);
    ASSERT_EQ(FocusOf(program.window), program.window);
    TypeCtrlQ();
    EXPECT_EQ(program.ExitCode(10000), 0u);
}

}  // namespace
}  // namespace app_test
