#include "panels/status_geometry.h"

#include <algorithm>
#include <climits>

#include "nmea/text16.h"
#include "panels/status_texts.h"

namespace status_layout {

namespace {

constexpr int32_t kDesignDpi = 96;

// How far right each text's box may grow in the default panel, in the order
// of TextItems: a label up to its value, a value up to the grids (x 312) or
// the next label; the longitude's hemisphere already runs into its number.
constexpr int32_t kDefaultRoom[kTextItems] = {
    225, 240, 240, 240, 240, 240, 240, 40, 185,  // the labels
    310, 310, 310, 310, 310, 310, 310, 60, 150, 215, 310,
};

// The larger panel, in design pixels: a margin round the chart, the texts'
// column right of it, the grid right of that.
constexpr int32_t kMargin = 5;
constexpr int32_t kLabelLeft = 10;  // from the chart's right edge
constexpr int32_t kLabelWidth = 70;
constexpr int32_t kValueLeft = 85;
constexpr int32_t kValueWidth = 115;
constexpr int32_t kHemisphereWidth = 18;
constexpr int32_t kTextColumn = 215;
constexpr int32_t kTextRow = 20;
constexpr int32_t kLetterWidth = 14;
constexpr int32_t kPitch = 25;
constexpr int32_t kCellWidth = 24;
constexpr int32_t kRowHeight = 40;
constexpr int32_t kFirstBase = 27;
constexpr int32_t kValueTop = 18;  // above the base line
constexpr int32_t kSmallText = 13;
constexpr int32_t kChartStep = 5;
// Markers keep the small font's size whatever the chart's, so they move
// further apart on a large chart than the picture lets them.
constexpr int32_t kLargeShift = 24;

int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(std::min<int64_t>(INT32_MAX, std::max<int64_t>(INT32_MIN, v)));
}

int32_t Unscale(int32_t value, int32_t dpi) {
    return dpi > 0 ? Clamp32(static_cast<int64_t>(value) * kDesignDpi / dpi) : value;
}

// Grows a text's box to the text, never left or up and never past `room`.
void Grow(Box& box, const Extent& extent, int32_t room) {
    const int64_t right = static_cast<int64_t>(box.left) + extent.width;
    box.right = std::max(box.right, Clamp32(std::min<int64_t>(right, room)));
    box.bottom = std::max(box.bottom, Clamp32(static_cast<int64_t>(box.top) + extent.height));
}

template <size_t N>
void GrowTexts(TextItem* items, size_t count, const int32_t (&room)[N], const TextMeter& meter) {
    for (size_t i = 0; i < count && i < N; ++i) {
        TextItem& item = items[i];
        if (item.text == nullptr || item.text[0] == 0)
            continue;
        Grow(item.box, meter.Measure(item.text, TextFont::kPanel), room[i]);
    }
}

// Wine's font is wider than Windows': a three-digit speed with its unit
// outgrows the default panel's room before the grids. Its digits are what
// the user reads, so the unit gives way, as it does for a speed too long for
// its text.
void FitSpeed(PanelPlan* plan, const int32_t (&room)[kTextItems], const TextMeter& meter) {
    TextItem& item = plan->texts[kSpeedItem];
    char16_t* speed = plan->shown.speed;
    if (item.text != speed || speed[0] == 0)
        return;
    const int64_t right =
        static_cast<int64_t>(item.box.left) + meter.Measure(speed, TextFont::kPanel).width;
    if (right <= std::max(room[kSpeedItem], item.box.right))
        return;
    for (char16_t* c = speed; *c != 0; ++c)
        if (*c == u' ') {
            *c = 0;
            break;
        }
}

// A scaled cell's texts may need a pixel more than the scaled box: the
// font's height is rounded once, the box's edges each.
void GrowCells(Plan& s, const TextMeter& meter) {
    const TextFont font = s.layout == Layout::kSystems ? TextFont::kLabel : TextFont::kPanel;
    const int32_t height = meter.Measure(u"0", font).height;
    for (size_t i = 0; i < s.count; ++i) {
        Cell& c = s.cells[i];
        c.labelBox.bottom = std::max(c.labelBox.bottom, c.labelBox.top + height);
        c.valueBox.bottom = std::max(c.valueBox.bottom, c.valueBox.top + height);
    }
}

void ScaleCell(Cell& c, int32_t dpi) {
    c.bar = ScaleBox(c.bar, dpi);
    c.barInterior = ScaleBox(c.barInterior, dpi);
    c.valueBox = ScaleBox(c.valueBox, dpi);
    c.labelBox = ScaleBox(c.labelBox, dpi);
    c.skyBox = ScaleBox(c.skyBox, dpi);
}

void ScalePlan(PanelPlan* plan, int32_t dpi, int32_t (&room)[kTextItems],
               int32_t (&detailRoom)[2 * kDetailRows]) {
    plan->chart = ScaleBox(plan->chart, dpi);
    for (size_t i = 0; i < kTextItems; ++i) {
        plan->texts[i].box = ScaleBox(plan->texts[i].box, dpi);
        room[i] = ScaleLength(room[i], dpi);
    }
    for (size_t i = 0; i < plan->detailCount; ++i) {
        plan->details[i].box = ScaleBox(plan->details[i].box, dpi);
        detailRoom[i] = ScaleLength(detailRoom[i], dpi);
    }
    for (size_t i = 0; i < plan->rowCount; ++i)
        plan->rows[i].letterBox = ScaleBox(plan->rows[i].letterBox, dpi);
    Plan& s = plan->satellites;
    for (size_t i = 0; i < s.count; ++i)
        ScaleCell(s.cells[i], dpi);
    s.omittedBox = ScaleBox(s.omittedBox, dpi);
}

struct LargeGrid {
    int32_t chart;  // side of the chart
    int32_t left;   // where the letters start
    int32_t cells;  // whole cells a row holds
};

// The grid's rows a panel `height` high shows whole.
int32_t RowsShown(int32_t height) {
    return std::max(1, (height - kMargin - kSmallText - kFirstBase) / kRowHeight + 1);
}

int32_t RowsFor(const int32_t (&perSystem)[kGnssSystems], int32_t cells) {
    int32_t rows = 0;
    for (int32_t n : perSystem)
        rows += (n + cells - 1) / cells;
    return rows;
}

// The largest chart that leaves the grid room for every system's rows; at
// the smallest chart the grid takes what rows it has.
LargeGrid ChooseGrid(int32_t width, int32_t height, const int32_t (&perSystem)[kGnssSystems]) {
    const int32_t rowsShown = RowsShown(height);
    auto at = [&](int32_t chart) {
        const int32_t left = kMargin + chart + kTextColumn;
        return LargeGrid{chart, left, (width - kMargin - left - kLetterWidth) / kPitch};
    };
    for (int32_t chart = height - 2 * kMargin; chart > kSkySize; chart -= kChartStep) {
        const LargeGrid g = at(chart);
        if (g.cells >= 1 && RowsFor(perSystem, g.cells) <= rowsShown)
            return g;
    }
    LargeGrid g = at(kSkySize);
    g.cells = std::max(1, g.cells);
    return g;
}

void PlanLargeTexts(const StatusTexts& texts, const LargeGrid& g, PanelPlan* plan,
                    int32_t (&room)[kTextItems]) {
    plan->texts = TextItems(texts);
    const int32_t labels = kMargin + g.chart + kLabelLeft;
    const int32_t values = labels + kValueLeft;
    const int32_t valuesRoom = g.left - kMargin;
    // Date, Time, Direction, Speed, Status, HDOP, PDOP, then Lat and Lon with
    // the hemisphere before the number.
    for (size_t row = 0; row < kLabelItems; ++row) {
        const int32_t top = kMargin + kTextRow * static_cast<int32_t>(row);
        plan->texts[row].box = {labels, top, labels + kLabelWidth, top + kTextRow};
        room[row] = values;
    }
    for (size_t v = 0; v < kTextItems - kLabelItems; ++v) {
        const size_t row = v < 7 ? v : 7 + (v - 7) / 2;
        const bool hemisphere = v >= 7 && (v - 7) % 2 == 0;
        const bool number = v >= 7 && !hemisphere;
        const int32_t top = kMargin + kTextRow * static_cast<int32_t>(row);
        const int32_t left = number ? values + kHemisphereWidth : values;
        const int32_t right = hemisphere ? values + kHemisphereWidth : values + kValueWidth;
        plan->texts[kLabelItems + v].box = {left, top, right, top + kTextRow};
        room[kLabelItems + v] = hemisphere ? right : valuesRoom;
    }
}

const char16_t* const kDetailLabels[kDetailRows] = {u"Altitude:", u"Satellites:", u"Quality:"};

// Below Lon, as many of the details as whole rows fit above the panel's edge.
void PlanDetails(const FixDetails& d, const LargeGrid& g, int32_t height, PanelPlan* plan,
                 int32_t (&room)[2 * kDetailRows]) {
    char16_t(&t)[kDetailRows][kDetailCapacity] = plan->detailTexts;
    if (d.altitudeKnown)
        text16::Format(t[0], kDetailCapacity, "%.1f m", d.altitude);
    if (d.satellitesUsed >= 0)
        text16::Format(t[1], kDetailCapacity, "%d / %d", static_cast<int>(d.satellitesUsed),
                       static_cast<int>(d.satellitesInView));
    else
        text16::Format(t[1], kDetailCapacity, "- / %d", static_cast<int>(d.satellitesInView));
    const char16_t* words = d.qualityKnown ? FixQualityWords(d.quality) : nullptr;
    text16::Copy(t[2], kDetailCapacity, words != nullptr ? words : u"");
    const int32_t labels = kMargin + g.chart + kLabelLeft;
    const int32_t values = labels + kValueLeft;
    for (size_t i = 0; i < kDetailRows; ++i) {
        const int32_t top = kMargin + kTextRow * static_cast<int32_t>(kLabelItems + i);
        if (top + kTextRow > height - kMargin)
            break;
        plan->details[2 * i] = {{labels, top, labels + kLabelWidth, top + kTextRow},
                                kDetailLabels[i]};
        plan->details[2 * i + 1] = {{values, top, values + kValueWidth, top + kTextRow}, t[i]};
        room[2 * i] = values;
        room[2 * i + 1] = g.left - kMargin;
        plan->detailCount = 2 * (i + 1);
    }
}

void PlanLargeGrid(const ReceiverModel& status, bool logOpen, int32_t snrOffset, const LargeGrid& g,
                   int32_t height, PanelPlan* plan) {
    std::array<const SatelliteSlot*, kSatelliteSlots> inView;
    const size_t count = InViewBySystem(status, &inView);
    Plan& s = plan->satellites;
    const int32_t rowsShown = RowsShown(height);
    int32_t row = -1;
    int32_t column = 0;
    bool first = true;
    GnssSystem system = GnssSystem::kGps;
    for (size_t i = 0; i < count; ++i) {
        const SatelliteSlot& slot = *inView[i];
        if (first || slot.system != system || column == g.cells) {
            ++row;
            column = 0;
            if (row >= rowsShown) {
                // No row left: the last cell counts those left out.
                s.omitted = static_cast<int32_t>(count - i);
                if (s.count > 0) {
                    --s.count;
                    ++s.omitted;
                    s.omittedBox = s.cells[s.count].labelBox;
                }
                break;
            }
            const int32_t base = kFirstBase + kRowHeight * row;
            if (first || slot.system != system) {
                SystemRow& r = plan->rows[plan->rowCount++];
                char16_t label[kNumberCapacity];
                SatelliteLabel({slot.system, 1}, label, kNumberCapacity);
                r.letter[0] = label[0];
                r.letter[1] = 0;
                r.letterBox = {g.left, base, g.left + kLetterWidth, base + kSmallText};
            }
            first = false;
            system = slot.system;
        }
        const int32_t base = kFirstBase + kRowHeight * row;
        const int32_t x0 = g.left + kLetterWidth + kPitch * column++;
        Cell cell{};
        cell.id = {slot.system, slot.own};
        // The letter stands at the row's start; the cell says the number.
        char16_t full[kNumberCapacity];
        SatelliteLabel(cell.id, full, kNumberCapacity);
        text16::Copy(cell.label, kNumberCapacity, full[0] != 0 ? full + 1 : full);
        cell.valueBox = {x0, base - kValueTop, x0 + kCellWidth, base - kValueTop + kSmallText};
        cell.labelBox = {x0, base, x0 + kCellWidth, base + kSmallText};
        const Box& c = plan->chart;
        // The marker says the system too: the chart has no rows to tell it.
        std::copy(full, full + kNumberCapacity, cell.skyLabel);
        const sky::SkyPoint at = sky::Project(sky::ChartIn(c.left, c.top, c.right, c.bottom),
                                              slot.elevation, slot.azimuth);
        cell.skyBox = MarkerAt(at.x, at.y, text16::Length(full));
        cell.onChart = HasSkyPosition(slot);
        cell.textColor = kBlack;
        PlanSignal(cell, slot, x0, base, logOpen, snrOffset);
        s.cells[s.count++] = cell;
    }
    SpreadMarkers(&s, plan->chart, kLargeShift);
}

}  // namespace

