// The main window's layout and the status panel at other sizes and DPIs,
// checked as geometry: the default stays today's, a larger window gives the
// room where it is wanted, and nothing of the larger panel overlaps, leaves
// the panel or is cut.
#include "panels/status_geometry.h"
#include "nmea/text16.h"
#include "panels/status_texts.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "panels/window_layout.h"
#include "tests/native/sky_angles.h"

#include "tests/native/box_checks.h"

using status_layout::Box;
using status_layout::Cell;
using status_layout::PanelPlan;
using status_layout::View;

namespace {

using box_checks::Inside;
using box_checks::Overlap;

int64_t Area(const Box& b) {
    return static_cast<int64_t>(b.right - b.left) * (b.bottom - b.top);
}

// About Wine's fonts at 96 dpi: 9 pixels for a digit or a W, 7 for any
// other character; scaled with the DPI. A wider font's digits take `digit`.
class FixedMeter : public status_layout::TextMeter {
  public:
    explicit FixedMeter(int32_t dpi, int32_t digit = 9) : dpi_(dpi), digit_(digit) {}
    status_layout::Extent Measure(const char16_t* text,
                                  status_layout::TextFont font) const override {
        int32_t width = 0;
        for (const char16_t* p = text; *p != 0; ++p)
            width += *p >= u'0' && *p <= u'9' ? digit_ : *p == u'W' ? 9 : 7;
        const int32_t height = font == status_layout::TextFont::kPanel ? 16 : 13;
        return {status_layout::ScaleLength(width, dpi_), status_layout::ScaleLength(height, dpi_)};
    }

  private:
    int32_t dpi_;
    int32_t digit_;
};

constexpr GnssSystem kFour[] = {GnssSystem::kGps, GnssSystem::kGlonass, GnssSystem::kGalileo,
                                GnssSystem::kBeiDou};

// `perSystem` satellites of each of four systems numbered from 1, crowded in
// one quarter of the sky where `crowded`, else spread over it.
void FourSystems(ReceiverModel& status, int perSystem, bool crowded) {
    int k = 0;
    for (GnssSystem system : kFour)
        for (int n = 1; n <= perSystem; ++n, ++k) {
            const int32_t number = system == GnssSystem::kGlonass ? 64 + n : n;
            bool added = false;
            SatelliteSlot* s =
                SatelliteFor(status, IdentifySatellite(number, {system, true}), number, &added);
            ASSERT_NE(s, nullptr);
            s->inView = 1;
            s->used = n % 2;
            s->snr = n % 3 == 0 ? 0 : 20 + n;
            PlaceOnClassicChart(*s, crowded ? 80 + (k * 7) % 40 : 20 + (k * 37) % 115,
                                crowded ? 30 + (k * 11) % 40 : 20 + (k * 53) % 115);
        }
}

std::unique_ptr<PanelPlan> Planned(const ReceiverModel& status, const View& view) {
    auto plan = std::make_unique<PanelPlan>();
    status_layout::PlanPanel(status, false, 0, view, FixedMeter(view.dpi), plan.get());
    return plan;
}

const window_layout::Size kHome96{574, 556};  // what the fixed frame left under Wine

}  // namespace

