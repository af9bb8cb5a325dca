#include "panels/status_layout.h"
#include "tests/native/sky_angles.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "tests/native/box_checks.h"

using status_layout::Box;
using status_layout::Cell;
using status_layout::Layout;
using status_layout::Mark;

namespace {

std::u16string Text(const char16_t* s) {
    return s;
}

using box_checks::Inside;
using box_checks::Overlap;

// Where the window shows the panel: 574 pixels wide under Wine, about 566 on
// Windows 10; the height is the grids' own bound.
const Box kShown{0, 0, 566, status_layout::kVisibleHeight};
const Box kSky{0, 0, status_layout::kSkySize, status_layout::kSkySize};

struct Record {
    ReceiverModel status{};
    // A satellite by the number it was sent as, under the talker's hint.
    SatelliteSlot& Add(SystemHint hint, int32_t number, int32_t snr = 40, bool used = false,
                       int32_t x = 77, int32_t y = 77) {
        bool added = false;
        SatelliteSlot* s = SatelliteFor(status, IdentifySatellite(number, hint), number, &added);
        EXPECT_NE(s, nullptr);
        s->inView = 1;
        s->used = used ? 1 : 0;
        s->snr = snr;
        PlaceOnClassicChart(*s, x, y);
        return *s;
    }
    SatelliteSlot& Gps(int32_t number, int32_t snr = 40, bool used = false, int32_t x = 77,
                       int32_t y = 77) {
        return Add({GnssSystem::kGps, false}, number, snr, used, x, y);
    }
    std::vector<Cell> Plan(bool logOpen = false, int32_t offset = 0, Layout* layout = nullptr,
                           int32_t* omitted = nullptr) const {
        auto plan = std::make_unique<status_layout::Plan>();
        status_layout::PlanSatellites(status, logOpen, offset, plan.get());
        if (layout != nullptr)
            *layout = plan->layout;
        if (omitted != nullptr)
            *omitted = plan->omitted;
        return std::vector<Cell>(plan->cells.begin(),
                                 plan->cells.begin() + static_cast<long>(plan->count));
    }
};

const SystemHint kNumbers{GnssSystem::kGps, false};
SystemHint Named(GnssSystem s) {
    return {s, true};
}
const SystemHint kGlo = Named(GnssSystem::kGlonass);
const SystemHint kGal = Named(GnssSystem::kGalileo);
const SystemHint kBds = Named(GnssSystem::kBeiDou);

}  // namespace

TEST(StatusLayout, TextItemsReadTheirSlotsAndStayInTheirPlaces) {
    StatusTexts texts{};
    char16_t* slots[11] = {texts.date,     texts.time,          texts.course,   texts.speed,
                           texts.fixState, texts.hdop,          texts.pdop,     texts.latHemisphere,
                           texts.latitude, texts.lonHemisphere, texts.longitude};
    for (int i = 0; i < 11; ++i)
        slots[i][0] = static_cast<char16_t>(u'a' + i);
    const char16_t* labels[9] = {u"Date:", u"Time:", u"Direction:", u"Speed:", u"Status:",
                                 u"HDOP:", u"PDOP:", u"Lat:",       u"Lon:"};
    const auto items = status_layout::TextItems(texts);
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        if (i < 9) {
            EXPECT_EQ(Text(items[i].text), Text(labels[i]));
        } else {
            EXPECT_EQ(items[i].text, slots[i - 9]);  // each value box reads its own slot
        }
        EXPECT_TRUE(Inside(items[i].box, kShown));
        // Nothing written in the panel may reach into the sky picture or the grids.
        EXPECT_FALSE(Overlap(items[i].box, kSky));
        EXPECT_LE(items[i].box.right, 310);
        EXPECT_LE(items[i].box.bottom, 172);
        // Texts at least as tall as a line of the panel's font.
        EXPECT_GE(items[i].box.bottom - items[i].box.top, 13);
        for (size_t j = 0; j < i; ++j) {
            // The E/W letter's box runs into "Lon:" and the longitude's, as
            // it always did.
            if ((i == 18 && j == 8) || (i == 19 && j == 18))
                continue;
            EXPECT_FALSE(Overlap(items[i].box, items[j].box)) << j;
        }
    }
}

