// Geometry of the status and sky panel, free of any window API: where each
// label and value goes, which satellites take which grid cell, how tall each
// signal bar stands and where each sky circle sits. The painter only turns
// these boxes into GDI calls, so everything here is checked natively.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "nmea/receiver_status.h"

namespace status_layout {

// A rectangle in panel pixels; right and bottom are exclusive, as in GDI.
struct Box {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;

    bool Empty() const { return right <= left || bottom <= top; }
    bool operator==(const Box& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// COLORREF values, 0x00BBGGRR.
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kCyan = 0xFFFF00;
constexpr uint32_t kMagenta = 0xFF00FF;

// The sky picture is drawn at the panel's origin.
constexpr int32_t kSkySize = 155;

// One text of the panel: nine fixed labels, then the eleven value slots.
struct TextItem {
    Box box;
    const char16_t* text;
};
constexpr size_t kTextItems = 20;
constexpr size_t kLabelItems = 9;

// All twenty texts in drawing order; the value texts point into `texts`.
std::array<TextItem, kTextItems> TextItems(const StatusTexts& texts);

// The signal value shown for a satellite: with the log file open, the offset
// applies unless it would take the value below zero.
int32_t DisplayedSnr(int32_t snr, bool logOpen, int32_t snrOffset);

// The circle's bounding box around a sky position (22 x 18 pixels); the
// satellite's number is centred in the same box.
Box SkyCircleBox(int32_t skyX, int32_t skyY);

enum class Mark {
    kNoSignal,  // in view, snr 0: red circle, no bar, no value
    kUsed,      // used in the fix: blue bar, blue circle
    kTracked,   // tracked, not used: green-framed white bar, green circle
};

// Everything drawn for one in-view satellite.
struct Cell {
    int32_t satellite;  // entry number, drawn "%02d"
    int grid;           // 0: entries 0..32, 1: entries 33..255
    Mark mark;
    int32_t value;       // displayed value after offset and clamps (not for kNoSignal)
    Box bar;             // filled blue (kUsed) or green (kTracked); may be empty
    Box barInterior;     // filled white inside a tracked bar; may be empty
    Box valueBox;        // the value, top-left, magenta
    Box numberBox;       // the satellite number under the base line
    Box skyBox;          // the sky circle and its number
    bool onChart;        // false until the receiver gives the satellite a place
    uint32_t textColor;  // colour of the satellite number (grid and circle)
};

constexpr int32_t kLastFirstGridEntry = 32;

// Every in-view entry in drawing order: the first grid (entries 0 to 32),
// then the second (33 to 255), ascending, each grid filling its cells from 0.
// Returns the number of cells written.
size_t PlanCells(const SatelliteSlot (&satellites)[kSatelliteSlots], bool logOpen,
                 int32_t snrOffset, std::array<Cell, kSatelliteSlots>& cells);

// Short numbers for the grid. Both use the panel's 8-unit buffer. A value that
// does not fit (only a stored snr far below zero gives one) is shown as "?"
// rather than cut into a different, plausible-looking number.
constexpr size_t kNumberCapacity = 8;
void FormatValue(int32_t value, char16_t (&out)[kNumberCapacity]);
void FormatSatellite(int32_t satellite, char16_t (&out)[kNumberCapacity]);

}  // namespace status_layout
