// Position statistics in the running program: every line of the open link
// or playback goes through the same feed skyloom-decode --stats uses while
// the Position Statistics window is open; the figures are worked out again
// four times a second at most, and less often as the series grows, so a
// 10 Hz receiver and a full series of a million fixes leave the main window
// responsive.
#pragma once

#include <windows.h>

#include <cstddef>

#include "panels/position_dialog.h"
#include "stats/position_feed.h"
#include "stats/position_stats.h"

class PositionRun : public PositionDialogActions {
  public:
    explicit PositionRun(CPositionDlg& dialog);
    PositionRun(const PositionRun&) = delete;
    PositionRun& operator=(const PositionRun&) = delete;

    // The main window: owner of the dialog and of TIMER_POSITION.
    void SetOwner(HWND owner) { owner_ = owner; }

    // IDM_POSITION_STATS: opens the window with the series so far, or brings it forward.
    void OpenDialog();
    // Every delivered line, while the window is open.
    void AfterLine(const char16_t* line);
    // TIMER_POSITION.
    void OnTimer();
    void Shutdown();

    const stats::PositionSeries& series() const { return series_; }
    const stats::PositionReference& reference() const { return reference_; }

    void OnPositionReference() override;
    void OnPositionReset() override;
    void OnPositionSave() override;
    void OnPositionClosed() override;

  private:
    void Refresh();
    void SetNote(const wchar_t* text);
    void ShowKeptNote();

    CPositionDlg& dialog_;
    HWND owner_ = nullptr;
    stats::PositionSeries series_;
    stats::PositionFeed feed_{series_};
    stats::PositionReference reference_;  // as chosen: the mean, or a given point
    bool dirty_ = true;
    DWORD refreshedAt_ = 0;  // tick count at the end of the last refresh
    DWORD refreshCost_ = 0;  // milliseconds it took
    wchar_t note_[MAX_PATH + 96] = L"";
};
