// An IntakeHost without windows: the console, the setup panel's controls and
// the caption are recorded instead of shown, the clock is virtual and local
// time is UTC shifted by a fixed number of minutes. skyloom-decode, the fuzz
// target and the benchmarks drive the intake through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "nmea/intake_host.h"

class HeadlessHost : public IntakeHost {
  public:
    // The clock starts at 1 ms: 0 would read as "first-fix clock not started".
    static constexpr uint32_t kClockStartMs = 1;

    explicit HeadlessHost(int32_t utcOffsetMinutes = 0);

    // IntakeHost
    int ConsoleLineCount() override { return consoleLines_; }
    void ConsoleClear() override;
    void ConsoleInsert(const char16_t* text) override;
    void SetConsoleColor(uint32_t colorref) override;
    void EnableResetButtons() override { ++resetButtonEnables_; }
    void SetSbasCheck(bool checked) override { sbasCheck_ = checked ? 1 : 0; }
    void SetCoreVersion(const char16_t* text) override { coreVersion_ = text; }
    void SetFirmwareVersion(const char16_t* text) override { firmwareVersion_ = text; }
    void WriteLogLine(const char16_t*, size_t) override { ++logLines_; }
    void Redraw() override { ++redrawsThisLine_; }
    void SetCaption(const char16_t* text) override { caption_ = text; }
    uint32_t TickCount() override { return clockMs_; }
    bool UtcToLocal(const CivilTime& utc, CivilTime* local) override;

    // Forgets what the previous line left in the per-line records.
    void BeginLine();
    void AdvanceClock(uint32_t milliseconds) { clockMs_ += milliseconds; }

    // Per-line records, valid after the intake returned.
    bool inserted() const { return inserted_; }
    uint32_t insertColor() const { return insertColor_; }
    bool insertedSentenceName() const { return insertedSentenceName_; }
    bool verdictSet() const { return verdictSet_; }
    uint32_t verdictColor() const { return verdictColor_; }  // the first colour set for the line
    int redrawsThisLine() const { return redrawsThisLine_; }

    // Standing state.
    uint32_t consoleColor() const { return color_; }
    int consoleClears() const { return consoleClears_; }
    int resetButtonEnables() const { return resetButtonEnables_; }
    int sbasCheck() const { return sbasCheck_; }  // -1: never set
    uint64_t logLines() const { return logLines_; }
    const std::u16string& caption() const { return caption_; }
    const std::u16string& coreVersion() const { return coreVersion_; }
    const std::u16string& firmwareVersion() const { return firmwareVersion_; }
    int32_t utcOffsetMinutes() const { return utcOffsetMinutes_; }

  private:
    int32_t utcOffsetMinutes_;
    uint32_t clockMs_ = kClockStartMs;

    // A RichEdit control without word wrap counts its line breaks plus one.
    int consoleLines_ = 1;
    bool consoleEndsInCr_ = false;  // a CR LF split over two insertions is one break
    int consoleClears_ = 0;
    uint32_t color_ = kColorBlack;

    bool inserted_ = false;
    uint32_t insertColor_ = kColorBlack;
    bool insertedSentenceName_ = false;
    bool verdictSet_ = false;
    uint32_t verdictColor_ = kColorBlack;
    int redrawsThisLine_ = 0;

    int resetButtonEnables_ = 0;
    int sbasCheck_ = -1;
    uint64_t logLines_ = 0;
    std::u16string caption_ = u"Skyloom";
    std::u16string coreVersion_;
    std::u16string firmwareVersion_;
};

// True when the text's address field names a sentence of the receiver's
// reports, one the intake decodes once the first-fix clock runs.
bool NamesReport(const char16_t* text);
