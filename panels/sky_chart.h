// The sky chart drawn by GDI at any size: the picture's dark sky, the
// horizon, the 30 and 60 degree rings, the cross and N, E, S, W, sharp
// where the 155-pixel picture would only be stretched.
#pragma once

#include <windows.h>

#include "panels/status_layout.h"

// The picture's colours: a night sky round a blue globe.
constexpr COLORREF kChartSky = RGB(8, 16, 40);
constexpr COLORREF kChartGlobe = RGB(28, 72, 140);

void DrawSkyChart(HDC dc, const status_layout::Box& chart, HFONT letters);
