#include "panels/status_panel.h"

#include <array>

#include "res/resource.h"
#include "win32/gdi_guards.h"

namespace {

RECT ToRect(const status_layout::Box& b) {
    return RECT{b.left, b.top, b.right, b.bottom};
}

// An empty box fills nothing; handed to FillRect upside down, Wine would fill
// it anyway, downwards over the satellite number.
void FillBox(HDC dc, const status_layout::Box& box, HBRUSH brush) {
    if (box.Empty())
        return;
    RECT r = ToRect(box);
    FillRect(dc, &r, brush);
}

void DrawBoxText(HDC dc, const char16_t* text, const status_layout::Box& box, UINT flags) {
    RECT r = ToRect(box);
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(text), -1, &r, flags);
}

}  // namespace

CRestoreDlg::CRestoreDlg() = default;

bool CRestoreDlg::Create(HWND parent) {
    HWND dialog =
        CreateDialogParamW(g_hInstance, MAKEINTRESOURCEW(IDD_STATUS_PANEL), parent,
                           CWnd::StaticDlgProc, reinterpret_cast<LPARAM>(static_cast<CWnd*>(this)));
    return dialog != nullptr;
}

void CRestoreDlg::Redraw() {
    // Invalidating with no window would ask every window on the desktop to repaint.
    if (hwnd != nullptr)
        InvalidateAll();
}

void CRestoreDlg::RedrawCycle() {
    if (hwnd == nullptr)
        return;
    const DWORD sincePaint = GetTickCount() - lastPaint;
    // A steady stream of lines may keep the timer from coming: the first
    // redraw after the frame invalidates on its own.
    if (!painted || sincePaint >= kFrameMs) {
        InvalidateAll();
        return;
    }
    if (!redrawWaiting) {
        redrawWaiting = true;
        SetTimer(hwnd, kRedrawTimerId, kFrameMs - sincePaint, nullptr);
    }
}

void CRestoreDlg::InvalidateAll() {
    if (redrawWaiting) {
        KillTimer(hwnd, kRedrawTimerId);
        redrawWaiting = false;
    }
    RECT client{};
    GetClientRect(hwnd, &client);
    InvalidateRect(hwnd, &client, FALSE);
}

LRESULT CRestoreDlg::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_PAINT:
            OnPaint(window);
            return 0;
        case WM_COMMAND:
            return 0;
        case WM_TIMER:
            if (wParam == kRedrawTimerId) {
                InvalidateAll();
                return 0;
            }
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_DESTROY:
            KillTimer(window, kRedrawTimerId);
            redrawWaiting = false;
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CRestoreDlg::OnInitDialog() {
    // Made once and kept for the program's life: every paint uses them.
    whiteBrush.reset(CreateSolidBrush(RGB(255, 255, 255)));
    greenBrush.reset(CreateSolidBrush(RGB(0, 255, 0)));
    blueBrush.reset(CreateSolidBrush(RGB(0, 0, 255)));
    bluePen.reset(CreatePen(PS_DASH, 2, RGB(0, 0, 255)));
    redPen.reset(CreatePen(PS_DASH, 2, RGB(255, 0, 0)));
    greenPen.reset(CreatePen(PS_DASH, 2, RGB(0, 255, 0)));
    Redraw();
    return 1;
}

void CRestoreDlg::OnPaint(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    PaintSession paint(window);
    // Drawn off screen and copied in one go, so the panel never shows half a picture.
    UniqueDc memory(CreateCompatibleDC(paint.dc()));
    UniqueGdi<HBITMAP> bitmap(
        CreateCompatibleBitmap(paint.dc(), client.right - client.left, client.bottom - client.top));
    Selection keep(memory.get(), bitmap.get());
    PaintContent(memory.get(), client);
    BitBlt(paint.dc(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
    lastPaint = GetTickCount();
    painted = true;
}

void CRestoreDlg::PaintContent(HDC dc, const RECT& client) {
    SetBkMode(dc, TRANSPARENT);
    FillRect(dc, &client, whiteBrush.get());
    DrawTexts(dc);
    DrawBitmap(dc, skyBitmap.get(), 0, 0, SRCCOPY);
    std::array<status_layout::Cell, kSatelliteSlots> cells;
    const size_t count =
        status_layout::PlanCells(status.satellites, signalOffsetOn, signalOffset, cells);
    for (size_t i = 0; i < count; ++i)
        DrawCell(dc, cells[i]);
}

void CRestoreDlg::DrawTexts(HDC dc) {
    // Without DT_SINGLELINE, DT_VCENTER does nothing: each text sits at the top
    // left of its box, unwrapped and clipped.
    for (const status_layout::TextItem& item : status_layout::TextItems(status.texts))
        DrawBoxText(dc, item.text, item.box, DT_VCENTER);
}

void CRestoreDlg::DrawCell(HDC dc, const status_layout::Cell& cell) {
    using status_layout::Mark;
    SetTextColor(dc, cell.textColor);
    HPEN pen = redPen.get();
    if (cell.mark == Mark::kUsed) {
        FillBox(dc, cell.bar, blueBrush.get());
        pen = bluePen.get();
    } else if (cell.mark == Mark::kTracked) {
        FillBox(dc, cell.bar, greenBrush.get());
        FillBox(dc, cell.barInterior, whiteBrush.get());
        pen = greenPen.get();
    }

    char16_t number[status_layout::kNumberCapacity];
    status_layout::FormatSatellite(cell.satellite, number);
    // A satellite without a place yet has its bar but no circle: piled up in
    // the chart's corner, circles would only look like satellites there.
    if (cell.onChart) {
        Selection withPen(dc, pen);
        Ellipse(dc, cell.skyBox.left, cell.skyBox.top, cell.skyBox.right, cell.skyBox.bottom);
        DrawBoxText(dc, number, cell.skyBox, DT_CENTER | DT_VCENTER);
    }

    if (cell.mark != Mark::kNoSignal) {
        char16_t value[status_layout::kNumberCapacity];
        status_layout::FormatValue(cell.value, value);
        SetTextColor(dc, status_layout::kMagenta);
        DrawBoxText(dc, value, cell.valueBox, 0);
        SetTextColor(dc, cell.textColor);
    }
    DrawBoxText(dc, number, cell.numberBox, 0);
}

void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y, DWORD rop) {
    // Without the sky picture the chart area simply stays white; the circles
    // are still drawn at their places.
    if (bitmap == nullptr)
        return;
    BITMAP info{};
    if (GetObjectW(bitmap, sizeof info, &info) == 0)
        return;
    UniqueDc memory(CreateCompatibleDC(dc));
    Selection picture(memory.get(), bitmap);
    if (!picture.ok())
        return;
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory.get(), 0, 0, rop);
}
