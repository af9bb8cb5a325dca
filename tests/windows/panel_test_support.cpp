#include "tests/windows/panel_test_support.h"

#include "win32/messages.h"

namespace panel_test {

namespace {

const wchar_t kClassName[] = L"SkyloomPanelTestParent";

void RegisterOnce() {
    static bool done = false;
    if (done)
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
    done = true;
}

}  // namespace

FakeMainWindow::FakeMainWindow() {
    UseTestModuleResources();
    RegisterOnce();
    hwnd_ = CreateWindowExW(0, kClassName, L"panel test", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                            0, 0, 580, 600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc));
}

FakeMainWindow::~FakeMainWindow() {
    if (hwnd_ != nullptr) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    PumpMessages();
}

LRESULT CALLBACK FakeMainWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<FakeMainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    // The program messages, and the commands the panel forwards (the rescan).
    const bool program = message >= kFirstProgramMessage && message <= kLastProgramMessage;
    if (self != nullptr && (program || message == WM_COMMAND)) {
        self->received.push_back({message, wParam, lParam});
        return self->answer ? self->answer(message) : 1;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void UseTestModuleResources() {
    g_hInstance = GetModuleHandleW(nullptr);
}

}  // namespace panel_test
