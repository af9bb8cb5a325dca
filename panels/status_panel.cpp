#include "panels/status_panel.h"

#include <memory>

#include "nmea/text16.h"
#include "panels/sky_chart.h"
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

// What the panel's texts measure in the fonts the paint draws them with.
class DcMeter : public status_layout::TextMeter {
  public:
    DcMeter(HDC dc, HFONT panel, HFONT label) : dc_(dc), panel_(panel), label_(label) {}
    status_layout::Extent Measure(const char16_t* text,
                                  status_layout::TextFont font) const override {
        Selection chosen(dc_, font == status_layout::TextFont::kLabel ? label_ : panel_);
        SIZE size{};
        GetTextExtentPoint32W(dc_, reinterpret_cast<const wchar_t*>(text),
                              static_cast<int>(text16::Length(text)), &size);
        return {size.cx, size.cy};
    }

  private:
    HDC dc_;
    HFONT panel_;  // null: the DC's own
    HFONT label_;
};

}  // namespace

CRestoreDlg::CRestoreDlg(const ReceiverModel& model) : model(model) {}

void CRestoreDlg::SetView(const status_layout::View& view) {
    view_ = view;
    if (whiteBrush && view.dpi != drawingDpi_)
        MakeDrawingObjects(view.dpi);
    Redraw();
}

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
    const DWORD sincePaint = Now() - lastPaint;
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
    MakeDrawingObjects(view_.dpi);
    Redraw();
    return 1;
}

void CRestoreDlg::MakeDrawingObjects(int32_t dpi) {
    drawingDpi_ = dpi > 0 ? dpi : 96;
    const auto at = [this](int32_t design) {
        return status_layout::ScaleLength(design, drawingDpi_);
    };
    bluePen.reset(CreatePen(PS_DASH, at(2), RGB(0, 0, 255)));
    redPen.reset(CreatePen(PS_DASH, at(2), RGB(255, 0, 0)));
    greenPen.reset(CreatePen(PS_DASH, at(2), RGB(0, 255, 0)));
    markerCorner_ = at(8);
    chartCache_.reset();  // its letters are in the old font
    // Tahoma is on every Windows since XP and in Wine. Unsmoothed, as the
    // panel's other texts: each pixel is one of the panel's colours.
    labelFont.reset(CreateFontW(-at(11), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                                DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
    // The memory DC's font is the system font of 96 dpi, 16 pixels high and
    // 7 wide on average, bold. Elsewhere the stock font would be the system
    // DPI's (Wine makes it taller but no wider), so the panel makes its own
    // at its monitor's DPI, a TrueType face that scales sharply; its width
    // rounded down, as the boxes' room is.
    if (drawingDpi_ == 96)
        textFont.reset();
    else
        textFont.reset(CreateFontW(at(16), 7 * drawingDpi_ / 96, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                   DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS,
                                   NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, L"System"));
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
    lastPaint = Now();
    painted = true;
}

void CRestoreDlg::PaintContent(HDC dc, const RECT& client) {
    SetBkMode(dc, TRANSPARENT);
    FillRect(dc, &client, whiteBrush.get());
    Selection font(dc, textFont.get());
    // About 25 KB: on the heap, not on the paint's stack.
    auto plan = std::make_unique<status_layout::PanelPlan>();
    PlanPaint(dc, plan.get());
    DrawTexts(dc, *plan);
    if (plan->pictureChart)
        DrawBitmap(dc, skyBitmap.get(), 0, 0, SRCCOPY);
    else
        DrawChart(dc, plan->chart);
    if (plan->satellites.layout == status_layout::Layout::kSystems) {
        DrawSystems(dc, *plan);
        return;
    }
    for (size_t i = 0; i < plan->satellites.count; ++i)
        DrawCell(dc, plan->satellites.cells[i]);
}

void CRestoreDlg::DrawChart(HDC dc, const status_layout::Box& chart) {
    const int32_t side = chart.right - chart.left;
    if (side <= 0)
        return;
    UniqueDc memory(CreateCompatibleDC(dc));
    if (!chartCache_ || chartCacheSide_ != side) {
        chartCache_.reset(CreateCompatibleBitmap(dc, side, side));
        chartCacheSide_ = side;
        Selection cache(memory.get(), chartCache_.get());
        if (!cache.ok()) {
            // Without a bitmap to keep it in, the chart is drawn in place.
            chartCache_.reset();
            DrawSkyChart(dc, chart, labelFont.get());
            return;
        }
        DrawSkyChart(memory.get(), {0, 0, side, side}, labelFont.get());
    }
    Selection cache(memory.get(), chartCache_.get());
    BitBlt(dc, chart.left, chart.top, side, side, memory.get(), 0, 0, SRCCOPY);
}

void CRestoreDlg::PlanPaint(HDC dc, status_layout::PanelPlan* plan) const {
    status_layout::View view = view_;
    view.dpi = drawingDpi_;
    Selection font(dc, textFont.get());
    const DcMeter meter(dc, textFont.get(), labelFont.get());
    status_layout::PlanPanel(model, signalOffsetOn, signalOffset, view, meter, plan, Details());
}

status_layout::FixDetails CRestoreDlg::Details() const {
    status_layout::FixDetails details;
    for (int i = 0; i < model.satelliteCount; ++i)
        details.satellitesInView += model.satellites[i].inView == 1 ? 1 : 0;
    const FixNumbers& fix = model.fix;
    details.altitudeKnown = fix.altitude.known;
    details.altitude = fix.altitude.value;
    details.satellitesUsed = fix.satellitesUsed;
    details.qualityKnown = fix.qualityKnown;
    details.quality = static_cast<int32_t>(fix.quality);
    return details;
}

void CRestoreDlg::DrawTexts(HDC dc, const status_layout::PanelPlan& plan) {
    // Without DT_SINGLELINE, DT_VCENTER does nothing: each text sits at the top
    // left of its box, unwrapped and clipped.
    for (const status_layout::TextItem& item : plan.texts)
        DrawBoxText(dc, item.text, item.box, DT_VCENTER);
    for (size_t i = 0; i < plan.detailCount; ++i)
        DrawBoxText(dc, plan.details[i].text, plan.details[i].box, DT_VCENTER);
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

void CRestoreDlg::DrawSystems(HDC dc, const status_layout::PanelPlan& panel) {
    using status_layout::Mark;
    const status_layout::Plan& plan = panel.satellites;
    Selection font(dc, labelFont.get());
    SetTextColor(dc, status_layout::kBlack);
    for (size_t i = 0; i < panel.rowCount; ++i)
        DrawBoxText(dc, panel.rows[i].letter, panel.rows[i].letterBox, 0);
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
            RoundRect(dc, b.left, b.top, b.right, b.bottom, markerCorner_, markerCorner_);
            SetTextColor(dc, cell.textColor);
            DrawBoxText(dc, cell.MarkerLabel(), b, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
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
