#include "panels/ttff_dialog.h"

#include <commctrl.h>

#include <cstdio>

#include "nmea/text16.h"
#include "panels/own_window.h"
#include "res/resource.h"
#include "win32/wide_text.h"
#include "win32/window_items.h"

using stats::TtffRun;
using stats::TtffStartKind;

namespace {

// In TtffStartKind order, so a selection is its kind.
const wchar_t* const kKindEntries[] = {L"Hot start ($PMTK101)", L"Warm start ($PMTK102)",
                                       L"Cold start ($PMTK103)", L"Full cold start ($PMTK104)"};

const struct {
    const wchar_t* title;
    int width;  // dialog units
} kColumns[] = {{L"Run", 24}, {L"Kind", 44}, {L"TTFF (s)", 46},
                {L"Fix", 24}, {L"Used", 28}, {L"HDOP", 34}};

const int kNumberFields[] = {IDC_TTFF_RUNS, IDC_TTFF_LIMIT, IDC_TTFF_PAUSE};

// Fields and Start, usable only while no series runs.
const int kSetupControls[] = {IDC_TTFF_KIND, IDC_TTFF_RUNS, IDC_TTFF_LIMIT, IDC_TTFF_PAUSE,
                              IDC_TTFF_START};

void SetNumber(HWND dialog, int id, uint32_t value) {
    SetDlgItemInt(dialog, id, value, FALSE);
}

// Seconds as the CSV text writes them: tenths for the runs, the extremes and
// the percentile, hundredths for the median and the mean.
}  // namespace

bool CTtffDlg::Create(HWND owner, TtffDialogActions& actions,
                      const stats::TtffSeriesConfig& config) {
    actions_ = &actions;
    config_ = config;
    rowsShown_ = 0;
    // The template names the list view's class: it must be registered first.
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    return OpenOwnWindow(*this, IDD_TTFF_TEST, owner);
}

LRESULT CTtffDlg::OnInitDialog(HWND window) {
    for (const wchar_t* entry : kKindEntries)
        AddComboString(window, IDC_TTFF_KIND, entry);
    SendDlgItemMessageW(window, IDC_TTFF_KIND, CB_SETCURSEL, static_cast<WPARAM>(config_.kind), 0);
    SetNumber(window, IDC_TTFF_RUNS, config_.runs);
    SetNumber(window, IDC_TTFF_LIMIT, config_.limitSeconds);
    SetNumber(window, IDC_TTFF_PAUSE, config_.pauseSeconds);
    for (int id : kNumberFields)
        SendDlgItemMessageW(window, id, EM_SETLIMITTEXT, 4, 0);

    HWND list = GetDlgItem(window, IDC_TTFF_RESULTS);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (size_t i = 0; i < sizeof kColumns / sizeof kColumns[0]; ++i) {
        RECT units{0, 0, kColumns[i].width, 0};
        MapDialogRect(window, &units);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = i == 1 ? LVCFMT_LEFT : LVCFMT_RIGHT;
        column.cx = units.right;
        column.pszText = const_cast<wchar_t*>(kColumns[i].title);
        ListView_InsertColumn(list, static_cast<int>(i), &column);
    }
    return TRUE;
}

TtffStartKind CTtffDlg::Kind() const {
    const LRESULT selected = SendDlgItemMessageW(hwnd, IDC_TTFF_KIND, CB_GETCURSEL, 0, 0);
    if (selected < 0 || selected > static_cast<LRESULT>(TtffStartKind::kFullCold))
        return TtffStartKind::kCold;
    return static_cast<TtffStartKind>(selected);
}

bool CTtffDlg::Number(int id, uint32_t* value) const {
    BOOL ok = FALSE;
    const UINT number = GetDlgItemInt(hwnd, id, &ok, FALSE);
    if (!ok)
        return false;
    *value = number;
    return true;
}

void CTtffDlg::AddRow(const TtffRun& run) {
    HWND list = GetDlgItem(hwnd, IDC_TTFF_RESULTS);
    char texts[6][16] = {};
    std::snprintf(texts[0], sizeof texts[0], "%u", run.number);
    std::snprintf(texts[1], sizeof texts[1], "%s", stats::TtffKindName(run.kind));
    const stats::TtffRunTexts t = stats::RunTexts(run);
    std::snprintf(texts[2], sizeof texts[2], "%s", run.timedOut ? "timeout" : t.time);
    std::snprintf(texts[3], sizeof texts[3], "%s", t.fix);
    std::snprintf(texts[4], sizeof texts[4], "%s", t.used);
    std::snprintf(texts[5], sizeof texts[5], "%s", run.hdop);
    wchar_t cells[6][16];
    for (int i = 0; i < 6; ++i)
        text16::CopyNarrow(AsText16Array(cells[i]), texts[i]);

    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(rowsShown_);
    item.pszText = cells[0];
    const int row = ListView_InsertItem(list, &item);
    for (int column = 1; column < 6; ++column)
        ListView_SetItemText(list, row, column, cells[column]);
    ListView_EnsureVisible(list, row, FALSE);
}

void CTtffDlg::ShowSeries(const stats::TtffSeries& series) {
    if (hwnd == nullptr)
        return;
    if (series.count() < rowsShown_) {
        ListView_DeleteAllItems(GetDlgItem(hwnd, IDC_TTFF_RESULTS));
        rowsShown_ = 0;
    }
    for (; rowsShown_ < series.count(); ++rowsShown_)
        AddRow(series.run(rowsShown_));

    const stats::TtffSummary s = series.Summary();
    char times[5][16];
    stats::FormatTenths(times[0], 16, s.minTenths);
    stats::FormatHundredths(times[1], 16, s.medianHundredths);
    stats::FormatHundredths(times[2], 16, s.meanHundredths);
    stats::FormatTenths(times[3], 16, s.p90Tenths);
    stats::FormatTenths(times[4], 16, s.maxTenths);
    char text[192];
    const int head = std::snprintf(text, sizeof text, "Runs: %u   Fixes: %u   Timeouts: %u\r\n",
                                   s.runs, s.fixes, s.timeouts);
    if (s.fixes == 0)
        std::snprintf(text + head, sizeof text - head, "No fix measured.");
    else
        std::snprintf(text + head, sizeof text - head,
                      "Min %s s   Median %s s   Mean %s s   90%% %s s   Max %s s", times[0],
                      times[1], times[2], times[3], times[4]);
    wchar_t summary[192];
    text16::CopyNarrow(AsText16Array(summary), text);
    SetTextIfChanged(GetDlgItem(hwnd, IDC_TTFF_SUMMARY), summary);

    const bool running = series.running();
    for (int id : kSetupControls)
        EnableDlgItem(hwnd, id, !running);
    EnableDlgItem(hwnd, IDC_TTFF_STOP, running);
    EnableDlgItem(hwnd, IDC_TTFF_SAVE, series.count() > 0);
}

void CTtffDlg::ShowState(const wchar_t* text) {
    if (hwnd != nullptr)
        SetTextIfChanged(GetDlgItem(hwnd, IDC_TTFF_STATE), text);
}

LRESULT CTtffDlg::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(window);
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_TTFF_START:
                    actions_->OnTtffStart();
                    return TRUE;
                case IDC_TTFF_STOP:
                    actions_->OnTtffStop();
                    return TRUE;
                case IDC_TTFF_SAVE:
                    actions_->OnTtffSave();
                    return TRUE;
                case IDCANCEL:
                    DestroyWindow(window);
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_DESTROY:
            hwnd = nullptr;
            actions_->OnTtffClosed();
            return TRUE;
        default:
            return FALSE;
    }
}
