#include "panels/sky_chart.h"

#include "panels/status_geometry.h"
#include "win32/gdi_guards.h"

namespace {

constexpr COLORREF kRing = RGB(150, 190, 240);
constexpr COLORREF kCross = RGB(255, 255, 255);

void Circle(HDC dc, int x, int y, int r) {
    Ellipse(dc, x - r, y - r, x + r + 1, y + r + 1);
}

void Letter(HDC dc, const wchar_t* letter, int x, int y, int half) {
    RECT r{x - half, y - half, x + half, y + half};
    DrawTextW(dc, letter, 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
}

}  // namespace

void DrawSkyChart(HDC dc, const status_layout::Box& chart, HFONT letters) {
    if (chart.Empty())
        return;
    const status_layout::ChartCircle c = status_layout::ChartCircleOf(chart);
    const int side = chart.right - chart.left;
    const int line = side >= 300 ? 2 : 1;
    UniqueGdi<HBRUSH> sky(CreateSolidBrush(kChartSky));
    RECT square{chart.left, chart.top, chart.right, chart.bottom};
    FillRect(dc, &square, sky.get());

    UniqueGdi<HBRUSH> globe(CreateSolidBrush(kChartGlobe));
    UniqueGdi<HPEN> ring(CreatePen(PS_SOLID, line, kRing));
    {
        Selection brush(dc, globe.get());
        Selection pen(dc, ring.get());
        Circle(dc, c.centerX, c.centerY, c.radius);
    }
    {
        // Elevations 30 and 60 degrees: two and one thirds of the horizon's radius.
        Selection brush(dc, GetStockObject(NULL_BRUSH));
        Selection pen(dc, ring.get());
        Circle(dc, c.centerX, c.centerY, c.radius * 2 / 3);
        Circle(dc, c.centerX, c.centerY, c.radius / 3);
    }
    UniqueGdi<HPEN> cross(CreatePen(PS_SOLID, line, kCross));
    {
        Selection pen(dc, cross.get());
        MoveToEx(dc, c.centerX - c.radius, c.centerY, nullptr);
        LineTo(dc, c.centerX + c.radius + 1, c.centerY);
        MoveToEx(dc, c.centerX, c.centerY - c.radius, nullptr);
        LineTo(dc, c.centerX, c.centerY + c.radius + 1);
    }
    // The letters in the band between the horizon and the square's edge.
    // The chart may be drawn into a fresh DC of its own, whose background
    // mode would box each letter in white.
    Selection font(dc, letters);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, kCross);
    const int band = (side - 2 * c.radius) / 4;
    const int half = band > 4 ? band : 4;
    Letter(dc, L"N", c.centerX, chart.top + (c.centerY - c.radius - chart.top) / 2, half);
    Letter(dc, L"S", c.centerX, c.centerY + c.radius + (chart.bottom - c.centerY - c.radius) / 2,
           half);
    Letter(dc, L"W", chart.left + (c.centerX - c.radius - chart.left) / 2, c.centerY, half);
    Letter(dc, L"E", c.centerX + c.radius + (chart.right - c.centerX - c.radius) / 2, c.centerY,
           half);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}