int32_t ScaleLength(int32_t value, int32_t dpi) {
    if (dpi <= 0 || dpi == kDesignDpi)
        return value;
    const int64_t scaled = static_cast<int64_t>(value) * dpi;
    return Clamp32((scaled + (scaled >= 0 ? kDesignDpi / 2 : -kDesignDpi / 2)) / kDesignDpi);
}

Box ScaleBox(const Box& b, int32_t dpi) {
    return {ScaleLength(b.left, dpi), ScaleLength(b.top, dpi), ScaleLength(b.right, dpi),
            ScaleLength(b.bottom, dpi)};
}

bool IsDefaultView(const View& view) {
    if (view.width <= 0 || view.height <= 0)
        return true;
    return Unscale(view.width, view.dpi) <= kDefaultWidth + kDefaultSlack &&
           Unscale(view.height, view.dpi) <= kDefaultHeight + kDefaultSlack;
}

ChartCircle ChartCircleOf(const Box& chart) {
    // The circle the projection places the satellites on.
    const sky::SkyChart c = sky::ChartIn(chart.left, chart.top, chart.right, chart.bottom);
    return {static_cast<int32_t>(c.centreX), static_cast<int32_t>(c.centreY),
            static_cast<int32_t>(c.radius)};
}

const char16_t* FixQualityWords(int32_t quality) {
    static const char16_t* const kWords[] = {
        u"No fix",         u"GPS",    u"DGPS",      u"PPS", u"RTK fixed", u"RTK float",
        u"Dead reckoning", u"Manual", u"Simulated",
    };
    if (quality < 0 || quality >= static_cast<int32_t>(sizeof kWords / sizeof kWords[0]))
        return nullptr;
    return kWords[quality];
}

