#include "app/position_run.h"

#include <cstdio>
#include <iterator>
#include <string>

#include "app/csv_file_dialog.h"
#include "nmea/text16.h"
#include "res/resource.h"
#include "stats/position_lines.h"
#include "stats/position_reference.h"
#include "stats/position_report.h"
#include "win32/messages.h"
#include "win32/unique_handle.h"
#include "win32/wide_text.h"

namespace {

// Four refreshes a second: the map follows a 10 Hz receiver closely enough.
// A full series costs some tens of milliseconds a refresh (scripts/bench.sh),
// so a refresh also waits eight times what the last one took: the main
// window keeps most of its time whatever the series holds.
constexpr UINT kRefreshMs = 250;
constexpr DWORD kRefreshCostShare = 8;

void Widen(wchar_t* out, size_t cap, const char* text) {
    text16::CopyNarrow(AsText16(out), cap, text);
}

}  // namespace

PositionRun::PositionRun(CPositionDlg& dialog) : dialog_(dialog) {}

void PositionRun::OpenDialog() {
    if (dialog_.IsOpen()) {
        ShowWindow(dialog_.hwnd, SW_SHOWNORMAL);
        SetActiveWindow(dialog_.hwnd);
        return;
    }
    if (!dialog_.Create(owner_, *this))
        return;
    SetTimer(owner_, TIMER_POSITION, kRefreshMs, nullptr);
    dirty_ = true;
    ShowKeptNote();
    Refresh();
}

void PositionRun::AfterLine(const char16_t* line) {
    if (!dialog_.IsOpen())
        return;
    if (stats::FeedPositionLine(feed_, line, text16::Length(line)))
        dirty_ = true;
}

void PositionRun::OnTimer() {
    if (!dialog_.IsOpen()) {
        KillTimer(owner_, TIMER_POSITION);
        return;
    }
    if (dirty_ && GetTickCount() - refreshedAt_ >= kRefreshCostShare * refreshCost_)
        Refresh();
}

void PositionRun::Refresh() {
    dirty_ = false;
    const DWORD start = GetTickCount();
    PositionView view;
    view.series = &series_;
    view.reference = series_.ReferenceFor(reference_);
    view.figures = series_.Figures(reference_);
    dialog_.ShowView(view);
    refreshedAt_ = GetTickCount();
    refreshCost_ = refreshedAt_ - start;
    if (note_[0] == 0)
        ShowKeptNote();
}

// The memory the series holds: what the closing note states.
void PositionRun::ShowKeptNote() {
    char text[160];
    const double kb = static_cast<double>(series_.MemoryBytes()) / 1024.0;
    const double full = static_cast<double>(stats::kMaxPositionFixes) * sizeof(stats::PositionFix) /
                        (1024.0 * 1024.0);
    char held[32];
    if (kb < 1024.0)
        std::snprintf(held, sizeof held, "%.0f KB", kb);
    else
        std::snprintf(held, sizeof held, "%.1f MB", kb / 1024.0);
    const int n = std::snprintf(text, sizeof text, "%zu fixes kept in %s (at most %zu in %.1f MB)",
                                series_.fixes().size(), held, stats::kMaxPositionFixes, full);
    if (series_.notKept() > 0 && n > 0 && static_cast<size_t>(n) < sizeof text)
        std::snprintf(text + n, sizeof text - n, "; %zu more not kept", series_.notKept());
    wchar_t wide[160];
    Widen(wide, std::size(wide), text);
    dialog_.ShowNote(wide);
}

void PositionRun::SetNote(const wchar_t* text) {
    lstrcpynW(note_, text, static_cast<int>(std::size(note_)));
    dialog_.ShowNote(note_);
}

void PositionRun::OnPositionReference() {
    const std::string lat = dialog_.FieldText(IDC_POS_REF_LAT);
    const std::string lon = dialog_.FieldText(IDC_POS_REF_LON);
    const std::string alt = dialog_.FieldText(IDC_POS_REF_ALT);
    if (lat.find_first_not_of(' ') == std::string::npos &&
        lon.find_first_not_of(' ') == std::string::npos &&
        alt.find_first_not_of(' ') == std::string::npos) {
        reference_ = stats::PositionReference{};
        SetNote(L"Reference: the mean of the fixes.");
    } else {
        const char* message = "";
        if (!stats::CheckReference(lat.c_str(), lon.c_str(), alt.c_str(), &reference_, &message)) {
            wchar_t wide[128];
            Widen(wide, std::size(wide), message);
            SetNote(wide);
            return;
        }
        SetNote(L"Reference: the point typed.");
    }
    Refresh();
}

void PositionRun::OnPositionReset() {
    feed_.Reset();
    note_[0] = 0;
    Refresh();
}

void PositionRun::OnPositionClosed() {
    KillTimer(owner_, TIMER_POSITION);
}

void PositionRun::Shutdown() {
    KillTimer(owner_, TIMER_POSITION);
}

void PositionRun::OnPositionSave() {
    wchar_t path[MAX_PATH] = L"position-fixes.csv";
    // Fixes go on arriving meanwhile: the dialog's own loop delivers the lines.
    if (!ChooseCsvFile(dialog_.hwnd, L"Save Position Fixes", path))
        return;
    bool written = false;
    {
        UniqueFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        written =
            file &&
            stats::WritePositionCsv(series_, reference_, [&](const char* text, size_t size) {
                DWORD done = 0;
                return WriteFile(file.get(), text, static_cast<DWORD>(size), &done, nullptr) != 0 &&
                       done == size;
            });
    }
    char head[64];
    if (written)
        std::snprintf(head, sizeof head, "Saved %zu fixes to ", series_.fixes().size());
    else
        std::snprintf(head, sizeof head, "Could not write ");
    wchar_t note[MAX_PATH + 96];
    Widen(note, std::size(note), head);
    const size_t cap = std::size(note);
    text16::Append(AsText16(note), cap, AsText16(path));
    text16::Append(AsText16(note), cap, u".");
    SetNote(note);
}
