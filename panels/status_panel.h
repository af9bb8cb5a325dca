// The status and sky panel: labels and values, the sky chart with a marker
// per satellite, and the grids of signal bars, painted double-buffered from
// the receiver status record.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <utility>

#include "nmea/receiver_model.h"
#include "panels/status_geometry.h"
#include "panels/status_layout.h"
#include "win32/unique_handle.h"
#include "win32/wnd.h"

class CRestoreDlg : public CWnd {
  public:
    // The panel paints `model`, which the application owns and keeps up to date.
    explicit CRestoreDlg(const ReceiverModel& model);

    // Creates the panel from dialog template 107 as a child of `parent`.
    bool Create(HWND parent);

    // Invalidates the whole client area without erasing: repaint at the next WM_PAINT.
    void Redraw();
    // The same for a reporting cycle just completed. Lines can complete
    // cycles faster than a screen shows them, so within a frame of the last
    // paint the invalidation waits for the frame to end (a timer); the panel
    // always ends showing the latest record.
    void RedrawCycle();

    // Shortest time between two repaints asked for by RedrawCycle.
    static constexpr DWORD kFrameMs = 40;
    // The panel's timer that completes a redraw held back.
    static constexpr UINT_PTR kRedrawTimerId = 1;
    // Milliseconds, wrapping at 2^32 as GetTickCount does; the frames' time
    // from now on (GetTickCount when empty).
    using Clock = std::function<DWORD()>;
    void SetClock(Clock clock) { clock_ = std::move(clock); }

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Paints the whole panel into `dc` (a window's or a memory DC) over `client`.
    void PaintContent(HDC dc, const RECT& client);

    // What a paint into `dc` draws where: the layout for the panel's view,
    // its texts measured in the fonts the paint selects into `dc`.
    void PlanPaint(HDC dc, status_layout::PanelPlan* plan) const;

    // The size the main window shows the panel at and its monitor's DPI:
    // the layout, the fonts and the pens follow them. Never told, the panel
    // is the default one at 96 dpi.
    void SetView(const status_layout::View& view);
    const status_layout::View& CurrentView() const { return view_; }
    // The fonts' and pens' DPI (they are remade when it changes).
    int32_t DrawingDpi() const { return drawingDpi_; }

    UniqueGdi<HBRUSH> whiteBrush;
    UniqueGdi<HBRUSH> greenBrush;
    UniqueGdi<HBRUSH> blueBrush;
    UniqueGdi<HPEN> redPen;
    UniqueGdi<HPEN> bluePen;
    UniqueGdi<HPEN> greenPen;
    // The systems grid's labels and values ("G05" in a 21-pixel cell).
    UniqueGdi<HFONT> labelFont;
    // The labels' and values' font away from 96 dpi; at 96 dpi the memory
    // DC's own font, as the panel always had.
    UniqueGdi<HFONT> textFont;

    const ReceiverModel& model;

    // Added to the signal values shown while a log file is open; the main
    // window keeps both up to date, the panel only paints them.
    bool signalOffsetOn = false;
    int32_t signalOffset = 0;

    UniqueGdi<HBITMAP> skyBitmap;

  private:
    // The drawn chart, kept while its size stays: drawing the circles costs
    // Wine several milliseconds at 400 pixels, copying them a fraction.
    UniqueGdi<HBITMAP> chartCache_;
    int32_t chartCacheSide_ = 0;
    void DrawChart(HDC dc, const status_layout::Box& chart);

    status_layout::View view_{};
    int32_t drawingDpi_ = 96;
    int32_t markerCorner_ = 8;
    Clock clock_;
    DWORD Now() const { return clock_ ? clock_() : GetTickCount(); }
    DWORD lastPaint = 0;
    bool painted = false;
    bool redrawWaiting = false;

    void InvalidateAll();
    LRESULT OnInitDialog();
    void OnPaint(HWND hwnd);
    void MakeDrawingObjects(int32_t dpi);
    // What the larger panel shows of the fix beyond the default's texts.
    status_layout::FixDetails Details() const;
    void DrawTexts(HDC dc, const status_layout::PanelPlan& plan);
    HPEN PenOf(status_layout::Mark mark) const;
    void DrawCell(HDC dc, const status_layout::Cell& cell);
    void DrawSystems(HDC dc, const status_layout::PanelPlan& panel);
};

// Copies the whole bitmap to (x, y) of dc with the raster operation. A missing
// bitmap draws nothing.
void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y, DWORD rop);