TEST(StatusLayout, DisplayedSnrAppliesTheOffsetOnlyWhileLoggingAndNeverBelowZero) {
    struct Row {
        int32_t snr;
        bool logOpen;
        int32_t offset;
        int32_t expected;
    } rows[] = {
        {35, true, -10, 25},
        {5, true, -10, 5},
        {10, true, -10, 0},
        {35, false, -10, 35},
        {35, true, 7, 42},
        {0, true, 5, 5},
        {-5, true, 3, -5},
        {-5, true, 5, 0},
        {INT32_MAX, true, 10, INT32_MAX},
        {INT32_MIN, true, INT32_MIN, INT32_MIN},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.snr << " log " << r.logOpen << " offset " << r.offset);
        EXPECT_EQ(status_layout::DisplayedSnr(r.snr, r.logOpen, r.offset), r.expected);
    }
}

// One satellite, GPS 5, first cell of the first grid (x0 320, base line 40).
TEST(StatusLayout, BarsFollowTheClampsAndStandOnTheBaseLine) {
    const Box none{320, 40, 320, 40};
    struct Row {
        int32_t snr;
        bool used;
        bool logOpen;
        int32_t offset;
        Mark mark;
        int32_t value;
        Box bar;
        Box interior;
    } rows[] = {
        // 26 px blue, clamped to 50; 25 px framed, clamped to 49 (not 50).
        {57, true, false, 0, Mark::kUsed, 50, {320, 14, 338, 40}, none},
        {57, false, false, 0, Mark::kTracked, 49, {320, 15, 338, 40}, {321, 16, 337, 39}},
        {50, false, false, 0, Mark::kTracked, 49, {320, 15, 338, 40}, {321, 16, 337, 39}},
        // v/2 = 0: a one-pixel line, the tracked one without a white inside.
        {1, true, false, 0, Mark::kUsed, 1, {320, 39, 338, 40}, none},
        {1, false, false, 0, Mark::kTracked, 1, {320, 39, 338, 40}, {321, 39, 337, 39}},
        {4, false, false, 0, Mark::kTracked, 4, {320, 37, 338, 40}, {321, 38, 337, 39}},
        // In view without a signal: no bar, even when the offset would lift it.
        {0, true, false, 0, Mark::kNoSignal, 0, none, none},
        {0, false, true, 20, Mark::kNoSignal, 0, none, none},
        // Logging with an offset: the bar follows the shown value.
        {35, true, true, -10, Mark::kUsed, 25, {320, 27, 338, 40}, none},
        {5, false, true, -10, Mark::kTracked, 5, {320, 37, 338, 40}, {321, 38, 337, 39}},
        // Negative stored values never grow a bar below the base line.
        {-1, true, false, 0, Mark::kUsed, -1, {320, 39, 338, 40}, none},
        {-4, true, false, 0, Mark::kUsed, -4, {320, 40, 338, 40}, none},
        {-99999, false, false, 0, Mark::kTracked, -99999, {320, 40, 338, 40}, {321, 39, 337, 39}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message()
                     << "snr " << r.snr << " used " << r.used << " offset " << r.offset);
        Record s;
        s.Gps(5, r.snr, r.used);
        auto cells = s.Plan(r.logOpen, r.offset);
        ASSERT_EQ(cells.size(), 1u);
        const Cell& c = cells[0];
        EXPECT_EQ(c.mark, r.mark);
        if (r.mark != Mark::kNoSignal) {
            EXPECT_EQ(c.value, r.value);
        }
        EXPECT_EQ(c.bar, r.bar);
        if (r.mark == Mark::kTracked) {
            EXPECT_EQ(c.barInterior, r.interior);
        } else {
            EXPECT_TRUE(c.barInterior.Empty());
        }
    }
}

