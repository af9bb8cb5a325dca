// The status panel's grid by system, painted into a memory DC: 48 satellites
// of four systems that share their numbers, each label drawn whole, in its
// own box and nowhere else, the bars and markers in the panel's colours.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "nmea/text16.h"
#include "panels/sky_chart.h"
#include "panels/status_panel.h"
#include "tests/windows/panel_status_support.h"
#include "win32/gdi_guards.h"

using namespace status_test;
using status_layout::Mark;

namespace {

constexpr GnssSystem kFour[] = {GnssSystem::kGps, GnssSystem::kGlonass, GnssSystem::kGalileo,
                                GnssSystem::kBeiDou};

struct SystemsGrid : StatusPanelFixture {
    // Twelve satellites of each of the four systems, numbered 1 to 12 in their
    // own talkers; every third without a signal, every other one used, spread
    // over the sky.
    void FortyEight() {
        int k = 0;
        for (GnssSystem system : kFour)
            for (int n = 1; n <= 12; ++n, ++k)
                SetSatellite(system == GnssSystem::kGlonass ? 64 + n : n, n % 3 == 0 ? 0 : 20 + n,
                             n % 2 == 0, 20 + (k * 37) % 115, 20 + (k * 53) % 115,
                             {system, system != GnssSystem::kGps});
    }
    std::unique_ptr<status_layout::Plan> Planned() {
        auto plan = std::make_unique<status_layout::Plan>();
        status_layout::PlanSatellites(model, false, 0, plan.get());
        return plan;
    }
};

bool InBox(int x, int y, const status_layout::Box& b) {
    return x >= b.left && x < b.right && y >= b.top && y < b.bottom;
}

TEST_F(SystemsGrid, FortyEightLabelsAreEachDrawnWholeInTheirOwnBoxes) {
    FortyEight();
    const auto plan = Planned();
    ASSERT_EQ(plan->layout, status_layout::Layout::kSystems);
    ASSERT_EQ(plan->count, 48u);
    Canvas c;
    Paint(c);

    // Each label alone, in the labels' font, is the reference for its box.
    HDC measure = c.dc();
    HGDIOBJ oldFont = SelectObject(measure, panel.labelFont.get());
    std::vector<std::string> seen;
    for (size_t i = 0; i < plan->count; ++i) {
        const status_layout::Cell& cell = plan->cells[i];
        const std::wstring label(cell.label, cell.label + text16::Length(cell.label));
        SCOPED_TRACE(std::string(label.begin(), label.end()));
        seen.emplace_back(label.begin(), label.end());
        // Nothing of the text is cut off by its box.
        SIZE extent{};
        GetTextExtentPoint32W(measure, label.c_str(), static_cast<int>(label.size()), &extent);
        EXPECT_LE(extent.cx, cell.labelBox.right - cell.labelBox.left);
        EXPECT_LE(extent.cy, cell.labelBox.bottom - cell.labelBox.top);
        // The box holds exactly the label's ink, as drawn on white.
        Canvas alone;
        SelectObject(alone.dc(), panel.labelFont.get());
        SetBkMode(alone.dc(), TRANSPARENT);
        RECT r{cell.labelBox.left, cell.labelBox.top, cell.labelBox.right, cell.labelBox.bottom};
        FillRect(alone.dc(), &r, panel.whiteBrush.get());
        DrawTextW(alone.dc(), label.c_str(), -1, &r, 0);
        int ink = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                ASSERT_EQ(c.At(x, y), alone.At(x, y)) << x << "," << y;
                ink += alone.At(x, y) == kBlack;
            }
        EXPECT_GT(ink, 12);
    }
    SelectObject(measure, oldFont);
    // Every satellite once, each system's letter before its number.
    for (const char* label : {"G01", "G12", "R01", "R12", "E01", "E12", "C01", "C12"})
        EXPECT_NE(std::find(seen.begin(), seen.end(), label), seen.end()) << label;

    // Outside the sky picture and the texts, black is only in labels: no
    // label is drawn over another, nor anything else in black.
    const auto texts = PlanOf(c)->texts;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (c.At(x, y) != kBlack || (x < 155 && y < 155))
                continue;
            bool owned = false;
            for (const auto& t : texts)
                owned = owned || InBox(x, y, t.box);
            for (size_t i = 0; i < plan->count; ++i)
                owned = owned || InBox(x, y, plan->cells[i].labelBox);
            ASSERT_TRUE(owned) << "black at " << x << "," << y;
            ASSERT_LT(y, status_layout::kVisibleHeight);
        }
}

