// What the sentence intake and the decoders need from the world outside the
// decoding core. The Win32 shell implements it with the real console, controls
// and clock; skyloom-decode and the tests implement it without any window.
#pragma once

#include <cstddef>
#include <cstdint>

#include "nmea/civil_time.h"

// COLORREF values, 0x00BBGGRR.
constexpr uint32_t kColorBlack = 0x000000;
constexpr uint32_t kColorRed = 0x0000FF;
constexpr uint32_t kColorGreen = 0x00FF00;

class IntakeHost {
  public:
    virtual ~IntakeHost() = default;

    // The setup panel's console.
    virtual int ConsoleLineCount() = 0;                    // EM_GETLINECOUNT
    virtual void ConsoleClear() = 0;                       // text set to ""
    virtual void ConsoleInsert(const char16_t* text) = 0;  // EM_REPLACESEL, not undoable
    virtual void SetConsoleColor(uint32_t colorref) = 0;   // colour of the next insertion

    // The setup panel's controls.
    virtual void EnableResetButtons() = 0;  // IDC_COLD_START and IDC_FACTORY_RESET
    virtual void SetSbasCheck(bool checked) = 0;
    virtual void SetCoreVersion(const char16_t* text) = 0;
    virtual void SetFirmwareVersion(const char16_t* text) = 0;

    // The log file: appends n code units when logging is on.
    virtual void WriteLogLine(const char16_t* line, size_t n) = 0;

    // The status panel: repaint at the next opportunity.
    virtual void Redraw() = 0;

    // The main window's caption.
    virtual void SetCaption(const char16_t* text) = 0;

    // Milliseconds since some fixed point, wrapping at 2^32 (GetTickCount).
    virtual uint32_t TickCount() = 0;

    // UTC to local time with the system's current zone offset. Returns false
    // when the conversion fails (a time the system calendar cannot hold).
    virtual bool UtcToLocal(const CivilTime& utc, CivilTime* local) = 0;
};
