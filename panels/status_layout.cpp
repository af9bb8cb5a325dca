#include "panels/status_layout.h"

#include <algorithm>
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

// The classic grids.
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
// What the classic grids hold before a row runs into the next grid or out
// of the window: three rows of the first, two of the second.
constexpr int32_t kFirstGridCells = 30;
constexpr int32_t kSecondGridCells = 20;

// The systems grid: the labels' small font ("G05" takes 19 pixels of Tahoma
// on Windows, 23 of Wine's, and 13 in height), rows of cells right of the
// texts and one more under them.
struct Band {
    int32_t left;
    int32_t cells;
    int32_t firstBase;
    int32_t rows;
};
constexpr int32_t kSystemsPitch = 25;
constexpr int32_t kSystemsRowHeight = 40;
constexpr int32_t kSystemsValueTop = 18;  // above the base line
constexpr int32_t kSystemsTextHeight = 13;
constexpr Band kSystemsBands[] = {
    {312, 10, 27, 6},  // x 312 to 561: rows at 27, 67 ... 227
    {5, 12, 227, 1},   // under Lat and Lon, level with the last row
};
// A marker around a label of three characters; a longer label widens it.
constexpr int32_t kMarkerHalfWidth = 13;
constexpr int32_t kMarkerHalfWidthPerChar = 4;
constexpr int32_t kMarkerHalfHeight = 7;
// How far a marker may move off its sky position to uncover another: two
// satellites at one place end a marker's height apart, and a few more
// around them still find room.
constexpr int32_t kMarkerShift = 16;
// The larger chart lets them go further.
constexpr int32_t kMostShift = 24;

bool BySystem(const SatelliteSlot* a, const SatelliteSlot* b) {
    if (a->system != b->system)
        return a->system < b->system;
    return a->own < b->own;
}

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

Cell PlanClassicCell(const SatelliteSlot& slot, int grid, int32_t n, bool logOpen,
                     int32_t snrOffset) {
    const int32_t x0 = kGridLeft + kCellWidth * (n % kCellsPerRow);
    const int32_t base =
        (grid == 0 ? kFirstGridBase : kSecondGridBase) + kRowHeight * (n / kCellsPerRow);
    Cell cell{};
    cell.id = {slot.system, slot.own};
    cell.valueBox = {x0, base - kValueHeight, x0 + kTextWidth, base};
    cell.labelBox = {x0, base, x0 + kTextWidth, base + kNumberHeight};
    const sky::SkyPoint at = ClassicSkyPoint(slot);
    cell.skyBox = SkyCircleBox(at.x, at.y);
    cell.onChart = HasSkyPosition(slot);
    cell.textColor = grid == 0 ? kBlack : kCyan;
    FormatSatellite(slot.number, cell.label);
    PlanSignal(cell, slot, x0, base, logOpen, snrOffset);
    return cell;
}

// Where the systems grid's cell unit `k` stands; false past the last one.
bool SystemsCellAt(int32_t k, int32_t* x0, int32_t* base) {
    for (const Band& band : kSystemsBands) {
        if (k < band.cells * band.rows) {
            *x0 = band.left + kSystemsPitch * (k % band.cells);
            *base = band.firstBase + kSystemsRowHeight * (k / band.cells);
            return true;
        }
        k -= band.cells * band.rows;
    }
    return false;
}

int32_t SystemsCellUnits() {
    int32_t units = 0;
    for (const Band& band : kSystemsBands)
        units += band.cells * band.rows;
    return units;
}

Box MarkerBox(const SatelliteSlot& slot, size_t labelLength) {
    const sky::SkyPoint at = ClassicSkyPoint(slot);
    return MarkerAt(at.x, at.y, labelLength);
}