TEST_F(SystemsGrid, BarsValuesAndMarkersKeepThePanelsColours) {
    FortyEight();
    const auto plan = Planned();
    Canvas c;
    Paint(c);
    for (size_t i = 0; i < plan->count; ++i) {
        const status_layout::Cell& cell = plan->cells[i];
        SCOPED_TRACE(testing::Message() << "cell " << i);
        const int x0 = cell.labelBox.left, base = cell.labelBox.top;
        switch (cell.mark) {
            case Mark::kUsed:
                EXPECT_EQ(BarHeight(c, x0 + 17, base, kBlue), cell.value / 2 + 1);
                break;
            case Mark::kTracked:
                EXPECT_EQ(BarHeight(c, x0 + 17, base, kGreen), cell.value / 2 + 1);
                EXPECT_EQ(c.Count(kGreen, x0, base - 1, x0 + 18, base), 18);
                break;
            case Mark::kNoSignal:
                EXPECT_EQ(c.Count(kBlue, x0, base - 27, x0 + 23, base), 0);
                EXPECT_EQ(c.Count(kGreen, x0, base - 27, x0 + 23, base), 0);
                break;
        }
        // The value in magenta above the base line, for a satellite heard.
        const int magenta = c.Count(kMagenta, x0, base - 27, x0 + 21, base);
        EXPECT_EQ(magenta > 3, cell.mark != Mark::kNoSignal) << magenta;
    }
    // Markers around the sky positions in the colour of their mark; those
    // used in the fix are drawn last, so none of them is hidden.
    for (size_t i = 0; i < plan->count; ++i) {
        const status_layout::Cell& cell = plan->cells[i];
        if (cell.mark != Mark::kUsed)
            continue;
        const auto& b = cell.skyBox;
        EXPECT_GT(c.Count(kBlue, b.left - 1, b.top - 1, b.right + 1, b.bottom + 1), 8)
            << "cell " << i;
    }
}

}  // namespace

namespace {

// The texts a receiver gives the panel at their longest.
// What makes the widest texts a receiver sends in each slot.
void LongestTexts(ReceiverModel& m) {
    m.receiverTime = CivilTime{2026, 12, 2, 8, 23, 58, 58, 0};
    SentFields& s = m.sent;
    s.localTime = 1;
    s.rmcSent = 1;
    s.fixState = FixState::kNoFix;
    text16::Copy(s.course, u"359.99");
    text16::Copy(s.speedKnots, u"101.0");  // 187 km/h
    text16::Copy(s.hdop, u"99.99");
    text16::Copy(s.pdop, u"99.99");
    text16::Copy(s.latitude, u"4807.0799");
    text16::Copy(s.latHemisphere, u"N");
    text16::Copy(s.longitude, u"01131.0648");
    text16::Copy(s.lonHemisphere, u"W");
}

}  // namespace

