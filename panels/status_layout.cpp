#include "panels/status_layout.h"

#include <climits>

#include "nmea/text16.h"

namespace status_layout {

namespace {

constexpr Box kLabelBoxes[kLabelItems] = {
    {165, 5, 200, 25},    {165, 25, 200, 45},  {165, 45, 240, 65},
    {165, 65, 210, 85},   {165, 85, 210, 105}, {165, 105, 210, 125},
    {165, 125, 210, 145}, {5, 157, 35, 170},   {150, 157, 200, 170},
};

const char16_t* const kLabelTexts[kLabelItems] = {
    u"Date:", u"Time:", u"Direction:", u"Speed:", u"Status:", u"HDOP:", u"PDOP:", u"Lat:", u"Lon:",
};

constexpr Box kValueBoxes[kTextItems - kLabelItems] = {
    {225, 5, 300, 25},   {240, 25, 300, 45},   {240, 45, 300, 65},   {240, 65, 300, 85},
    {240, 85, 300, 105}, {240, 105, 300, 125}, {240, 125, 300, 145}, {40, 157, 55, 170},
    {60, 157, 140, 170}, {185, 157, 215, 170}, {205, 157, 305, 170},
};

constexpr int32_t kGridLeft = 320;
constexpr int32_t kCellWidth = 25;
constexpr int32_t kCellsPerRow = 10;
constexpr int32_t kRowHeight = 40;
constexpr int32_t kFirstGridBase = 40;
constexpr int32_t kSecondGridBase = 160;
constexpr int32_t kBarWidth = 18;
constexpr int32_t kTextWidth = 23;
constexpr int32_t kValueHeight = 20;
constexpr int32_t kNumberHeight = 50;
constexpr int32_t kUsedCap = 50;
constexpr int32_t kTrackedCap = 49;

// Sky positions come from unchecked receiver numbers; the box around one must
// not overflow.
int32_t Saturate(int64_t v) {
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

// A bar stands on the base line and is v/2 + 1 pixels tall. A value below
// -1 would turn the rectangle upside down; GDI then fills it downwards over
// the satellite number (Wine's FillRect normalises), so such a bar is empty.
Box BarBox(int32_t x0, int32_t base, int32_t v) {
    int64_t top = static_cast<int64_t>(base) - 1 - v / 2;
    if (top > base)
        top = base;
    return {x0, static_cast<int32_t>(top), x0 + kBarWidth, base};
}

// The white inside of a tracked bar leaves a one-pixel green frame; for v/2
// of 0 or less there is no inside at all.
Box InteriorBox(int32_t x0, int32_t base, int32_t v) {
    int64_t top = static_cast<int64_t>(base) - v / 2;
    if (top > base - 1)
        top = base - 1;
    return {x0 + 1, static_cast<int32_t>(top), x0 + kBarWidth - 1, base - 1};
}

Cell PlanCell(const SatelliteSlot& slot, int32_t satellite, int grid, int32_t n, bool logOpen,
              int32_t snrOffset) {
    const int32_t x0 = kGridLeft + kCellWidth * (n % kCellsPerRow);
    const int32_t base =
        (grid == 0 ? kFirstGridBase : kSecondGridBase) + kRowHeight * (n / kCellsPerRow);

    Cell cell{};
    cell.satellite = satellite;
    cell.grid = grid;
    cell.valueBox = {x0, base - kValueHeight, x0 + kTextWidth, base};
    cell.numberBox = {x0, base, x0 + kTextWidth, base + kNumberHeight};
    cell.skyBox = SkyCircleBox(slot.skyX, slot.skyY);
    cell.onChart = HasSkyPosition(slot);
    cell.textColor = grid == 0 ? kBlack : kCyan;
    cell.bar = {x0, base, x0, base};
    cell.barInterior = cell.bar;

    // The no-signal test looks at the stored value, never the offset one.
    if (slot.snr == 0) {
        cell.mark = Mark::kNoSignal;
        return cell;
    }
    int32_t v = DisplayedSnr(slot.snr, logOpen, snrOffset);
    if (slot.used == 1) {
        cell.mark = Mark::kUsed;
        if (v > kUsedCap)
            v = kUsedCap;
        cell.bar = BarBox(x0, base, v);
    } else {
        cell.mark = Mark::kTracked;
        if (v >= kUsedCap)
            v = kTrackedCap;
        cell.bar = BarBox(x0, base, v);
        cell.barInterior = InteriorBox(x0, base, v);
    }
    cell.value = v;
    return cell;
}

}  // namespace

std::array<TextItem, kTextItems> TextItems(const StatusTexts& texts) {
    const char16_t* const values[kTextItems - kLabelItems] = {
        texts.date,     texts.time,          texts.course,    texts.speed,
        texts.fixState, texts.hdop,          texts.pdop,      texts.latHemisphere,
        texts.latitude, texts.lonHemisphere, texts.longitude,
    };
    std::array<TextItem, kTextItems> items{};
    for (size_t i = 0; i < kLabelItems; ++i)
        items[i] = {kLabelBoxes[i], kLabelTexts[i]};
    for (size_t i = 0; i < kTextItems - kLabelItems; ++i)
        items[kLabelItems + i] = {kValueBoxes[i], values[i]};
    return items;
}

int32_t DisplayedSnr(int32_t snr, bool logOpen, int32_t snrOffset) {
    if (!logOpen)
        return snr;
    const int64_t sum = static_cast<int64_t>(snr) + snrOffset;
    return sum >= 0 ? Saturate(sum) : snr;
}

Box SkyCircleBox(int32_t skyX, int32_t skyY) {
    return {Saturate(static_cast<int64_t>(skyX) - 11), Saturate(static_cast<int64_t>(skyY) - 9),
            Saturate(static_cast<int64_t>(skyX) + 11), Saturate(static_cast<int64_t>(skyY) + 9)};
}

size_t PlanCells(const SatelliteSlot (&satellites)[kSatelliteSlots], bool logOpen,
                 int32_t snrOffset, std::array<Cell, kSatelliteSlots>& cells) {
    size_t count = 0;
    for (int grid = 0; grid < 2; ++grid) {
        const int32_t first = grid == 0 ? 0 : kLastFirstGridEntry + 1;
        const int32_t last = grid == 0 ? kLastFirstGridEntry : kSatelliteSlots - 1;
        int32_t n = 0;
        for (int32_t i = first; i <= last; ++i) {
            const SatelliteSlot& slot = satellites[i];
            if (slot.inView != 1)
                continue;
            cells[count++] = PlanCell(slot, i, grid, n++, logOpen, snrOffset);
        }
    }
    return count;
}

void FormatValue(int32_t value, char16_t (&out)[kNumberCapacity]) {
    if (text16::Format(out, kNumberCapacity, "%d", value) >= kNumberCapacity)
        text16::Copy(out, kNumberCapacity, u"?");
}

void FormatSatellite(int32_t satellite, char16_t (&out)[kNumberCapacity]) {
    if (text16::Format(out, kNumberCapacity, "%02d", satellite) >= kNumberCapacity)
        text16::Copy(out, kNumberCapacity, u"?");
}

}  // namespace status_layout
