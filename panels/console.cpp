#include "panels/console.h"

#include <commctrl.h>

namespace {

// The record size RichEdit 1.0 expects; it must match the platform's layout.
constexpr UINT kCharFormatSize = 92;
static_assert(sizeof(CHARFORMATW) == kCharFormatSize, "CHARFORMATW layout differs");

constexpr DWORD kConsoleStyle =
    WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY;
constexpr RECT kConsolePlace = {20, 100, 550, 290};

// Near the emptying limit (more than 2000 lines) the control counts itself:
// whether it empties before a line must not hang on a prediction.
constexpr LRESULT kCountedByTheControlFrom = 2000 - 64;

constexpr UINT_PTR kSubclassId = 1;

// Line breaks in an insertion: each CR LF pair is one line more. A CR or LF
// on its own gives -1: how the control counts those is left to the control.
LRESULT PairedBreaks(const wchar_t* text) {
    LRESULT breaks = 0;
    for (const wchar_t* p = text; *p != L'\0'; ++p) {
        if (*p == L'\r' && p[1] == L'\n') {
            ++breaks;
            ++p;
        } else if (*p == L'\r' || *p == L'\n') {
            return -1;
        }
    }
    return breaks;
}

// Messages after which the control still inserts in the colour it did.
bool KeepsInsertionFormat(UINT message) {
    switch (message) {
        case WM_PAINT:
        case WM_NCPAINT:
        case WM_ERASEBKGND:
        case WM_SETREDRAW:
        case EM_SCROLLCARET:
        case EM_GETLINECOUNT:
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
            return true;
        default:
            return false;
    }
}

}  // namespace

Console::~Console() {
    Detach();
}

bool Console::Create(HWND panel) {
    panel_ = panel;
    hwnd_ = NewControl(kConsolePlace);
    if (hwnd_ == nullptr)
        return false;
    SendMessageW(hwnd_, WM_SETFOCUS, 0, 0);
    ShowWindow(hwnd_, SW_SHOW);
    redraw_.Attach(hwnd_, panel);
    // The default character height read here is kept by every later colour change.
    format_ = CHARFORMATW{};
    format_.cbSize = kCharFormatSize;
    SendMessageW(hwnd_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format_));
    return true;
}

HWND Console::NewControl(const RECT& place) {
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(panel_, GWLP_HINSTANCE));
    HWND control = CreateWindowExW(0, L"RICHEDIT", L"RichEdit", kConsoleStyle, place.left,
                                   place.top, place.right - place.left, place.bottom - place.top,
                                   panel_, nullptr, instance, nullptr);
    if (control == nullptr)
        return nullptr;
    // The subclass sees every message sent to the control, from this program
    // or another one, before RichEdit does.
    SetWindowSubclass(control, &Console::SubclassProc, kSubclassId,
                      reinterpret_cast<DWORD_PTR>(this));
    SetWindowTextW(control, L"");
    return control;
}

void Console::Detach() {
    if (hwnd_ == nullptr)
        return;
    redraw_.Detach();
    pendingText_.clear();
    RemoveWindowSubclass(hwnd_, &Console::SubclassProc, kSubclassId);
    hwnd_ = nullptr;
}

LRESULT CALLBACK Console::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) {
    reinterpret_cast<Console*>(self)->BeforeMessage(message);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void Console::SetColor(COLORREF colour) {
    if (hwnd_ == nullptr)
        return;
    if (!pendingText_.empty()) {
        // The gathered text goes in the colour it was gathered in.
        if (insertionColour_ != kNoColour && colour == insertionColour_)
            return;
        InsertPending();
    }
    format_.cbSize = kCharFormatSize;
    format_.dwMask = CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE;
    format_.dwEffects = 0;
    format_.yOffset = 0;
    format_.crTextColor = colour;
    format_.bCharSet = 0;
    format_.bPitchAndFamily = 0;
    lstrcpynW(format_.szFaceName, L"System", LF_FACESIZE);
    SendMessageW(hwnd_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format_));
    insertionColour_ = colour;
}

int Console::LineCount() {
    if (hwnd_ == nullptr)
        return 0;
    if (!pendingText_.empty() && pendingBreaks_ >= 0) {
        const LRESULT lines = pendingBaseLines_ + pendingBreaks_;
        if (lines < kCountedByTheControlFrom)
            return static_cast<int>(lines);
    }
    InsertPending();
    return static_cast<int>(SendMessageW(hwnd_, EM_GETLINECOUNT, 0, 0));
}

void Console::BeforeMessage(UINT message) {
    if (insertingPending_)
        return;
    if (!KeepsInsertionFormat(message))
        insertionColour_ = kNoColour;
    // Painting shows what the control holds; nothing else may find it behind.
    if (message != WM_PAINT && message != WM_NCPAINT && message != WM_ERASEBKGND)
        InsertPending();
}

