#include "app/ttff_run.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "app/csv_file_dialog.h"
#include "app/link_control.h"
#include "link/command_set.h"
#include "nmea/receiver_model.h"
#include "nmea/text16.h"
#include "res/resource.h"
#include "win32/messages.h"
#include "win32/unique_handle.h"
#include "win32/wide_text.h"

using stats::TtffSeriesConfig;
using stats::TtffStep;

namespace {

// The command of each kind: $PMTK101 and $PMTK102; cold is the Cold Start
// button's own script, so a series of them measures what the button
// measures; full cold is $PMTK104, the sentence the factory reset sends.
linkrules::ReceiverCommand TtffStartCommand(stats::TtffStartKind kind) {
    using linkrules::ReceiverCommand;
    switch (kind) {
        case stats::TtffStartKind::kHot:
            return ReceiverCommand::kHotStart;
        case stats::TtffStartKind::kWarm:
            return ReceiverCommand::kWarmStart;
        case stats::TtffStartKind::kCold:
            return ReceiverCommand::kColdStart;
        case stats::TtffStartKind::kFullCold:
            return ReceiverCommand::kFactoryReset;
    }
    return ReceiverCommand::kColdStart;
}

constexpr UINT kTickMs = 100;
// A receiver that sends no GGA or no GSA shows no cycles: its fix is recorded
// with what the record holds this long after the fix line.
constexpr uint32_t kCycleWaitMs = 3000;

int FixTypeOf(FixState fixState) {
    if (fixState == FixState::k3D)
        return 3;
    if (fixState == FixState::k2D)
        return 2;
    return 0;
}

int SatellitesUsed(const ReceiverModel& status) {
    int used = 0;
    for (const SatelliteSlot& slot : status.satellites)
        used += slot.used != 0 ? 1 : 0;
    // No satellite marked: the receiver sent no GSA, which is not a fix
    // without satellites.
    return used > 0 ? used : -1;
}

// The series dates its runs with the local time and the zone offset at Start.
int32_t UtcOffsetMinutes(const SYSTEMTIME& local, const SYSTEMTIME& utc) {
    FILETIME l;
    FILETIME u;
    if (!SystemTimeToFileTime(&local, &l) || !SystemTimeToFileTime(&utc, &u))
        return 0;
    const auto ticks = [](const FILETIME& f) {
        return static_cast<int64_t>((static_cast<uint64_t>(f.dwHighDateTime) << 32) |
                                    f.dwLowDateTime);
    };
    const int64_t minute = 600000000;  // in 100 ns
    const int64_t difference = ticks(l) - ticks(u);
    return static_cast<int32_t>((difference + (difference < 0 ? -minute : minute) / 2) / minute);
}

bool WriteWholeFile(const wchar_t* path, const std::string& bytes) {
    UniqueFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) != 0 &&
           written == bytes.size();
}

}  // namespace

TtffRun::TtffRun(LinkControl& link, ReceiverModel& status, CTtffDlg& dialog)
    : link_(link), status_(status), dialog_(dialog) {}

void TtffRun::OpenDialog() {
    if (dialog_.IsOpen()) {
        ShowWindow(dialog_.hwnd, SW_SHOWNORMAL);
        SetActiveWindow(dialog_.hwnd);
        return;
    }
    if (dialog_.Create(owner_, *this, series_.config()))
        Show();
}

void TtffRun::OnTtffStart() {
    if (series_.running())
        return;
    TtffSeriesConfig config;
    config.kind = dialog_.Kind();
    // A box that holds no whole number is out of range like a number that is.
    const uint32_t kNotANumber = UINT32_MAX;
    if (!dialog_.Number(IDC_TTFF_RUNS, &config.runs))
        config.runs = kNotANumber;
    if (!dialog_.Number(IDC_TTFF_LIMIT, &config.limitSeconds))
        config.limitSeconds = kNotANumber;
    if (!dialog_.Number(IDC_TTFF_PAUSE, &config.pauseSeconds))
        config.pauseSeconds = kNotANumber;
    const stats::TtffConfigValue wrong = stats::FirstOutOfRange(config);
    if (wrong == stats::TtffConfigValue::kRuns) {
        SetNote("Runs: a whole number from 1 to %u.", stats::kTtffMaxRuns);
    } else if (wrong == stats::TtffConfigValue::kLimit) {
        SetNote("Time limit: a whole number of seconds from 1 to %u.", stats::kTtffMaxSeconds);
    } else if (wrong == stats::TtffConfigValue::kPause) {
        SetNote("Pause: a whole number of seconds from 0 to %u.", stats::kTtffMaxSeconds);
    } else if (!link_.link().IsOpen()) {
        SetNote("Open the receiver with Start GPS first.");
    } else if (link_.link().Live() && !link_.link().TakesCommands()) {
        SetNote("This source takes no commands: a series needs a receiver it can restart.");
    } else if (series_.Configure(config)) {
        SYSTEMTIME local;
        SYSTEMTIME utc;
        GetLocalTime(&local);
        GetSystemTime(&utc);
        CivilTime start;
        static_assert(sizeof start == sizeof local, "CivilTime is laid out as SYSTEMTIME");
        std::memcpy(&start, &local, sizeof start);
        const uint32_t now = GetTickCount();
        series_.Start(now, start, UtcOffsetMinutes(local, utc));
        SetTimer(owner_, TIMER_TTFF, kTickMs, nullptr);
        Step(now);
        return;
    }
    Show();
}

