// The About box: titled, naming the version and the licence, modal, owner
// disabled, closed only by IDCANCEL (Esc or the close box), never by Enter;
// and the framework's dialog binding.
#include <functional>

#include "app/about_box.h"
#include "app_main_window_fixture.h"
#include "version.h"

namespace app_test {
namespace {

// What happens to the box at each tick of a timer that the box's own modal
// loop dispatches.
struct AboutScript {
    std::vector<std::function<void(HWND box)>> steps;
    size_t next = 0;
    HWND box = nullptr;
    std::vector<bool> openBeforeStep;  // was the box still up before step i
    bool ownerEnabledWhileOpen = true;
    std::vector<std::wstring> texts;
    std::wstring caption;
    bool forced = false;
};

AboutScript* g_script = nullptr;
HWND g_owner = nullptr;

BOOL CALLBACK FindAboutBox(HWND hwnd, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (lstrcmpW(cls, L"#32770") == 0 && GetWindow(hwnd, GW_OWNER) == g_owner &&
        IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK ReadStatics(HWND child, LPARAM out) {
    reinterpret_cast<std::vector<std::wstring>*>(out)->push_back(WindowText(child));
    return TRUE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    AboutScript& s = *g_script;
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindAboutBox, reinterpret_cast<LPARAM>(&box));
    if (s.next == 0 && box != nullptr) {
        s.box = box;
        s.ownerEnabledWhileOpen = IsWindowEnabled(g_owner) != FALSE;
        s.caption = WindowText(box);
        EnumChildWindows(box, ReadStatics, reinterpret_cast<LPARAM>(&s.texts));
    }
    if (s.next < s.steps.size()) {
        s.openBeforeStep.push_back(box != nullptr);
        if (box != nullptr)
            s.steps[s.next](box);
        ++s.next;
        return;
    }
    s.openBeforeStep.push_back(box != nullptr);
    KillTimer(nullptr, timer);
    if (box != nullptr) {  // the script did not close it: don't hang the test
        s.forced = true;
        EndDialog(box, IDABORT);
    }
}

void PostKey(HWND box, WPARAM key) {
    PostMessageW(box, WM_KEYDOWN, key, 1);
    PostMessageW(box, WM_KEYUP, key, 0xC0000001);
}

using AboutTest = MainWindowTest<>;

TEST_F(AboutTest, ClosesOnEscapeAndTheCloseBoxOnly) {
    const auto enter = [](HWND box) { PostKey(box, VK_RETURN); };
    const auto escape = [](HWND box) { PostKey(box, VK_ESCAPE); };
    const auto closeBox = [](HWND box) { PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); };
    const auto ok = [](HWND box) { PostMessageW(box, WM_COMMAND, IDOK, 0); };
    const auto other = [](HWND box) { PostMessageW(box, WM_COMMAND, 1234, 0); };
    const auto nothing = [](HWND) {};

    const struct {
        const char* what;
        std::vector<std::function<void(HWND)>> steps;
        // Was the box up before each step; one more entry, and a forced close,
        // when it is still up after the last.
        std::vector<bool> openBeforeStep;
    } rows[] = {
        {"Escape", {nothing, escape}, {true, true}},
        {"close box", {nothing, closeBox}, {true, true}},
        {"Enter stays, then Escape", {nothing, enter, nothing, escape}, {true, true, true, true}},
        {"IDOK and other commands stay",
         {nothing, ok, other, nothing},
         {true, true, true, true, true}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        AboutScript script;
        script.steps = r.steps;
        g_script = &script;
        g_owner = main;
        const UINT_PTR timer = SetTimer(nullptr, 0, 60, Tick);
        ASSERT_NE(timer, 0u);
        { CAbout about(main); }  // returns when the box has closed
        KillTimer(nullptr, timer);
        g_script = nullptr;

        EXPECT_EQ(script.openBeforeStep, r.openBeforeStep);
        EXPECT_EQ(script.forced, r.openBeforeStep.size() > r.steps.size());
        EXPECT_FALSE(script.ownerEnabledWhileOpen) << "the owner is disabled while the box is up";
        EXPECT_TRUE(IsWindowEnabled(main));
        EXPECT_EQ(script.caption, L"About Skyloom");
        // It names the version and the licence.
        ASSERT_EQ(script.texts.size(), 3u);
        EXPECT_EQ(script.texts[0],
                  L"Skyloom Version "
                  L"" SKYLOOM_VERSION_TEXT);
        EXPECT_EQ(script.texts[2], L"Free software under the MIT License (LICENSE.txt)");
    }
}

// Records every message its handler receives; bound like any dialog object.
class RecordingDialog : public CWnd {
  public:
    LRESULT HandleMessage(HWND h, UINT message, WPARAM, LPARAM) override {
        if (messages.empty())
            hwndAtFirstMessage = hwnd == h ? h : nullptr;
        messages.push_back(message);
        return message == WM_INITDIALOG ? TRUE : FALSE;
    }
    std::vector<UINT> messages;
    HWND hwndAtFirstMessage = nullptr;
};

TEST(DialogBindingTest, SetFontNeverReachesAHandler) {
    const struct {
        const char* what;
        int templateId;
    } rows[] = {{"About box", IDD_ABOUT},
                {"setup panel", IDD_SETUP_PANEL},
                {"status panel", IDD_STATUS_PANEL}};
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 600, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    g_hInstance = GetModuleHandleW(nullptr);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        RecordingDialog dialog;
        HWND hwnd = CreateDialogParamW(g_hInstance, MAKEINTRESOURCEW(r.templateId), parent,
                                       CWnd::StaticDlgProc,
                                       reinterpret_cast<LPARAM>(static_cast<CWnd*>(&dialog)));
        ASSERT_NE(hwnd, nullptr);
        ASSERT_FALSE(dialog.messages.empty());
        EXPECT_EQ(dialog.messages.front(), static_cast<UINT>(WM_INITDIALOG));
        EXPECT_EQ(dialog.hwndAtFirstMessage, hwnd) << "bound before its handler runs";

        // Also later, and whatever the font.
        HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        EXPECT_EQ(SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE), 0);
        EXPECT_EQ(SendMessageW(hwnd, WM_SETFONT, 0, FALSE), 0);
        for (UINT m : dialog.messages)
            EXPECT_NE(m, static_cast<UINT>(WM_SETFONT));
        DestroyWindow(hwnd);
    }
    DestroyWindow(parent);
    PumpPending();
}

}  // namespace
}  // namespace app_test
