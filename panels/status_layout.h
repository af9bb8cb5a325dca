// Geometry of the status and sky panel, free of any window API: where each
// label and value goes, which satellites take which grid cell, how tall each
// signal bar stands and where each sky circle sits. The painter only turns
// these boxes into GDI calls, so everything here is checked natively.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "nmea/receiver_model.h"
#include "panels/sky_projection.h"
#include "panels/status_texts.h"

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
// The speed's value among them: after the date, the time and the course.
constexpr size_t kSpeedItem = kLabelItems + 3;

// All twenty texts in drawing order; the value texts point into `texts`.
std::array<TextItem, kTextItems> TextItems(const StatusTexts& texts);

// The signal value shown for a satellite: with the log file open, the offset
// applies unless it would take the value below zero.
int32_t DisplayedSnr(int32_t snr, bool logOpen, int32_t snrOffset);

// The classic circle's bounding box around a sky position (22 x 18 pixels);
// the satellite's number is centred in the same box.
Box SkyCircleBox(int32_t skyX, int32_t skyY);

// Where the panel's own 155-pixel chart shows the satellite (HasSkyPosition).
sky::SkyPoint ClassicSkyPoint(const SatelliteSlot& slot);

enum class Mark {
    kNoSignal,  // in view, snr 0: red outline, no bar, no value
    kUsed,      // used in the fix: blue bar, blue outline
    kTracked,   // tracked, not used: green-framed white bar, green outline
};

// Which drawing the satellites get. A receiver whose satellite numbers name
// their systems by themselves (GPS 1-32, SBAS 33-64, GLONASS 65-96, QZSS
// 193-202, any other number up to 255 counting as GPS), as every receiver
// did before NMEA 0183 4.10, keeps the panel it always had: a grid for 1 to
// 32 and one, in cyan, for the rest. Once the record holds a satellite its
// number alone does not name (Galileo or BeiDou from 1, a QZSS or GLONASS
// number of its own talker, a number past 255), or while more satellites
// are in view than those grids hold, each satellite is labelled with its
// system's letter in one grid ordered by system.
enum class Layout { kClassic, kSystems };

// Short texts of the grid: the panel's 8-unit buffer.
constexpr size_t kNumberCapacity = 8;

// Everything drawn for one in-view satellite.
struct Cell {
    SatelliteId id;
    Mark mark;
    int32_t value;                    // displayed value after offset and clamps (not for kNoSignal)
    Box bar;                          // filled blue (kUsed) or green (kTracked); may be empty
    Box barInterior;                  // filled white inside a tracked bar; may be empty
    Box valueBox;                     // the value, top-left, magenta
    Box labelBox;                     // the label under the base line, top-left
    Box skyBox;                       // the sky marker, its label centred in it; in the grid by
                                      // system up to 16 pixels off its place where satellites crowd
    bool onChart;                     // false until the receiver gives the satellite a place
    uint32_t textColor;               // colour of the label (grid and marker)
    char16_t label[kNumberCapacity];  // "%02d" of the number sent, or "G05"
    // The marker's own label where the grid's says less ("G05" over a
    // system row's "05"); empty: the marker says `label`.
    char16_t skyLabel[kNumberCapacity];
    const char16_t* MarkerLabel() const { return skyLabel[0] != 0 ? skyLabel : label; }
};

struct Plan {
    Layout layout = Layout::kClassic;
    size_t count = 0;
    std::array<Cell, kSatelliteSlots> cells;  // in drawing order
    // More satellites than the systems grid holds (72, more than any place
    // on Earth sees today): its last cell counts those left out, "+N".
    int32_t omitted = 0;
    Box omittedBox;
};

constexpr int32_t kLastFirstGridEntry = 32;

// Every satellite in view, in drawing order. The classic grids fill from
// their first cells in ascending numbers; the systems grid runs GPS, SBAS,
// GLONASS, Galileo, BeiDou, QZSS, NavIC, each by its own numbers.
void PlanSatellites(const ReceiverModel& status, bool logOpen, int32_t snrOffset, Plan* plan);

// True when the classic grids show every satellite in view as they always did.
bool FitsClassicLayout(const ReceiverModel& status);

// The panel area the satellites' grids may use: below it the window ends.
constexpr int32_t kVisibleHeight = 240;

// Shared with the planner of the larger panel (status_geometry.cpp).
// The bar, its inside and the value of a cell whose base line starts at x0.
void PlanSignal(Cell& cell, const SatelliteSlot& slot, int32_t x0, int32_t base, bool logOpen,
                int32_t snrOffset);
// A systems marker around (x, y) for a label of `labelLength` characters,
// its edges saturated: sky places come from unchecked receiver numbers.
Box MarkerAt(int64_t x, int64_t y, size_t labelLength);
// Moves crowded markers apart, each by at most `shift` pixels either way and
// never off `bounds`; markers already off it stay where they are.
void SpreadMarkers(Plan* plan, const Box& bounds, int32_t shift);
// The satellites in view by system, then by own number; their count.
size_t InViewBySystem(const ReceiverModel& status,
                      std::array<const SatelliteSlot*, kSatelliteSlots>* out);

// Short numbers for the grid. A value that does not fit (only a stored snr
// far below zero gives one) is shown as "?" rather than cut into a
// different, plausible-looking number.
void FormatValue(int32_t value, char16_t (&out)[kNumberCapacity]);
void FormatSatellite(int32_t satellite, char16_t (&out)[kNumberCapacity]);

}  // namespace status_layout
