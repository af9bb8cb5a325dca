#include "win32/dpi.h"

namespace {

using DpiForWindowFn = UINT(WINAPI*)(HWND);
using DpiForSystemFn = UINT(WINAPI*)();
using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

// A function of user32 that older systems may lack; null then. The cast goes
// through void (*)(), the one type a function pointer may pass through.
template <typename Fn>
Fn User32(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    FARPROC proc = user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

UINT ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

}  // namespace

UINT DpiOfWindow(HWND window) {
    static const auto forWindow = User32<DpiForWindowFn>("GetDpiForWindow");
    // 0 for a handle that is no window: the system's DPI stands in.
    const UINT dpi = forWindow != nullptr && window != nullptr ? forWindow(window) : 0;
    return dpi != 0 ? dpi : DpiOfSystem();
}

UINT DpiOfSystem() {
    static const auto forSystem = User32<DpiForSystemFn>("GetDpiForSystem");
    const UINT dpi = forSystem != nullptr ? forSystem() : 0;
    return dpi != 0 ? dpi : ScreenDpi();
}

SIZE OuterSizeForClient(SIZE client, DWORD style, DWORD exStyle, bool menu, UINT dpi) {
    static const auto adjust = User32<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    RECT r{0, 0, client.cx, client.cy};
    if (adjust == nullptr || !adjust(&r, style, menu ? TRUE : FALSE, exStyle, dpi))
        AdjustWindowRectEx(&r, style, menu ? TRUE : FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}