void TtffRun::OnTtffStop() {
    End("Stopped after %u of %u runs.");
}

void TtffRun::OnTtffClosed() {
    End("Stopped after %u of %u runs: the dialog was closed.");
}

void TtffRun::Shutdown() {
    End("Stopped after %u of %u runs.");
}

void TtffRun::AfterLine() {
    if (series_.running())
        Watch(GetTickCount());
}

void TtffRun::OnTimer() {
    const uint32_t now = GetTickCount();
    if (!series_.running()) {
        KillTimer(owner_, TIMER_TTFF);
        return;
    }
    // Checked on every tick, so a closed link ends the series whatever closed it.
    if (!link_.link().IsOpen()) {
        End("The link closed: stopped after %u of %u runs.");
        return;
    }
    Watch(now);
    Step(now);
}

void TtffRun::Watch(uint32_t now) {
    if (status_.ttffStartTick != 0 && status_.ttffStartTick != clockTick_) {
        clockTick_ = status_.ttffStartTick;
        series_.OnClockStarted(clockTick_);
    }
    if (status_.ttffDone != 0 && !fixSeen_) {
        fixSeen_ = true;
        fixPending_ = true;
        fixTick_ = now;
        fixType_ = FixTypeOf(status_.sent.fixState);
        cyclesAfterFix_ = 0;
    }
    // A GGA opens a cycle, and the GSA after it closes the one before. The
    // core restarts its clock on the line after the fix and does not decode
    // it, so the fix's own cycle may lack a GSA: the satellites and the HDOP
    // come from the first whole cycle after it, complete at the second GGA.
    const bool cycleOpened = gsaClearedSeen_ != 0 && status_.intake.gsaCleared == 0;
    gsaClearedSeen_ = status_.intake.gsaCleared;
    if (fixPending_ && cycleOpened)
        ++cyclesAfterFix_;
    if (fixPending_ && (cyclesAfterFix_ >= 2 || now - fixTick_ >= kCycleWaitMs))
        RecordFix();
}

void TtffRun::RecordFix() {
    fixPending_ = false;
    series_.OnFix(fixTick_, fixType_, SatellitesUsed(status_), status_.sent.hdop);
    if (!series_.running())
        Finished();
    Show();
}

void TtffRun::Finished() {
    SetNote("Done: %u runs.", static_cast<unsigned>(series_.count()));
    KillTimer(owner_, TIMER_TTFF);
}

void TtffRun::Step(uint32_t now) {
    // A fix seen before the limit is no timeout, even if its cycle ends after.
    if (fixPending_)
        return;
    switch (series_.OnTick(now)) {
        case TtffStep::kSendStart:
            sentTick_ = now;
            clockTick_ = 0;
            fixSeen_ = false;
            // Exactly what Cold Start does: the record and the clock start
            // afresh, the caption says "Skyloom", then the sentences go out.
            link_.Restart(TtffStartCommand(series_.config().kind));
            break;
        case TtffStep::kDone:
            Finished();
            break;
        case TtffStep::kWait:
            break;
    }
    Show();
}

void TtffRun::End(const char* note) {
    if (series_.running()) {
        if (fixPending_)
            RecordFix();
        const uint32_t runs = series_.config().runs;
        series_.Stop();
        SetNote(note, static_cast<unsigned>(series_.count()), runs);
    }
    fixPending_ = false;
    KillTimer(owner_, TIMER_TTFF);
    Show();
}

void TtffRun::SetNote(const char* format, ...) {
    char text[128];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    text16::CopyNarrow(AsText16Array(note_), text);
}

void TtffRun::OnTtffSave() {
    wchar_t path[MAX_PATH] = L"ttff-results.csv";
    // The series goes on meanwhile: the dialog's own loop dispatches TIMER_TTFF.
    if (!ChooseCsvFile(dialog_.hwnd, L"Save TTFF Results", path))
        return;
    std::string csv(series_.FormatCsv(nullptr, 0) + 1, '\0');
    csv.resize(series_.FormatCsv(&csv[0], csv.size()));
    const size_t cap = sizeof note_ / sizeof note_[0];
    if (WriteWholeFile(path, csv))
        SetNote("Saved %u runs to ", static_cast<unsigned>(series_.count()));
    else
        SetNote("Could not write ");
    text16::Append(AsText16(note_), cap, AsText16(path));
    text16::Append(AsText16(note_), cap, u".");
    Show();
}

void TtffRun::Show() {
    if (!dialog_.IsOpen())
        return;
    dialog_.ShowSeries(series_);
    if (!series_.running()) {
        // Nothing tells the dialog when the link opens: this text holds either way.
        dialog_.ShowState(note_[0] != 0 ? note_
                                        : L"Open the receiver (Start GPS), choose the start and "
                                          L"the runs, then press Start.");
        return;
    }
    const TtffSeriesConfig& config = series_.config();
    char text[128];
    if (series_.runInProgress() != 0) {
        std::snprintf(text, sizeof text,
                      "Run %u of %u: %s start sent %u s ago, waiting for the fix.",
                      series_.runInProgress(), config.runs, stats::TtffKindName(config.kind),
                      static_cast<unsigned>((GetTickCount() - sentTick_) / 1000));
    } else {
        std::snprintf(text, sizeof text, "Run %u of %u done, pausing %u s before the next.",
                      static_cast<unsigned>(series_.count()), config.runs, config.pauseSeconds);
    }
    wchar_t state[128];
    text16::CopyNarrow(AsText16Array(state), text);
    dialog_.ShowState(state);
}
