#include "panels/status_panel.h"

#include "nmea/text16.h"
#include "panels/status_texts.h"
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

// The signal value in magenta above the bar (none without a signal), then
// the satellite's label below it in the cell's own colour.
void DrawValueAndLabel(HDC dc, const status_layout::Cell& cell) {
    if (cell.mark != status_layout::Mark::kNoSignal) {
        char16_t value[status_layout::kNumberCapacity];
        status_layout::FormatValue(cell.value, value);
        SetTextColor(dc, status_layout::kMagenta);
        DrawBoxText(dc, value, cell.valueBox, 0);
    }
    SetTextColor(dc, cell.textColor);
    DrawBoxText(dc, cell.label, cell.labelBox, 0);
}

}  // namespace

CRestoreDlg::CRestoreDlg(const ReceiverModel& model) : model(model) {}

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
    // Tahoma is on every Windows since XP and in Wine. Unsmoothed, as the
    // panel's other texts: each pixel is one of the panel's colours.
    labelFont.reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                                DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
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
    status_layout::Plan plan;
    status_layout::PlanSatellites(model, signalOffsetOn, signalOffset, &plan);
    if (plan.layout == status_layout::Layout::kSystems) {
        DrawSystems(dc, plan);
        return;
    }
    for (size_t i = 0; i < plan.count; ++i)
        DrawCell(dc, plan.cells[i]);
}

void CRestoreDlg::DrawTexts(HDC dc) {
    // Without DT_SINGLELINE, DT_VCENTER does nothing: each text sits at the top
    // left of its box, unwrapped and clipped.
    StatusTexts texts;
    FormatStatusTexts(model, texts);
    for (const status_layout::TextItem& item : status_layout::TextItems(texts))
        DrawBoxText(dc, item.text, item.box, DT_VCENTER);
}

HPEN CRestoreDlg::PenOf(status_layout::Mark mark) const {
    switch (mark) {
        case status_layout::Mark::kUsed:
            return bluePen.get();
        case status_layout::Mark::kTracked:
            return greenPen.get();
        case status_layout::Mark::kNoSignal:
            break;
    }
    return redPen.get();
}

void CRestoreDlg::DrawCell(HDC dc, const status_layout::Cell& cell) {
    using status_layout::Mark;
    SetTextColor(dc, cell.textColor);
    if (cell.mark == Mark::kUsed) {
        FillBox(dc, cell.bar, blueBrush.get());
    } else if (cell.mark == Mark::kTracked) {
        FillBox(dc, cell.bar, greenBrush.get());
        FillBox(dc, cell.barInterior, whiteBrush.get());
    }

    // A satellite without a place yet has its bar but no circle: piled up in
    // the chart's corner, circles would only look like satellites there.
    if (cell.onChart) {
        Selection withPen(dc, PenOf(cell.mark));
        Ellipse(dc, cell.skyBox.left, cell.skyBox.top, cell.skyBox.right, cell.skyBox.bottom);
        DrawBoxText(dc, cell.label, cell.skyBox, DT_CENTER | DT_VCENTER);
    }

    DrawValueAndLabel(dc, cell);
}

void CRestoreDlg::DrawSystems(HDC dc, const status_layout::Plan& plan) {
    using status_layout::Mark;
    Selection font(dc, labelFont.get());
    for (size_t i = 0; i < plan.count; ++i) {
        const status_layout::Cell& cell = plan.cells[i];
        if (cell.mark == Mark::kUsed) {
            FillBox(dc, cell.bar, blueBrush.get());
        } else if (cell.mark == Mark::kTracked) {
            FillBox(dc, cell.bar, greenBrush.get());
            FillBox(dc, cell.barInterior, whiteBrush.get());
        }
        DrawValueAndLabel(dc, cell);
    }
    if (plan.omitted > 0) {
        char16_t more[status_layout::kNumberCapacity];
        text16::Format(more, "+%d", static_cast<int>(plan.omitted));
        SetTextColor(dc, status_layout::kBlack);
        DrawBoxText(dc, more, plan.omittedBox, 0);
    }
    // Markers where satellites crowd cover one another: those without a
    // signal go under the tracked ones, and the ones used in the fix on top.
    for (Mark layer : {Mark::kNoSignal, Mark::kTracked, Mark::kUsed}) {
        Selection withPen(dc, PenOf(layer));
        for (size_t i = 0; i < plan.count; ++i) {
            const status_layout::Cell& cell = plan.cells[i];
            if (cell.mark != layer || !cell.onChart)
                continue;
            const status_layout::Box& b = cell.skyBox;
            RoundRect(dc, b.left, b.top, b.right, b.bottom, 8, 8);
            SetTextColor(dc, cell.textColor);
            DrawBoxText(dc, cell.label, b, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
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
