// The cheapest host the intake can run against: it keeps the console's line
// count and colour and otherwise does nothing, so a benchmark measures the
// intake and the decoders rather than a stand-in for the window.
#pragma once

#include <cstddef>
#include <cstdint>

#include "nmea/intake_host.h"

class BenchHost : public IntakeHost {
  public:
    int ConsoleLineCount() override { return consoleLines_; }
    void ConsoleClear() override { consoleLines_ = 1; }
    void ConsoleInsert(const char16_t*) override { ++consoleLines_; }
    void SetConsoleColor(uint32_t colorref) override { color_ = colorref; }
    void EnableResetButtons() override {}
    void SetSbasCheck(bool) override {}
    void SetCoreVersion(const char16_t*) override {}
    void SetFirmwareVersion(const char16_t*) override {}
    void WriteLogLine(const char16_t*, size_t n) override { logged_ += n; }
    void Redraw() override { ++redraws_; }
    void SetCaption(const char16_t*) override {}
    uint32_t TickCount() override { return clockMs_; }
    bool UtcToLocal(const CivilTime& utc, CivilTime* local) override {
        return ShiftCivilTime(utc, 60, local);
    }

    void AdvanceClock(uint32_t milliseconds) { clockMs_ += milliseconds; }
    uint64_t redraws() const { return redraws_; }
    uint32_t color() const { return color_; }

  private:
    int consoleLines_ = 1;
    uint32_t color_ = 0;
    uint32_t clockMs_ = 1;
    uint64_t logged_ = 0;
    uint64_t redraws_ = 0;
};