// The default panel at 144 and 192 dpi, and larger panels at 96, 144 and 192
// dpi: every text whole in its box and apart from the others, every cell
// whole on the panel, the chart a circle round its zenith.
TEST_F(SystemsGrid, AtEverySizeAndDpiTextsAreWholeAndApartCellsWholeAndTheChartRound) {
    const status_layout::View views[] = {
        {574, 248, 96},  {861, 372, 144},  {1148, 496, 192},
        {1192, 427, 96}, {1788, 640, 144}, {2384, 854, 192},
    };
    FortyEight();
    LongestTexts(model);
    for (const auto& view : views) {
        SCOPED_TRACE(testing::Message() << view.width << "x" << view.height << " @" << view.dpi);
        panel.SetView(view);
        ASSERT_EQ(panel.DrawingDpi(), view.dpi);
        Canvas c(view.width, view.height);
        Paint(c);
        const auto plan = PlanOf(c);
        const bool systemsFont = plan->satellites.layout == status_layout::Layout::kSystems;
        HFONT cellFont = systemsFont ? panel.labelFont.get() : panel.textFont.get();

        // Whole: what the font needs fits the box, and the box is on the panel.
        std::vector<std::pair<status_layout::Box, HFONT>> owners;
        auto whole_in = [&](const char16_t* text, const status_layout::Box& box, HFONT font) {
            const std::wstring w(text, text + text16::Length(text));
            if (w.empty())
                return;
            Selection chosen(c.dc(), font);
            SIZE extent{};
            GetTextExtentPoint32W(c.dc(), w.c_str(), static_cast<int>(w.size()), &extent);
            EXPECT_LE(extent.cx, box.right - box.left) << std::string(w.begin(), w.end());
            EXPECT_LE(extent.cy, box.bottom - box.top) << std::string(w.begin(), w.end());
            EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= view.width &&
                        box.bottom <= view.height);
            owners.emplace_back(box, font);
        };
        for (const auto& t : plan->texts)
            whole_in(t.text, t.box, panel.textFont.get());
        // Where the unit has no room, the digits still have.
        EXPECT_EQ(std::u16string(plan->texts[status_layout::kSpeedItem].text).substr(0, 3), u"187");
        for (size_t i = 0; i < plan->detailCount; ++i)
            whole_in(plan->details[i].text, plan->details[i].box, panel.textFont.get());
        EXPECT_EQ(plan->detailCount > 0, plan->large);
        for (size_t i = 0; i < plan->rowCount; ++i)
            whole_in(plan->rows[i].letter, plan->rows[i].letterBox, panel.labelFont.get());
        const auto& s = plan->satellites;
        for (size_t i = 0; i < s.count; ++i)
            whole_in(s.cells[i].label, s.cells[i].labelBox, cellFont);
        // Apart: no text's box reaches into another's. In the default
        // layout the longitude's hemisphere has always run into "Lon:" and
        // into its number.
        for (size_t i = 0; i < owners.size(); ++i)
            for (size_t j = i + 1; j < owners.size(); ++j) {
                if (!plan->large && j == 18 && (i == 8 || i == 18))
                    continue;
                if (!plan->large && i == 18 && j == 19)
                    continue;
                const auto &a = owners[i].first, &b = owners[j].first;
                EXPECT_FALSE(a.left < b.right && b.left < a.right && a.top < b.bottom &&
                             b.top < a.bottom)
                    << i << " and " << j;
            }
        // And so black, away from the chart, is only ever in them.
        for (int y = 0; y < c.Height(); ++y)
            for (int x = 0; x < c.Width(); ++x) {
                if (c.At(x, y) != kBlack || InBox(x, y, plan->chart))
                    continue;
                bool owned = false;
                for (const auto& o : owners)
                    owned = owned || InBox(x, y, o.first);
                ASSERT_TRUE(owned) << "black at " << x << "," << y;
            }
        // Cells whole: each bar painted to its last pixel, on the panel.
        for (size_t i = 0; i < s.count; ++i) {
            const status_layout::Cell& cell = s.cells[i];
            const auto& b = cell.bar;
            if (cell.mark == Mark::kNoSignal || b.Empty())
                continue;
            ASSERT_TRUE(b.right <= view.width && b.bottom <= view.height) << "cell " << i;
            // The value is written over the bar in magenta.
            const COLORREF fill = cell.mark == Mark::kUsed ? kBlue : kGreen;
            const int painted =
                c.Count(fill, b.left, b.top, b.right, b.bottom) +
                c.Count(kMagenta, b.left, b.top, b.right, b.bottom) +
                (cell.mark == Mark::kTracked ? c.Count(kWhite, b.left, b.top, b.right, b.bottom)
                                             : 0);
            EXPECT_EQ(painted, (b.right - b.left) * (b.bottom - b.top)) << "cell " << i;
        }
    }
    // The chart alone: the globe's colour fills a circle round the zenith.
    ClearReceiverModel(model);
    for (const auto& view : views) {
        SCOPED_TRACE(testing::Message() << view.width << "x" << view.height << " @" << view.dpi);
        panel.SetView(view);
        Canvas c(view.width, view.height);
        Paint(c);
        const auto plan = PlanOf(c);
        if (plan->pictureChart)
            continue;
        const auto circle = status_layout::ChartCircleOf(plan->chart);
        const RECT globe = c.Extent(kChartGlobe, plan->chart.left, plan->chart.top,
                                    plan->chart.right, plan->chart.bottom);
        EXPECT_NEAR(globe.right - globe.left, 2 * circle.radius, 4);
        EXPECT_NEAR(globe.bottom - globe.top, 2 * circle.radius, 4);
        EXPECT_NEAR((globe.left + globe.right) / 2, circle.centerX, 2);
        EXPECT_NEAR((globe.top + globe.bottom) / 2, circle.centerY, 2);
        // N above the horizon: white strokes on the night sky, not a box.
        const int bandMiddle = (plan->chart.top + circle.centerY - circle.radius) / 2;
        const int half = (circle.centerY - circle.radius - plan->chart.top) / 2;
        const int white = c.Count(kWhite, circle.centerX - half, bandMiddle - half,
                                  circle.centerX + half, bandMiddle + half);
        const int night = c.Count(kChartSky, circle.centerX - half, bandMiddle - half,
                                  circle.centerX + half, bandMiddle + half);
        EXPECT_GT(white, 5);
        EXPECT_GT(night, white) << "the letter N";
        for (int k = 0; k < 16; ++k) {
            const double a = (k + 0.5) * 3.14159265 / 8;
            auto at = [&](double r) {
                return c.At(circle.centerX + static_cast<int>(r * std::cos(a)),
                            circle.centerY + static_cast<int>(r * std::sin(a)));
            };
            EXPECT_EQ(at(circle.radius * 0.9), kChartGlobe) << k;
            EXPECT_EQ(at(circle.radius * 1.08), kChartSky) << k;
        }
    }
}