// Receivers whose numbers name their systems keep the two grids they always
// had; any other numbering, or more than those grids hold, gets the grid by
// system.
TEST(StatusLayout, TheClassicGridsStayForNumbersThatNameTheirSystems) {
    auto numbers = [](int first, int count) {
        std::vector<int> n;
        for (int i = 0; i < count; ++i)
            n.push_back(first + i);
        return n;
    };
    struct Row {
        const char* name;
        std::vector<int> legacy;  // sent without talker or system ID
        SystemHint other;
        std::vector<int> otherNumbers;
        Layout layout;
    } rows[] = {
        {"GPS alone", {3, 7, 20}, kNumbers, {}, Layout::kClassic},
        {"GPS, SBAS, GLONASS and QZSS by their numbers",
         {1, 32, 33, 64, 65, 96, 152, 158, 193, 202},
         kNumbers,
         {},
         Layout::kClassic},
        {"GLONASS by its own talker and numbers", {5}, kGlo, {70}, Layout::kClassic},
        {"a number of no range, as damaged lines give",
         {5, 110, 230},
         kNumbers,
         {},
         Layout::kClassic},
        {"30 in the first grid, 20 in the second", numbers(1, 30), kNumbers, numbers(65, 20),
         Layout::kClassic},
        {"a 31st in the first grid", numbers(1, 31), kNumbers, {}, Layout::kSystems},
        {"a 21st in the second grid", {}, kNumbers, numbers(65, 21), Layout::kSystems},
        {"Galileo numbered from 1, clashing", {5}, kGal, {5}, Layout::kSystems},
        {"BeiDou numbered from 1, without a clash", {5}, kBds, {13}, Layout::kSystems},
        {"GLONASS by its slot", {}, kGlo, {7}, Layout::kSystems},
        {"BeiDou as PRN + 200", {}, kBds, {214}, Layout::kSystems},
        {"Galileo in the extended range", {}, kNumbers, {305}, Layout::kSystems},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Record s;
        for (int n : r.legacy)
            s.Gps(n);
        for (int n : r.otherNumbers)
            s.Add(r.other, n);
        Layout layout{};
        const auto cells = s.Plan(false, 0, &layout);
        EXPECT_EQ(layout, r.layout);
        EXPECT_EQ(cells.size(), r.legacy.size() + r.otherNumbers.size());
    }
    // A system reported earlier in the cycle keeps the grid by system while
    // the next one's satellites are the only ones in view.
    Record s;
    s.Gps(5);
    s.Add(kGal, 5).inView = 0;
    Layout layout{};
    EXPECT_EQ(s.Plan(false, 0, &layout).size(), 1u);
    EXPECT_EQ(layout, Layout::kSystems);
}

// The grid by system with as many satellites as receivers list today and
// more: every one gets a cell, and nothing overlaps or leaves the window.
TEST(StatusLayout, TheSystemsGridShowsEverySatelliteApartInsideThePanel) {
    const std::vector<Box> texts = [] {
        std::vector<Box> boxes;
        for (const auto& item : status_layout::TextItems(StatusTexts{}))
            boxes.push_back(item.box);
        return boxes;
    }();
    for (int perSystem : {1, 12, 17}) {
        SCOPED_TRACE(perSystem);
        Record s;
        // Four systems numbered from 1, each listing the others' numbers.
        for (GnssSystem system :
             {GnssSystem::kGps, GnssSystem::kGlonass, GnssSystem::kGalileo, GnssSystem::kBeiDou})
            for (int n = 1; n <= perSystem; ++n)
                s.Add(Named(system), n, n % 3 == 0 ? 0 : 20 + n, n % 2 == 0);
        // One of three characters more: an odd Galileo number keeps its own.
        s.Add(Named(GnssSystem::kGalileo), 102);
        Layout layout{};
        int32_t omitted = -1;
        const auto cells = s.Plan(false, 0, &layout, &omitted);
        ASSERT_EQ(layout, Layout::kSystems);
        ASSERT_EQ(cells.size(), static_cast<size_t>(4 * perSystem + 1));
        EXPECT_EQ(omitted, 0);
        for (size_t i = 0; i < cells.size(); ++i) {
            const Cell& c = cells[i];
            SCOPED_TRACE(testing::Message() << "cell " << i);
            // Grouped by system, each by its own numbers.
            if (i > 0) {
                const SatelliteId a = cells[i - 1].id, b = c.id;
                EXPECT_TRUE(a.system < b.system || (a.system == b.system && a.own < b.own));
            }
            // Three characters need 23 pixels of the labels' font under Wine, four 30.
            const int32_t width = c.labelBox.right - c.labelBox.left;
            EXPECT_GE(width, Text(c.label).size() <= 3 ? 23 : 30);
            EXPECT_GE(c.labelBox.bottom - c.labelBox.top, 13);
            for (const Box& b : {c.labelBox, c.valueBox, c.bar}) {
                EXPECT_TRUE(Inside(b, kShown));
                EXPECT_FALSE(Overlap(b, kSky));
                for (const Box& t : texts)
                    EXPECT_FALSE(Overlap(b, t));
            }
            EXPECT_EQ(c.bar.bottom, c.labelBox.top);
            EXPECT_TRUE(Inside(c.valueBox, {c.bar.left, 0, c.labelBox.right, c.labelBox.top}));
            // Nothing of one cell reaches another's label.
            for (size_t j = 0; j < cells.size(); ++j) {
                if (j == i)
                    continue;
                for (const Box& b : {c.labelBox, c.valueBox, c.bar})
                    EXPECT_FALSE(Overlap(b, cells[j].labelBox)) << j;
            }
        }
    }
}

