#include "panels/position_dialog.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "nmea/text16.h"
#include "panels/own_window.h"
#include "panels/position_map_layout.h"
#include "res/resource.h"
#include "stats/position_report.h"
#include "win32/gdi_guards.h"
#include "win32/wide_text.h"

namespace {

position_map::Box BoxOf(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

void Fill(HDC dc, const position_map::Box& b, COLORREF color) {
    const RECT r{b.left, b.top, b.right, b.bottom};
    SetBkColor(dc, color);
    // ExtTextOut with an opaque rectangle fills without a brush to own.
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void Text(HDC dc, int x, int y, const char* text) {
    wchar_t wide[64];
    text16::CopyNarrow(AsText16Array(wide), text);
    TextOutW(dc, x, y, wide, lstrlenW(wide));
}

void Circle(HDC dc, int x, int y, int r) {
    Ellipse(dc, x - r, y - r, x + r + 1, y + r + 1);
}

void AppendFigure(std::string& text, const char* label, double value, int decimals,
                  const char* unit) {
    char number[64];
    if (stats::FormatFigure(number, sizeof number, value, decimals) == 0)
        std::snprintf(number, sizeof number, "-");
    text += label;
    text += ": ";
    text += number;
    if (number[0] != '-' || number[1] != 0)
        text += unit;
    text += "\r\n";
}

}  // namespace

CPositionDlg::CPositionDlg()
    : cep50Pen_(CreatePen(PS_SOLID, 1, position_map::kCep50Color)),
      cep95Pen_(CreatePen(PS_DOT, 1, position_map::kCep95Color)),
      newestPen_(CreatePen(PS_SOLID, 2, position_map::kNewestColor)),
      errorPen_(CreatePen(PS_SOLID, 1, RGB(220, 0, 0))),
      satellitesPen_(CreatePen(PS_SOLID, 1, RGB(0, 128, 0))) {}

bool CPositionDlg::Create(HWND owner, PositionDialogActions& actions) {
    actions_ = &actions;
    return OpenOwnWindow(*this, IDD_POSITION_STATS, owner);
}

LRESULT CPositionDlg::OnInitDialog(HWND window) {
    HWND scale = GetDlgItem(window, IDC_POS_SCALE);
    SendMessageW(scale, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Fit"));
    for (double s : position_map::kScales) {
        char text[16];
        position_map::ScaleText(s, text, sizeof text);
        wchar_t wide[16];
        text16::CopyNarrow(AsText16Array(wide), text);
        SendMessageW(scale, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide));
    }
    SendMessageW(scale, CB_SETCURSEL, 0, 0);
    for (int id : {IDC_POS_REF_LAT, IDC_POS_REF_LON, IDC_POS_REF_ALT})
        SendDlgItemMessageW(window, id, EM_SETLIMITTEXT, 24, 0);
    return TRUE;
}

std::string CPositionDlg::FieldText(int id) const {
    wchar_t text[32] = L"";
    GetDlgItemTextW(hwnd, id, text, 32);
    std::string narrow;
    for (const wchar_t* p = text; *p != 0; ++p)
        narrow += *p > 0 && *p < 0x80 ? static_cast<char>(*p) : '?';
    return narrow;
}

double CPositionDlg::Scale() const {
    const LRESULT selected = SendDlgItemMessageW(hwnd, IDC_POS_SCALE, CB_GETCURSEL, 0, 0);
    if (selected < 1 || selected > static_cast<LRESULT>(position_map::kScaleCount))
        return 0;
    return position_map::kScales[selected - 1];
}

void CPositionDlg::ShowView(const PositionView& view) {
    view_ = view;
    if (hwnd == nullptr)
        return;
    InvalidateRect(GetDlgItem(hwnd, IDC_POS_MAP), nullptr, FALSE);
    InvalidateRect(GetDlgItem(hwnd, IDC_POS_STRIP), nullptr, FALSE);
    ShowFigures(view.figures);
}

void CPositionDlg::ShowFigures(const stats::PositionFigures& g) {
    if (hwnd == nullptr)
        return;
    char head[160];
    std::snprintf(head, sizeof head,
                  "Fixes: %zu\r\nGPS %zu, DGPS %zu, PPS %zu, RTK fixed %zu, "
                  "RTK float %zu; other %zu\r\nReference: %s\r\n",
                  g.fixes, g.byQuality[0], g.byQuality[1], g.byQuality[2], g.byQuality[3],
                  g.byQuality[4], g.byQuality[5], g.referenceGiven ? "given" : "mean");
    std::string text = head;
    for (size_t i = 0; i < stats::kFigureRowCount; ++i) {
        const stats::FigureRow& row = stats::kFigureRows[i];
        const bool degrees = row.decimals == 9;
        const bool seconds = row.value == &stats::PositionFigures::seconds;
        AppendFigure(text, row.label, g.*row.value, row.decimals,
                     degrees   ? "\xB0"
                     : seconds ? " s"
                               : " m");
    }
    // The degree sign is the one character beyond ASCII: Latin-1 widens as is.
    std::vector<wchar_t> wide;
    for (char c : text)
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    wide.push_back(0);
    SetTextIfChanged(GetDlgItem(hwnd, IDC_POS_FIGURES), wide.data());
}

void CPositionDlg::ShowNote(const wchar_t* text) {
    if (hwnd != nullptr)
        SetTextIfChanged(GetDlgItem(hwnd, IDC_POS_NOTE), text);
}

void CPositionDlg::PaintMap(HDC dc, const RECT& area) const {
    const position_map::Box box = BoxOf(area);
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0)
        return;
    const stats::PositionFigures& g = view_.figures;
    const bool any = view_.series != nullptr && g.fixes > 0;
    double scale = Scale();
    const bool fit = scale == 0;
    if (fit)
        scale = position_map::FitScale(any ? (g.maxH > g.cep95 ? g.maxH : g.cep95) : 0);
    const position_map::MapFrame frame = position_map::FrameFor(box, scale);

    // The dots go into a bitmap of the map's own: a million of them as GDI
    // calls would take seconds.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down, as PlotDots writes
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0xFFFFFF);
    // The axes through the reference lie under the dots.
    const uint32_t axis = position_map::kAxisColor;  // a grey: the same as COLORREF and in a DIB
    for (int x = 0; x < w; ++x)
        pixels[static_cast<size_t>(frame.cy - area.top) * w + x] = axis;
    for (int y = 0; y < h; ++y)
        pixels[static_cast<size_t>(y) * w + (frame.cx - area.left)] = axis;
    const stats::LocalPlane plane =
        stats::PlaneAt(view_.reference.latitude, view_.reference.longitude);
    if (any)
        position_map::PlotDots(frame, view_.series->fixes(), plane, pixels.data());
    SetDIBitsToDevice(dc, area.left, area.top, static_cast<DWORD>(w), static_cast<DWORD>(h), 0, 0,
                      0, static_cast<UINT>(h), pixels.data(), &info, DIB_RGB_COLORS);

