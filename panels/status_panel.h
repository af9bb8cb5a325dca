// The status and sky panel: labels and values, the sky chart with a marker
// per satellite, and the grids of signal bars, painted double-buffered from
// the receiver status record.
#pragma once

#include <windows.h>

#include <cstdint>

#include "nmea/receiver_model.h"
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

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Paints the whole panel into `dc` (a window's or a memory DC) over `client`.
    void PaintContent(HDC dc, const RECT& client);

    UniqueGdi<HBRUSH> whiteBrush;
    UniqueGdi<HBRUSH> greenBrush;
    UniqueGdi<HBRUSH> blueBrush;
    UniqueGdi<HPEN> redPen;
    UniqueGdi<HPEN> bluePen;
    UniqueGdi<HPEN> greenPen;
    // The systems grid's labels and values ("G05" in a 21-pixel cell).
    UniqueGdi<HFONT> labelFont;

    const ReceiverModel& model;

    // Added to the signal values shown while a log file is open; the main
    // window keeps both up to date, the panel only paints them.
    bool signalOffsetOn = false;
    int32_t signalOffset = 0;

    UniqueGdi<HBITMAP> skyBitmap;

  private:
    DWORD lastPaint = 0;
    bool painted = false;
    bool redrawWaiting = false;

    void InvalidateAll();
    LRESULT OnInitDialog();
    void OnPaint(HWND hwnd);
    void DrawTexts(HDC dc);
    HPEN PenOf(status_layout::Mark mark) const;
    void DrawCell(HDC dc, const status_layout::Cell& cell);
    void DrawSystems(HDC dc, const status_layout::Plan& plan);
};

// Copies the whole bitmap to (x, y) of dc with the raster operation. A missing
// bitmap draws nothing.
void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y, DWORD rop);
