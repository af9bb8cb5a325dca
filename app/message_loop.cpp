#include "app/message_loop.h"

namespace {

// The top-level dialog a message is addressed to, or null: the main window
// and its panels are not one, the TTFF test dialog is.
HWND ModelessDialogOf(HWND hwnd) {
    if (hwnd == nullptr)
        return nullptr;
    HWND root = GetAncestor(hwnd, GA_ROOT);
    wchar_t className[8] = {};
    if (root == nullptr || GetClassNameW(root, className, 8) == 0 ||
        lstrcmpW(className, L"#32770") != 0) {
        return nullptr;
    }
    return root;
}

}  // namespace

void DispatchWithAccelerators(MSG& msg, HACCEL accelerators) {
    // A modeless dialog gets its keyboard (Tab, Enter, Esc) and no shortcuts.
    HWND dialog = ModelessDialogOf(msg.hwnd);
    if (dialog != nullptr && IsDialogMessageW(dialog, &msg))
        return;
    // msg.hwnd, not the main window: a shortcut typed into a panel's control
    // goes to that control, which ignores the command.
    if (TranslateAcceleratorW(msg.hwnd, accelerators, &msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

WPARAM RunMessageLoop(HACCEL accelerators) {
    MSG msg{};
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        // -1 only for an invalid filter window, which a null one never is;
        // leaving beats spinning on it.
        if (got == 0 || got == -1)
            break;
        DispatchWithAccelerators(msg, accelerators);
    }
    return msg.wParam;
}
