#include "win32/label_fit.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "win32/window_items.h"

namespace {

bool IsLeftLabel(HWND child) {
    wchar_t cls[16] = {};
    GetClassNameW(child, cls, 16);
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    return lstrcmpiW(cls, L"Static") == 0 && (style & SS_TYPEMASK) == SS_LEFT;
}

// The single-line width of a label's text in the font it draws with.
int TextWidth(HWND label) {
    const std::wstring text = WindowTextOf(label);
    if (text.empty())
        return 0;
    HDC dc = GetDC(label);
    if (dc == nullptr)
        return 0;
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    const HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    if (old != nullptr)
        SelectObject(dc, old);
    ReleaseDC(label, dc);
    return extent.cx;
}

}  // namespace

bool LabelHoldsText(HWND label) {
    RECT client{};
    GetClientRect(label, &client);
    return TextWidth(label) <= client.right - client.left;
}

void FitLabelsToText(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    for (HWND label : children) {
        if (!IsLeftLabel(label))
            continue;
        const int width = TextWidth(label);
        RECT place = RectInParent(label);
        if (width <= place.right - place.left)
            continue;
        // The nearest control that starts right of the label on its line.
        LONG limit = LONG_MAX;
        for (HWND other : children) {
            const RECT o = RectInParent(other);
            if (other != label && o.left >= place.right && o.top < place.bottom &&
                o.bottom > place.top && o.left < limit)
                limit = o.left;
        }
        const LONG right = std::min<LONG>(place.left + width, limit);
        if (right > place.right)
            MoveWindow(label, place.left, place.top, right - place.left, place.bottom - place.top,
                       TRUE);
    }
}