bool Overlap(const Box& a, const Box& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

Box Shifted(const Box& b, int32_t dx, int32_t dy) {
    return {b.left + dx, b.top + dy, b.right + dx, b.bottom + dy};
}

void PlanClassic(const ReceiverModel& status, bool logOpen, int32_t snrOffset, Plan* plan) {
    int32_t n[2] = {0, 0};
    for (int i = 0; i < status.satelliteCount; ++i) {
        // In ascending numbers: the first grid's before the second's.
        const SatelliteSlot& slot = status.satellites[status.order[i]];
        if (slot.inView != 1)
            continue;
        const int grid = slot.number <= kLastFirstGridEntry ? 0 : 1;
        plan->cells[plan->count++] = PlanClassicCell(slot, grid, n[grid]++, logOpen, snrOffset);
    }
}

void PlanSystems(const ReceiverModel& status, bool logOpen, int32_t snrOffset, Plan* plan) {
    std::array<const SatelliteSlot*, kSatelliteSlots> inView;
    const size_t count = InViewBySystem(status, &inView);
    const int32_t units = SystemsCellUnits();
    int32_t k = 0;
    for (size_t i = 0; i < count; ++i) {
        const SatelliteSlot& slot = *inView[i];
        Cell cell{};
        cell.id = {slot.system, slot.own};
        SatelliteLabel(cell.id, cell.label, kNumberCapacity);
        const size_t length = text16::Length(cell.label);
        const int32_t wide = length <= 3 ? 1 : 2;
        int32_t x0 = 0, base = 0, x1 = 0, base1 = 0;
        // A wide label takes two units of one row; a row's last unit stays empty then.
        if (wide == 2 && SystemsCellAt(k, &x0, &base) && SystemsCellAt(k + 1, &x1, &base1) &&
            x1 < x0)
            ++k;
        // While more follow, the last unit is kept for counting those that do not fit.
        const int32_t room = i + 1 == count ? units : units - 1;
        if (k + wide > room) {
            int32_t x = 0, y = 0;
            SystemsCellAt(units - 1, &x, &y);
            plan->omitted = static_cast<int32_t>(count - i);
            plan->omittedBox = {x, y, x + kSystemsPitch - 1, y + kSystemsTextHeight};
            break;
        }
        SystemsCellAt(k, &x0, &base);
        k += wide;
        const int32_t width = kSystemsPitch * wide - 1;
        cell.valueBox = {x0, base - kSystemsValueTop, x0 + width,
                         base - kSystemsValueTop + kSystemsTextHeight};
        cell.labelBox = {x0, base, x0 + width, base + kSystemsTextHeight};
        cell.skyBox = MarkerBox(slot, length);
        cell.onChart = HasSkyPosition(slot);
        cell.textColor = kBlack;
        PlanSignal(cell, slot, x0, base, logOpen, snrOffset);
        plan->cells[plan->count++] = cell;
    }
    SpreadMarkers(plan, Box{0, 0, kSkySize, kSkySize}, kMarkerShift);
}

}  // namespace

// The bar and value of a cell whose base line starts at x0.
size_t InViewBySystem(const ReceiverModel& status,
                      std::array<const SatelliteSlot*, kSatelliteSlots>* out) {
    size_t count = 0;
    for (int i = 0; i < status.satelliteCount; ++i)
        if (status.satellites[i].inView == 1)
            (*out)[count++] = &status.satellites[i];
    std::sort(out->begin(), out->begin() + count, BySystem);
    return count;
}

Box MarkerAt(int64_t x, int64_t y, size_t labelLength) {
    const int32_t half =
        kMarkerHalfWidth + kMarkerHalfWidthPerChar * (static_cast<int32_t>(labelLength) - 3);
    return {Saturate(x - half), Saturate(y - kMarkerHalfHeight), Saturate(x + half),
            Saturate(y + kMarkerHalfHeight)};
}

