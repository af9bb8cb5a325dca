// A time-to-first-fix series in the running program: the TTFF test dialog's
// buttons, each run's start sent the way Cold Start sends it, the status
// record's first-fix clock watched after every line and on a timer, and the
// series ended cleanly whenever the link closes.
#pragma once

#include <windows.h>

#include <cstdint>

#include "panels/ttff_dialog.h"
#include "stats/ttff_series.h"

class LinkControl;
struct ReceiverModel;

class TtffRun : public TtffDialogActions {
  public:
    TtffRun(LinkControl& link, ReceiverModel& status, CTtffDlg& dialog);
    TtffRun(const TtffRun&) = delete;
    TtffRun& operator=(const TtffRun&) = delete;

    // The main window: owner of the dialog and of TIMER_TTFF.
    void SetOwner(HWND owner) { owner_ = owner; }

    // IDM_TTFF_TEST: opens the dialog with the series so far, or brings it forward.
    void OpenDialog();
    // After every delivered line: the clock's start and the first fix are
    // taken at the tick they happened, not at the next timer tick.
    void AfterLine();
    // TIMER_TTFF.
    void OnTimer();
    // The main window's end: no timer may outlive it.
    void Shutdown();

    const stats::TtffSeries& series() const { return series_; }

    void OnTtffStart() override;
    void OnTtffStop() override;
    void OnTtffSave() override;
    void OnTtffClosed() override;

  private:
    void Watch(uint32_t now);
    void RecordFix();
    void Step(uint32_t now);
    // The series ended by itself: every run done.
    void Finished();
    // Ends a running series with `note` ("%u" of the runs done, "%u" of all).
    void End(const char* note);
    void SetNote(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    void Show();

    LinkControl& link_;
    ReceiverModel& status_;
    CTtffDlg& dialog_;
    HWND owner_ = nullptr;
    stats::TtffSeries series_;

    // What the watch has seen of the record since the last start was sent.
    uint32_t clockTick_ = 0;  // the ttffStartTick last handed to the series
    bool fixSeen_ = false;
    // A fix waits for a whole reporting cycle, so that the satellites of
    // every GSA of a cycle count, not only those before the fix line.
    bool fixPending_ = false;
    uint32_t fixTick_ = 0;
    int fixType_ = 0;
    int cyclesAfterFix_ = 0;
    int32_t gsaClearedSeen_ = 0;  // gsaCleared after the last line watched
    uint32_t sentTick_ = 0;

    // Shown while no series runs: how the last one ended, or why Start refused.
    wchar_t note_[MAX_PATH + 64] = L"";
};