TEST(StatusLayout, MoreSatellitesThanCellsEndInACountOfTheRest) {
    Record s;
    for (GnssSystem system : {GnssSystem::kGalileo, GnssSystem::kBeiDou})
        for (int n = 1; n <= 50; ++n)
            s.Add(Named(system), n);
    int32_t omitted = 0;
    const auto cells = s.Plan(false, 0, nullptr, &omitted);
    EXPECT_EQ(cells.size() + static_cast<size_t>(omitted), 100u);
    EXPECT_GE(cells.size(), 48u);
    EXPECT_EQ(Text(cells.back().label), u"C21");
}

TEST(StatusLayout, MarkersSurroundTheSkyPositionsAndOnlyPlacedOnesShow) {
    struct Row {
        int32_t x, y;
        Box box;
    } rows[] = {
        {99, 54, {88, 45, 110, 63}},     // elevation 45, azimuth 45
        {113, 97, {102, 88, 124, 106}},  // elevation 30, azimuth 120
        {INT32_MAX, INT32_MIN, {INT32_MAX - 11, INT32_MIN, INT32_MAX, INT32_MIN + 9}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.x << "," << r.y);
        EXPECT_EQ(status_layout::SkyCircleBox(r.x, r.y), r.box);
    }
    for (bool systems : {false, true}) {
        SCOPED_TRACE(systems);
        Record s;
        s.Add(systems ? Named(GnssSystem::kGalileo) : kNumbers, 12, 0, false, 113, 97);
        s.Gps(13, 30, true, 0, 0);  // listed without elevation and azimuth since the clear
        const auto cells = s.Plan();
        ASSERT_EQ(cells.size(), 2u);
        const Cell& placed = cells[systems ? 1 : 0];
        EXPECT_TRUE(placed.onChart);
        EXPECT_EQ(placed.skyBox.left + placed.skyBox.right, 2 * 113);
        EXPECT_EQ(placed.skyBox.top + placed.skyBox.bottom, 2 * 97);
        EXPECT_GE(placed.skyBox.right - placed.skyBox.left, 22);
        const Cell& unplaced = cells[systems ? 0 : 1];
        EXPECT_FALSE(unplaced.onChart);
        EXPECT_EQ(unplaced.mark, Mark::kUsed);  // its bar is still drawn
    }
}

// Where satellites crowd, the grid by system moves markers a few pixels
// apart: the one used in the fix stays on top at its place.
TEST(StatusLayout, CrowdedMarkersMoveApartByAFewPixels) {
    Record s;
    s.Add(kGal, 5, 30, false, 60, 60);
    s.Add(kBds, 5, 40, true, 60, 60);
    s.Add(kGal, 6, 0, false, 62, 61);
    s.Add(kGal, 7, 30, false, 120, 30);  // alone: stays
    const auto cells = s.Plan();
    ASSERT_EQ(cells.size(), 4u);
    for (size_t i = 0; i < cells.size(); ++i) {
        const Box& b = cells[i].skyBox;
        const SatelliteSlot* slot = FindSatellite(s.status, cells[i].id);
        const int32_t dx = (b.left + b.right) / 2 - ClassicPoint(*slot).x;
        const int32_t dy = (b.top + b.bottom) / 2 - ClassicPoint(*slot).y;
        EXPECT_TRUE(dx >= -16 && dx <= 16 && dy >= -16 && dy <= 16) << i;
        EXPECT_TRUE(Inside(b, kSky));
        if (cells[i].mark == Mark::kUsed || ClassicPoint(*slot).x == 120) {
            EXPECT_EQ(dx, 0);
            EXPECT_EQ(dy, 0);
        }
        for (size_t j = 0; j < i; ++j)
            EXPECT_FALSE(Overlap(b, cells[j].skyBox)) << i << " " << j;
    }
}

TEST(StatusLayout, NumbersFitTheEightUnitBufferOrShowAMarker) {
    struct Row {
        bool satellite;
        int32_t n;
        const char16_t* text;
    } rows[] = {
        {true, 0, u"00"},
        {true, 7, u"07"},
        {true, 255, u"255"},
        {false, 50, u"50"},
        {false, -5, u"-5"},
        {false, -999999, u"-999999"},
        {false, 9999999, u"9999999"},
        {false, -1000000, u"?"},
        {false, INT32_MIN, u"?"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.n);
        char16_t out[status_layout::kNumberCapacity];
        if (r.satellite)
            status_layout::FormatSatellite(r.n, out);
        else
            status_layout::FormatValue(r.n, out);
        EXPECT_EQ(Text(out), Text(r.text));
    }
}