void Console::InsertPending() {
    if (pendingText_.empty())
        return;
    insertingPending_ = true;
    {
        ConsoleRedraw::Quiet quiet(redraw_);
        SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(pendingText_.c_str()));
    }
    insertingPending_ = false;
    pendingText_.clear();  // keeps its buffer for the next lines
}

void Console::Clear() {
    if (hwnd_ == nullptr)
        return;
    Empty();
    redraw_.AfterChange();
}

void Console::Empty() {
    // What was gathered would only be cut again.
    pendingText_.clear();
    redraw_.Owe();
    if (SendMessageW(hwnd_, EM_GETLINECOUNT, 0, 0) > kRenewFromLines && Renew())
        return;
    ConsoleRedraw::Quiet quiet(redraw_);
    Cut();
}

// Setting the text of a console to "" takes seconds under Wine once it holds
// a few hundred lines; cutting it from the end a hundred lines at a time gets
// to the same empty console several times faster.
void Console::Cut() {
    constexpr LRESULT kLinesPerCut = 100;
    // Bounded: a control that refused to cut must not hold the program here.
    const LRESULT cuts = SendMessageW(hwnd_, EM_GETLINECOUNT, 0, 0) / kLinesPerCut + 1;
    for (LRESULT cut = 0; cut < cuts; ++cut) {
        const LRESULT lines = SendMessageW(hwnd_, EM_GETLINECOUNT, 0, 0);
        if (lines <= kLinesPerCut)
            break;
        const LRESULT from = SendMessageW(hwnd_, EM_LINEINDEX, lines - kLinesPerCut, 0);
        if (from <= 0)
            break;
        SendMessageW(hwnd_, EM_SETSEL, from, -1);
        SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    }
    // The rest, whatever the cuts left.
    SendMessageW(hwnd_, EM_SETSEL, 0, -1);
    SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    // The colour chosen for the next line is kept, as it is when nothing is cut.
    if (format_.dwMask != 0)
        SendMessageW(hwnd_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format_));
}

// The fresh control takes the old one's place in every way the user or
// another program can tell, but its handle: it goes in behind the old one,
// so it shows where the old one showed, and the old one goes last.
bool Console::Renew() {
    HWND old = hwnd_;
    RECT place;
    GetWindowRect(old, &place);
    MapWindowPoints(nullptr, panel_, reinterpret_cast<POINT*>(&place), 2);
    HWND fresh = NewControl(place);
    if (fresh == nullptr)
        return false;
    SetWindowPos(fresh, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // The colour chosen for the next line is kept, as it is when nothing is cut.
    if (format_.dwMask != 0)
        SendMessageW(fresh, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format_));
    if ((GetWindowLongW(old, GWL_STYLE) & WS_VISIBLE) != 0)
        ShowWindow(fresh, SW_SHOWNA);
    // The console is told it has the focus when it is made and at each
    // start, whether or not it has it: the caret it then shows goes over.
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    const bool caret = GetGUIThreadInfo(GetCurrentThreadId(), &thread) && thread.hwndCaret == old;
    if (GetFocus() == old) {
        SetFocus(fresh);
    } else if (caret) {
        SendMessageW(fresh, WM_SETFOCUS, 0, 0);
    }
    RemoveWindowSubclass(old, &Console::SubclassProc, kSubclassId);
    hwnd_ = fresh;
    redraw_.Follow(fresh);
    insertionColour_ = kNoColour;
    DestroyWindow(old);
    return true;
}

void Console::Insert(const wchar_t* text) {
    if (hwnd_ == nullptr)
        return;
    redraw_.Owe();
    if (pendingText_.empty()) {
        pendingBaseLines_ = SendMessageW(hwnd_, EM_GETLINECOUNT, 0, 0);
        pendingBreaks_ = 0;
    }
    const LRESULT breaks = PairedBreaks(text);
    pendingBreaks_ = breaks < 0 || pendingBreaks_ < 0 ? -1 : pendingBreaks_ + breaks;
    pendingText_ += text;
    if (redraw_.FrameDue())
        Flush();
}

void Console::ShowOnly(const wchar_t* text) {
    if (hwnd_ == nullptr)
        return;
    Empty();
    {
        ConsoleRedraw::Quiet quiet(redraw_);
        SetWindowTextW(hwnd_, text);
    }
    // An error message is shown at once, not a frame later.
    redraw_.Flush();
}

void Console::Flush() {
    if (hwnd_ != nullptr)
        InsertPending();
    redraw_.Flush();
}

bool Console::OnTimer(UINT_PTR timer) {
    if (timer != ConsoleRedraw::kTimerId)
        return false;
    Flush();
    return true;
}