TEST(WindowLayout, TheDefaultIsTodaysAndALargerWindowGivesBothPanelsMoreRoom) {
    using window_layout::LayOut;
    // The default window at 96 dpi: the places the window always had.
    const auto home = LayOut({574, 556}, kHome96, 96, 0);
    EXPECT_EQ(home.setup, (Box{0, 0, 574, 308}));
    EXPECT_EQ(home.consoleHome, (Box{20, 100, 550, 290}));
    EXPECT_EQ(home.status, (Box{0, 308, 574, 308 + 556}));
    EXPECT_EQ(home.statusShown, 248);
    // The advanced controls: the setup panel taller by what they need.
    const auto advanced = LayOut({574, 556 + 70}, kHome96, 96, 70);
    EXPECT_EQ(advanced.setup.bottom, 308 + 70);
    EXPECT_EQ(advanced.consoleHome, home.consoleHome);
    EXPECT_EQ(advanced.status.top, 378);
    EXPECT_EQ(advanced.statusShown, 248);

    const struct {
        window_layout::Size client;
        int32_t dpi;
        double least;  // of both areas, in times the default's at that DPI
    } rows[] = {
        {{574, 556}, 96, 1.0},  {{1192, 854}, 96, 1.5},  // a 1200 x 900 window
        {{861, 834}, 144, 1.0}, {{1148, 1112}, 192, 1.0}, {{1900, 1000}, 96, 2.0},
        {{574, 1000}, 96, 1.5}, {{1500, 556}, 96, 2.0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message()
                     << r.client.width << "x" << r.client.height << " @" << r.dpi);
        const auto l = LayOut(r.client, kHome96, r.dpi, 0);
        const auto h = LayOut(window_layout::HomeAt(kHome96, r.dpi), kHome96, r.dpi, 0);
        const Box shown{0, l.status.top, l.status.right, l.status.top + l.statusShown};
        const Box homeShown{0, h.status.top, h.status.right, h.status.top + h.statusShown};
        EXPECT_GE(Area(l.consoleHome), r.least * Area(h.consoleHome));
        EXPECT_GE(Area(shown), r.least * Area(homeShown));
        // One under the other, filling the client area, the console inside its panel.
        EXPECT_EQ(l.setup.bottom, l.status.top);
        EXPECT_EQ(l.status.top + l.statusShown, r.client.height);
        EXPECT_TRUE(Inside(l.consoleHome, Box{0, 0, l.setup.right, l.setup.bottom}));
        EXPECT_EQ(l.status.right, r.client.width);
    }
    // At 150 % the default window is today's, half as large again.
    const auto scaled = LayOut({861, 834}, kHome96, 144, 0);
    EXPECT_EQ(scaled.consoleHome, (Box{30, 150, 825, 435}));
    EXPECT_EQ(scaled.setup.bottom, 462);
    EXPECT_EQ(scaled.statusShown, 372);
}

TEST(StatusGeometry, TheDefaultPanelIsTodaysAndTextsGrowOnlyWhereTheFontNeedsIt) {
    ReceiverModel status{};
    FourSystems(status, 12, true);
    status.receiverTime = CivilTime{2026, 12, 2, 9, 1, 11, 5, 0};  // "01:11:05"
    status.sent.localTime = 1;
    status.sent.rmcSent = 1;
    text16::Copy(status.sent.course, u"WWWWWWWWW");
    for (const View& view : {View{}, View{574, 248, 96}, View{590, 260, 96}}) {
        const auto plan = Planned(status, view);
        ASSERT_FALSE(plan->large);
        EXPECT_TRUE(plan->pictureChart);
        auto today = std::make_unique<status_layout::Plan>();
        status_layout::PlanSatellites(status, false, 0, today.get());
        ASSERT_EQ(plan->satellites.count, today->count);
        for (size_t i = 0; i < today->count; ++i) {
            EXPECT_EQ(plan->satellites.cells[i].skyBox, today->cells[i].skyBox);
            EXPECT_EQ(plan->satellites.cells[i].bar, today->cells[i].bar);
        }
        StatusTexts shown;
        FormatStatusTexts(status, shown);
        const auto seeds = status_layout::TextItems(shown);
        for (size_t i = 0; i < seeds.size(); ++i) {
            const Box& got = plan->texts[i].box;
            const Box& seed = seeds[i].box;
            SCOPED_TRACE(i);
            EXPECT_EQ(got.left, seed.left);
            EXPECT_EQ(got.top, seed.top);
            // "Date:" needs 35 of its 35 pixels, "Direction:" 70 of 75: kept.
            if (i == 0 || i == 2) {
                EXPECT_EQ(got, seed);
            }
        }
        EXPECT_EQ(plan->texts[10].box.right, 240 + 68);  // the time, 60 pixels by default
        EXPECT_EQ(plan->texts[11].box.right, 310);       // up to the grids, no further
        EXPECT_EQ(plan->texts[7].box.bottom, 157 + 16);  // "Lat:"'s line is 13 high
    }
    // At 144 dpi the same panel half as large again, drawn instead of stretched.
    const auto scaled = Planned(status, View{861, 372, 144});
    EXPECT_FALSE(scaled->large);
    EXPECT_FALSE(scaled->pictureChart);
    EXPECT_EQ(scaled->chart, (Box{0, 0, 233, 233}));
    EXPECT_EQ(scaled->texts[1].box.left, 248);  // "Time:" at 165
}