void PlanSignal(Cell& cell, const SatelliteSlot& slot, int32_t x0, int32_t base, bool logOpen,
                int32_t snrOffset) {
    cell.bar = {x0, base, x0, base};
    cell.barInterior = cell.bar;
    // The no-signal test looks at the stored value, never the offset one.
    if (slot.snr == 0) {
        cell.mark = Mark::kNoSignal;
        return;
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
}

// Satellites crowd where the sky is small: each marker, from the top one
// down (used, tracked, no signal, as they are drawn last to first), moves by
// a few pixels, the fewest it can, to where it covers none placed before it
// and stays on the picture; one that finds no such place keeps its own.
void SpreadMarkers(Plan* plan, const Box& bounds, int32_t shift) {
    struct Offset {
        int32_t dx, dy;
    };
    // Every shift in steps of 2 pixels, the shortest first.
    static const auto kOffsets = [] {
        std::array<Offset, (kMostShift + 1) * (kMostShift + 1)> offsets{};
        size_t n = 0;
        for (int32_t dy = -kMostShift; dy <= kMostShift; dy += 2)
            for (int32_t dx = -kMostShift; dx <= kMostShift; dx += 2)
                offsets[n++] = {dx, dy};
        std::stable_sort(offsets.begin(), offsets.begin() + n, [](Offset a, Offset b) {
            return a.dx * a.dx + a.dy * a.dy < b.dx * b.dx + b.dy * b.dy;
        });
        return std::make_pair(offsets, n);
    }();
    std::array<size_t, kSatelliteSlots> order;
    size_t n = 0;
    for (Mark layer : {Mark::kUsed, Mark::kTracked, Mark::kNoSignal})
        for (size_t i = 0; i < plan->count; ++i)
            if (plan->cells[i].onChart && plan->cells[i].mark == layer)
                order[n++] = i;
    std::array<Box, kSatelliteSlots> placed;
    const Box& sky = bounds;
    auto onPicture = [&](const Box& b) {
        return b.left >= sky.left && b.right <= sky.right && b.top >= sky.top &&
               b.bottom <= sky.bottom;
    };
    for (size_t k = 0; k < n; ++k) {
        Box& box = plan->cells[order[k]].skyBox;
        // A marker already off the picture (below the horizon) stays put.
        for (size_t o = 0; o < kOffsets.second && onPicture(box); ++o) {
            const Offset step = kOffsets.first[o];
            if (step.dx > shift || step.dx < -shift || step.dy > shift || step.dy < -shift)
                continue;
            const Box c = Shifted(box, step.dx, step.dy);
            bool free = onPicture(c);
            for (size_t j = 0; j < k && free; ++j)
                free = !Overlap(c, placed[j]);
            if (free) {
                box = c;
                break;
            }
        }
        placed[k] = box;
    }
}

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

sky::SkyPoint ClassicSkyPoint(const SatelliteSlot& slot) {
    return sky::Project(sky::kClassicChart, slot.elevation, slot.azimuth);
}

Box SkyCircleBox(int32_t skyX, int32_t skyY) {
    return {Saturate(static_cast<int64_t>(skyX) - 11), Saturate(static_cast<int64_t>(skyY) - 9),
            Saturate(static_cast<int64_t>(skyX) + 11), Saturate(static_cast<int64_t>(skyY) + 9)};
}

bool FitsClassicLayout(const ReceiverModel& status) {
    int32_t cells[2] = {0, 0};
    for (int i = 0; i < status.satelliteCount; ++i) {
        // Every satellite since the clearing, in view or not: a receiver's
        // systems report one after the other, and the panel redrawn after
        // each must not change its grids back and forth within a cycle.
        const SatelliteSlot& slot = status.satellites[i];
        const SatelliteId alone = IdentifySatellite(slot.number, {GnssSystem::kGps, false});
        if (slot.number >= kSatelliteSlots || alone.system != slot.system || alone.own != slot.own)
            return false;
        if (slot.inView == 1)
            ++cells[slot.number <= kLastFirstGridEntry ? 0 : 1];
    }
    return cells[0] <= kFirstGridCells && cells[1] <= kSecondGridCells;
}

void PlanSatellites(const ReceiverModel& status, bool logOpen, int32_t snrOffset, Plan* plan) {
    plan->count = 0;
    plan->omitted = 0;
    plan->layout = FitsClassicLayout(status) ? Layout::kClassic : Layout::kSystems;
    if (plan->layout == Layout::kClassic)
        PlanClassic(status, logOpen, snrOffset, plan);
    else
        PlanSystems(status, logOpen, snrOffset, plan);
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
