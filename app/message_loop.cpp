#include "app/message_loop.h"

void DispatchWithAccelerators(MSG& msg, HACCEL accelerators) {
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