TEST(StatusGeometry, ASpeedTooWideForItsRoomKeepsItsDigitsAndDropsItsUnit) {
    // Digits 11 pixels wide: a three-digit speed and its unit need 75 of the
    // default panel's 70 before the grids.
    const struct {
        View view;
        const char16_t* knots;
        const char16_t* shown;
    } rows[] = {
        {{574, 248, 96}, u"53.5", u"98 Km/hr"},
        {{574, 248, 96}, u"101.0", u"187"},
        {{861, 372, 144}, u"101.0", u"187"},
        {{1192, 427, 96}, u"101.0", u"187 Km/hr"},  // the larger panel has the room
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.view.width << " @" << r.view.dpi << " "
                                        << std::string(r.knots, r.knots + text16::Length(r.knots)));
        ReceiverModel status{};
        status.sent.rmcSent = 1;
        text16::Copy(status.sent.speedKnots, r.knots);
        auto plan = std::make_unique<PanelPlan>();
        status_layout::PlanPanel(status, false, 0, r.view, FixedMeter(r.view.dpi, 11), plan.get());
        const auto& speed = plan->texts[status_layout::kSpeedItem];
        EXPECT_EQ(std::u16string(speed.text), r.shown);
    }
}

TEST(StatusGeometry, LargerPanelsKeepEveryCellWholeEachSystemInItsRowsAndMarkersApart) {
    const struct {
        View view;
        int perSystem;
        int32_t leastChart;  // design pixels across
    } rows[] = {
        {{1192, 427, 96}, 12, 400},  // a 1200 x 900 window: 48 satellites
        {{1192, 427, 96}, 10, 400},  {{700, 248, 96}, 12, 155},   {{574, 700, 96}, 12, 155},
        {{1900, 1000, 96}, 12, 900}, {{1788, 640, 144}, 12, 400}, {{2384, 854, 192}, 12, 400},
        {{900, 300, 96}, 24, 155},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.view.width << "x" << r.view.height << " @"
                                        << r.view.dpi << ", " << r.perSystem << " a system");
        ReceiverModel status{};
        FourSystems(status, r.perSystem, false);
        const auto plan = Planned(status, r.view);
        ASSERT_TRUE(plan->large);
        const Box panel{0, 0, r.view.width, r.view.height};
        const Box& chart = plan->chart;
        EXPECT_EQ(chart.right - chart.left, chart.bottom - chart.top);
        EXPECT_GE(chart.right - chart.left, status_layout::ScaleLength(r.leastChart, r.view.dpi));
        EXPECT_TRUE(Inside(chart, panel));
        const auto& s = plan->satellites;
        EXPECT_EQ(s.count + static_cast<size_t>(s.omitted), static_cast<size_t>(4 * r.perSystem));
        for (const auto& t : plan->texts) {
            EXPECT_TRUE(Inside(t.box, panel));
            EXPECT_FALSE(Overlap(t.box, chart));
        }
        for (size_t i = 0; i < s.count; ++i) {
            const Cell& c = s.cells[i];
            SCOPED_TRACE(testing::Message() << "cell " << i);
            for (const Box& b : {c.labelBox, c.valueBox, c.bar}) {
                EXPECT_TRUE(Inside(b, panel)) << "cut at the edge";
                EXPECT_FALSE(Overlap(b, chart));
                for (const auto& t : plan->texts)
                    EXPECT_FALSE(Overlap(b, t.box));
            }
            EXPECT_TRUE(Inside(c.skyBox, chart));
            for (size_t j = 0; j < s.count; ++j) {
                if (j == i)
                    continue;
                const Cell& o = s.cells[j];
                EXPECT_FALSE(Overlap(c.labelBox, o.labelBox)) << j;
                EXPECT_FALSE(Overlap(c.bar, o.labelBox)) << j;
                // Satellites of two systems never share a row.
                if (c.labelBox.top == o.labelBox.top) {
                    EXPECT_EQ(c.id.system, o.id.system) << j;
                }
                if (r.view.height >= 400) {
                    EXPECT_FALSE(Overlap(c.skyBox, o.skyBox)) << "markers " << j;
                }
            }
        }
        // Each system's rows start with its letter, level with the labels.
        ASSERT_EQ(plan->rowCount, 4u);
        EXPECT_EQ(plan->rows[0].letter[0], u'G');
        EXPECT_EQ(plan->rows[3].letter[0], u'C');
    }
}