    SetBkMode(dc, TRANSPARENT);
    Selection hollow(dc, GetStockObject(NULL_BRUSH));
    if (any) {
        Selection pen(dc, cep95Pen_.get());
        Circle(dc, frame.cx, frame.cy, position_map::RadiusPixels(frame, g.cep95));
        Selection inner(dc, cep50Pen_.get());
        Circle(dc, frame.cx, frame.cy, position_map::RadiusPixels(frame, g.cep50));
        // The newest fix: a ring round its dot.
        const stats::PositionFix& last = view_.series->fixes().back();
        double east = 0, north = 0;
        plane.Offset(last.latitude, last.longitude, &east, &north);
        int32_t x = 0, y = 0;
        if (position_map::Place(frame, east, north, &x, &y)) {
            Selection ring(dc, newestPen_.get());
            Circle(dc, x, y, 5);
        }
    }
    const position_map::ScaleBar bar = position_map::ScaleBarFor(frame);
    Fill(dc, bar.bar, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    Text(dc, bar.bar.left, bar.bar.top - 16, bar.text);
    char scaleText[48], size[16];
    position_map::ScaleText(scale, size, sizeof size);
    std::snprintf(scaleText, sizeof scaleText, "%s to the edge%s", size, fit ? " (fit)" : "");
    Text(dc, area.left + 6, area.top + 4, scaleText);
    for (const position_map::LegendRow& row : position_map::Legend(frame)) {
        Fill(dc, row.swatch, row.color);
        SetBkMode(dc, TRANSPARENT);
        Text(dc, row.textX, row.textY, row.text);
    }
    FrameRect(dc, &area, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
}

void CPositionDlg::PaintStrip(HDC dc, const RECT& area) const {
    const position_map::Box box = BoxOf(area);
    Fill(dc, box, position_map::kBackground);
    SetBkMode(dc, TRANSPARENT);
    if (view_.series != nullptr && !view_.series->fixes().empty()) {
        const stats::LocalPlane plane =
            stats::PlaneAt(view_.reference.latitude, view_.reference.longitude);
        const position_map::Box inner{box.left + 1, box.top + 14, box.right - 1, box.bottom - 1};
        const position_map::Strip strip =
            position_map::StripFor(inner, view_.series->fixes(), plane);
        const struct {
            const std::vector<position_map::Point>* points;
            HPEN pen;
        } lines[] = {{&strip.satellites, satellitesPen_.get()}, {&strip.error, errorPen_.get()}};
        for (const auto& line : lines) {
            if (line.points->size() < 2)
                continue;
            std::vector<POINT> points;
            for (const position_map::Point& p : *line.points)
                points.push_back({p.x, p.y});
            Selection pen(dc, line.pen);
            Polyline(dc, points.data(), static_cast<int>(points.size()));
        }
        char caption[96], top[16];
        position_map::ScaleText(strip.errorTop, top, sizeof top);
        std::snprintf(caption, sizeof caption,
                      "Last 5 min: error (red, top %s), satellites "
                      "(green, top %d)",
                      top, strip.satellitesTop);
        SetTextColor(dc, RGB(0, 0, 0));
        Text(dc, area.left + 4, area.top + 1, caption);
    }
    FrameRect(dc, &area, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
}

void CPositionDlg::OnDrawItem(const DRAWITEMSTRUCT& item) const {
    const RECT& r = item.rcItem;
    // Off screen and copied in one go, so the map never shows half a picture.
    UniqueDc memory(CreateCompatibleDC(item.hDC));
    UniqueGdi<HBITMAP> bitmap(CreateCompatibleBitmap(item.hDC, r.right - r.left, r.bottom - r.top));
    Selection keep(memory.get(), bitmap.get());
    Selection font(memory.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    const RECT local{0, 0, r.right - r.left, r.bottom - r.top};
    if (item.CtlID == IDC_POS_MAP)
        PaintMap(memory.get(), local);
    else
        PaintStrip(memory.get(), local);
    BitBlt(item.hDC, r.left, r.top, local.right, local.bottom, memory.get(), 0, 0, SRCCOPY);
}

LRESULT CPositionDlg::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(window);
        case WM_DRAWITEM:
            OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_POS_SCALE:
                    if (HIWORD(wParam) == CBN_SELCHANGE)
                        ShowView(view_);
                    return TRUE;
                case IDC_POS_REFERENCE:
                    actions_->OnPositionReference();
                    return TRUE;
                case IDC_POS_RESET:
                    actions_->OnPositionReset();
                    return TRUE;
                case IDC_POS_SAVE:
                    actions_->OnPositionSave();
                    return TRUE;
                case IDCANCEL:
                    DestroyWindow(window);
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_DESTROY:
            hwnd = nullptr;
            actions_->OnPositionClosed();
            return TRUE;
        default:
            return FALSE;
    }
}
