// The TTFF test dialog: the kind of start, the number of runs, the limit and
// the pause; Start, Stop, Save CSV and Close; the runs of a series as a list
// and their summary. It carries out nothing itself: its buttons go to the
// TtffDialogActions it was created with, and the program shows the series
// through ShowSeries and ShowState.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "stats/ttff_series.h"
#include "win32/wnd.h"

class TtffDialogActions {
  public:
    virtual void OnTtffStart() = 0;
    virtual void OnTtffStop() = 0;
    virtual void OnTtffSave() = 0;
    // The dialog is going away: Close, Esc, its close box or its owner's end.
    virtual void OnTtffClosed() = 0;

  protected:
    ~TtffDialogActions() = default;
};

class CTtffDlg : public CWnd {
  public:
    // Creates the dialog owned by `owner`, with `config` in its fields, and
    // shows it beside the owner (over its right side when the screen is too narrow).
    bool Create(HWND owner, TtffDialogActions& actions, const stats::TtffSeriesConfig& config);
    bool IsOpen() const { return hwnd != nullptr; }

    stats::TtffStartKind Kind() const;
    // A field (IDC_TTFF_RUNS, _LIMIT, _PAUSE) as a whole number; false when it
    // holds none.
    bool Number(int id, uint32_t* value) const;

    // The runs as rows (added as they come; the list starts afresh when the
    // series holds fewer runs than it shows), the summary, and which buttons
    // and fields work while the series runs or not.
    void ShowSeries(const stats::TtffSeries& series);
    // The line above the list: what the series is doing, or why it ended.
    void ShowState(const wchar_t* text);

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    LRESULT OnInitDialog(HWND window);
    void AddRow(const stats::TtffRun& run);

    TtffDialogActions* actions_ = nullptr;
    stats::TtffSeriesConfig config_;
    size_t rowsShown_ = 0;
};
