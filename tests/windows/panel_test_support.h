// A stand-in for the main window in the panel tests: a plain top-level window
// that records the program messages and commands the setup panel sends or
// posts and answers them with chosen results, so the panels run without CBaseWnd.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "tests/windows/win_test_support.h"
#include "win32/wnd.h"

namespace panel_test {

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class FakeMainWindow {
  public:
    FakeMainWindow();
    ~FakeMainWindow();
    FakeMainWindow(const FakeMainWindow&) = delete;
    FakeMainWindow& operator=(const FakeMainWindow&) = delete;

    HWND hwnd() const { return hwnd_; }

    // Answers a program message; unset answers are 1.
    std::function<LRESULT(UINT message)> answer;
    std::vector<Received> received;

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// Dispatches everything queued for this thread (posted program messages).
inline void PumpMessages() {
    win_test::PumpPending();
}

// The resources (templates, bitmap) are linked into the test executable itself.
void UseTestModuleResources();

}  // namespace panel_test