TEST(StatusGeometry, ALargerPanelShowsMoreOfTheFixInTheRowsItHasRoomFor) {
    ReceiverModel status{};
    FourSystems(status, 12, false);
    const status_layout::FixDetails rtk{true, 545.44, 26, 48, true, 4};
    const status_layout::FixDetails unknown{false, 0, -1, 48, true, 9};
    const struct {
        View view;
        status_layout::FixDetails details;
        size_t rows;
        const char16_t* values[3];
    } rows[] = {
        {{1192, 427, 96}, rtk, 3, {u"545.4 m", u"26 / 48", u"RTK fixed"}},
        {{1788, 640, 144}, rtk, 3, {u"545.4 m", u"26 / 48", u"RTK fixed"}},
        {{900, 248, 96}, rtk, 2, {u"545.4 m", u"26 / 48", nullptr}},  // the default height
        {{1192, 427, 96}, unknown, 3, {u"", u"- / 48", u""}},
        {{574, 248, 96}, rtk, 0, {}},  // the default panel is as it was
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message()
                     << r.view.width << "x" << r.view.height << " @" << r.view.dpi);
        auto plan = std::make_unique<PanelPlan>();
        status_layout::PlanPanel(status, false, 0, r.view, FixedMeter(r.view.dpi), plan.get(),
                                 r.details);
        ASSERT_EQ(plan->detailCount, 2 * r.rows);
        const Box panel{0, 0, r.view.width, r.view.height};
        for (size_t i = 0; i < r.rows; ++i) {
            EXPECT_EQ(std::u16string(plan->details[2 * i + 1].text), r.values[i]);
            for (size_t k : {2 * i, 2 * i + 1}) {
                const Box& b = plan->details[k].box;
                EXPECT_TRUE(Inside(b, panel)) << k;
                for (const auto& t : plan->texts)
                    EXPECT_FALSE(Overlap(b, t.box)) << k;
                for (size_t c = 0; c < plan->satellites.count; ++c)
                    EXPECT_FALSE(Overlap(b, plan->satellites.cells[c].labelBox)) << k;
            }
        }
    }
    // GGA's nine qualities by name, and nothing for a number it does not define.
    const char16_t* const words[] = {u"No fix",    u"GPS",       u"DGPS",           u"PPS",
                                     u"RTK fixed", u"RTK float", u"Dead reckoning", u"Manual",
                                     u"Simulated"};
    for (int32_t q = 0; q < 9; ++q)
        EXPECT_EQ(std::u16string(status_layout::FixQualityWords(q)), words[q]) << q;
    EXPECT_EQ(status_layout::FixQualityWords(9), nullptr);
    EXPECT_EQ(status_layout::FixQualityWords(-1), nullptr);
}
