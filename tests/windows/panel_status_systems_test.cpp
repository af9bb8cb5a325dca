// The status panel's grid by system, painted into a memory DC: 48 satellites
// of four systems that share their numbers, each label drawn whole, in its
// own box and nowhere else, the bars and markers in the panel's colours.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "nmea/text16.h"
#include "panels/status_panel.h"
#include "tests/windows/panel_status_support.h"

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
    const auto texts = status_layout::TextItems(StatusTexts{});
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
