// The Position Statistics window: the deviation map with its scale, the
// strip of the last minutes, the typed reference, Reference, Reset, Save
// CSV... and Close, the figures and a note. It measures nothing itself: its
// buttons go to the PositionDialogActions it was created with, and the
// program hands it what to show through ShowView, ShowFigures and ShowNote.
#pragma once

#include <windows.h>

#include <string>

#include "stats/position_stats.h"
#include "win32/unique_handle.h"
#include "win32/wnd.h"

class PositionDialogActions {
  public:
    virtual void OnPositionReference() = 0;
    virtual void OnPositionReset() = 0;
    virtual void OnPositionSave() = 0;
    // The window is going away: Close, Esc, its close box or its owner's end.
    virtual void OnPositionClosed() = 0;

  protected:
    ~PositionDialogActions() = default;
};

// What the map and the strip paint: the kept fixes, measured from the
// reference the figures use.
struct PositionView {
    const stats::PositionSeries* series = nullptr;
    stats::PositionReference reference;  // resolved: the mean worked out, or the given point
    stats::PositionFigures figures;
};

class CPositionDlg : public CWnd {
  public:
    CPositionDlg();
    bool Create(HWND owner, PositionDialogActions& actions);
    bool IsOpen() const { return hwnd != nullptr; }

    // The reference fields as typed (ASCII; anything else comes back as "?").
    std::string FieldText(int id) const;
    // The map's scale: 0 fits it to the fixes, else metres to the edge.
    double Scale() const;

    void ShowView(const PositionView& view);
    void ShowFigures(const stats::PositionFigures& figures);
    void ShowNote(const wchar_t* text);

    // The painters of the two owner-drawn areas, into any DC (a test's memory DC).
    void PaintMap(HDC dc, const RECT& area) const;
    void PaintStrip(HDC dc, const RECT& area) const;

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    LRESULT OnInitDialog(HWND window);
    void OnDrawItem(const DRAWITEMSTRUCT& item) const;

    PositionDialogActions* actions_ = nullptr;
    PositionView view_;
    UniqueGdi<HPEN> cep50Pen_;
    UniqueGdi<HPEN> cep95Pen_;
    UniqueGdi<HPEN> newestPen_;
    UniqueGdi<HPEN> errorPen_;
    UniqueGdi<HPEN> satellitesPen_;
};