void PlanPanel(const ReceiverModel& status, bool logOpen, int32_t snrOffset, const View& view,
               const TextMeter& meter, PanelPlan* plan, const FixDetails& details) {
    const int32_t dpi = view.dpi > 0 ? view.dpi : kDesignDpi;
    plan->dpi = dpi;
    plan->rowCount = 0;
    plan->detailCount = 0;
    int32_t detailRoom[2 * kDetailRows] = {};
    plan->satellites.count = 0;
    plan->satellites.omitted = 0;
    int32_t room[kTextItems];
    FormatStatusTexts(status, plan->shown);
    plan->large = !IsDefaultView(view);
    if (!plan->large) {
        plan->chart = {0, 0, kSkySize, kSkySize};
        plan->pictureChart = dpi == kDesignDpi;
        plan->texts = TextItems(plan->shown);
        std::copy(std::begin(kDefaultRoom), std::end(kDefaultRoom), room);
        PlanSatellites(status, logOpen, snrOffset, &plan->satellites);
    } else {
        const int32_t width = Unscale(view.width, dpi);
        const int32_t height = Unscale(view.height, dpi);
        int32_t perSystem[kGnssSystems] = {};
        for (int i = 0; i < status.satelliteCount; ++i)
            if (status.satellites[i].inView == 1)
                ++perSystem[static_cast<int>(status.satellites[i].system)];
        const LargeGrid g = ChooseGrid(width, height, perSystem);
        plan->pictureChart = false;
        plan->chart = {kMargin, kMargin, kMargin + g.chart, kMargin + g.chart};
        PlanLargeTexts(plan->shown, g, plan, room);
        PlanDetails(details, g, height, plan, detailRoom);
        plan->satellites.layout = Layout::kSystems;
        PlanLargeGrid(status, logOpen, snrOffset, g, height, plan);
    }
    ScalePlan(plan, dpi, room, detailRoom);
    FitSpeed(plan, room, meter);
    GrowTexts(plan->texts.data(), kTextItems, room, meter);
    GrowTexts(plan->details.data(), plan->detailCount, detailRoom, meter);
    if (dpi != kDesignDpi || plan->large) {
        GrowCells(plan->satellites, meter);
        const int32_t height = meter.Measure(u"G", TextFont::kLabel).height;
        for (size_t i = 0; i < plan->rowCount; ++i) {
            Box& b = plan->rows[i].letterBox;
            b.bottom = std::max(b.bottom, b.top + height);
        }
    }
}

}  // namespace status_layout
