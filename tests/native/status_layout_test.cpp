#include "panels/status_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using status_layout::Box;
using status_layout::Cell;
using status_layout::Mark;

namespace {

std::u16string Text(const char16_t* s) {
    return s;
}

struct Satellites {
    SatelliteSlot slots[kSatelliteSlots]{};
    void Add(int i, int32_t snr, bool used = false, int32_t x = 77, int32_t y = 77) {
        slots[i] = {1, static_cast<uint8_t>(used ? 1 : 0), snr, x, y};
    }
};

std::vector<Cell> Plan(const Satellites& s, bool logOpen = false, int32_t offset = 0) {
    std::array<Cell, kSatelliteSlots> cells{};
    size_t n = status_layout::PlanCells(s.slots, logOpen, offset, cells);
    return std::vector<Cell>(cells.begin(), cells.begin() + static_cast<long>(n));
}

}  // namespace

TEST(StatusLayout, TextItemsAreTheLabelsThenTheValuesInTheirBoxes) {
    StatusTexts texts{};
    // Distinct slot contents prove each value box reads its own slot.
    const char16_t* contents[11] = {u"d", u"t", u"c",  u"s", u"f", u"h",
                                    u"p", u"N", u"la", u"E", u"lo"};
    char16_t* slots[11] = {texts.date,     texts.time,          texts.course,   texts.speed,
                           texts.fixState, texts.hdop,          texts.pdop,     texts.latHemisphere,
                           texts.latitude, texts.lonHemisphere, texts.longitude};
    for (int i = 0; i < 11; ++i)
        slots[i][0] = contents[i][0], slots[i][1] = contents[i][1];

    struct Row {
        const char16_t* text;
        Box box;
    };
    const Row expected[20] = {
        {u"Date:", {165, 5, 200, 25}},       {u"Time:", {165, 25, 200, 45}},
        {u"Direction:", {165, 45, 240, 65}}, {u"Speed:", {165, 65, 210, 85}},
        {u"Status:", {165, 85, 210, 105}},   {u"HDOP:", {165, 105, 210, 125}},
        {u"PDOP:", {165, 125, 210, 145}},    {u"Lat:", {5, 157, 35, 170}},
        {u"Lon:", {150, 157, 200, 170}},     {u"d", {225, 5, 300, 25}},
        {u"t", {240, 25, 300, 45}},          {u"c", {240, 45, 300, 65}},
        {u"s", {240, 65, 300, 85}},          {u"f", {240, 85, 300, 105}},
        {u"h", {240, 105, 300, 125}},        {u"p", {240, 125, 300, 145}},
        {u"N", {40, 157, 55, 170}},          {u"la", {60, 157, 140, 170}},
        {u"E", {185, 157, 215, 170}},        {u"lo", {205, 157, 305, 170}},
    };
    auto items = status_layout::TextItems(texts);
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Text(items[i].text), Text(expected[i].text));
        EXPECT_EQ(items[i].box, expected[i].box);
        // Nothing written in the panel may reach into the sky picture.
        EXPECT_TRUE(items[i].box.left >= status_layout::kSkySize ||
                    items[i].box.top >= status_layout::kSkySize);
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

// One satellite, entry 5, first cell of the first grid (x0 320, base line 40).
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
        {50, true, false, 0, Mark::kUsed, 50, {320, 14, 338, 40}, none},
        {50, false, false, 0, Mark::kTracked, 49, {320, 15, 338, 40}, {321, 16, 337, 39}},
        {49, false, false, 0, Mark::kTracked, 49, {320, 15, 338, 40}, {321, 16, 337, 39}},
        {51, true, false, 0, Mark::kUsed, 50, {320, 14, 338, 40}, none},
        // v/2 = 0: a one-pixel line, the tracked one without a white inside.
        {1, true, false, 0, Mark::kUsed, 1, {320, 39, 338, 40}, none},
        {1, false, false, 0, Mark::kTracked, 1, {320, 39, 338, 40}, {321, 39, 337, 39}},
        {3, false, false, 0, Mark::kTracked, 3, {320, 38, 338, 40}, {321, 39, 337, 39}},
        {4, false, false, 0, Mark::kTracked, 4, {320, 37, 338, 40}, {321, 38, 337, 39}},
        // In view without a signal: no bar, even when the offset would lift it.
        {0, true, false, 0, Mark::kNoSignal, 0, none, none},
        {0, false, true, 20, Mark::kNoSignal, 0, none, none},
        // Logging with an offset: the bar follows the shown value.
        {35, true, true, -10, Mark::kUsed, 25, {320, 27, 338, 40}, none},
        {35, true, false, -10, Mark::kUsed, 35, {320, 22, 338, 40}, none},
        {5, false, true, -10, Mark::kTracked, 5, {320, 37, 338, 40}, {321, 38, 337, 39}},
        // Negative stored values never grow a bar below the base line.
        {-1, true, false, 0, Mark::kUsed, -1, {320, 39, 338, 40}, none},
        {-4, true, false, 0, Mark::kUsed, -4, {320, 40, 338, 40}, none},
        {INT32_MIN,
         false,
         false,
         0,
         Mark::kTracked,
         INT32_MIN,
         {320, 40, 338, 40},
         {321, 39, 337, 39}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message()
                     << "snr " << r.snr << " used " << r.used << " offset " << r.offset);
        Satellites s;
        s.Add(5, r.snr, r.used);
        auto cells = Plan(s, r.logOpen, r.offset);
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
        EXPECT_TRUE(c.bar.bottom == 40 && c.bar.top <= 40);
        EXPECT_EQ(c.valueBox, (Box{320, 20, 343, 40}));
        EXPECT_EQ(c.numberBox, (Box{320, 40, 343, 90}));
    }
}

TEST(StatusLayout, CellsFillEachGridInEntryOrderFromItsOwnFirstCell) {
    struct Placed {
        int32_t satellite;
        int grid;
        int32_t x0;
        int32_t base;
    };
    struct Row {
        const char* name;
        std::vector<int> entries;
        std::vector<Placed> expected;  // checked for the listed cells, by position
    };
    std::vector<int> eleven;
    for (int i = 1; i <= 11; ++i)
        eleven.push_back(i);
    std::vector<int> thirtyOne;
    for (int i = 1; i <= 31; ++i)
        thirtyOne.push_back(i);
    const Row rows[] = {
        {"gaps take no cell", {20, 3, 7}, {{3, 0, 320, 40}, {7, 0, 345, 40}, {20, 0, 370, 40}}},
        {"entry 0 and 32 are the first grid, 33 starts the second",
         {0, 32, 33, 255},
         {{0, 0, 320, 40}, {32, 0, 345, 40}, {33, 1, 320, 160}, {255, 1, 345, 160}}},
        {"the eleventh starts a row 40 px lower", eleven, {{10, 0, 545, 40}, {11, 0, 320, 80}}},
        {"the first grid's fourth row sits on the second grid's first",
         thirtyOne,
         {{30, 0, 545, 120}, {31, 0, 320, 160}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Satellites s;
        for (int e : r.entries)
            s.Add(e, 40);
        auto cells = Plan(s);
        ASSERT_EQ(cells.size(), r.entries.size());
        for (const Placed& p : r.expected) {
            const Cell* found = nullptr;
            for (const Cell& c : cells)
                if (c.satellite == p.satellite)
                    found = &c;
            ASSERT_NE(found, nullptr) << p.satellite;
            EXPECT_EQ(found->grid, p.grid) << p.satellite;
            EXPECT_EQ(found->bar.left, p.x0) << p.satellite;
            EXPECT_EQ(found->bar.bottom, p.base) << p.satellite;
            EXPECT_EQ(found->textColor, p.grid == 0 ? status_layout::kBlack : status_layout::kCyan);
        }
        for (size_t i = 1; i < cells.size(); ++i)
            EXPECT_LT(cells[i - 1].satellite, cells[i].satellite);
    }
}

TEST(StatusLayout, OnlyEntriesInViewAreDrawn) {
    Satellites s;
    s.slots[4] = {0, 1, 45, 10, 10};  // used in the fix but no longer in view
    s.slots[9] = {1, 0, 30, 99, 54};
    auto cells = Plan(s);
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(cells[0].satellite, 9);
    EXPECT_EQ(cells[0].bar.left, 320);
    EXPECT_TRUE(Plan(Satellites{}).empty());
}

TEST(StatusLayout, SkyCircleBoxesSurroundTheDecodedPositions) {
    struct Row {
        int32_t x, y;
        Box box;
    } rows[] = {
        {99, 54, {88, 45, 110, 63}},     // elevation 45, azimuth 45
        {113, 97, {102, 88, 124, 106}},  // elevation 30, azimuth 120
        {77, 77, {66, 68, 88, 86}},
        {INT32_MAX, INT32_MIN, {INT32_MAX - 11, INT32_MIN, INT32_MAX, INT32_MIN + 9}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.x << "," << r.y);
        EXPECT_EQ(status_layout::SkyCircleBox(r.x, r.y), r.box);
    }
    Satellites s;
    s.Add(12, 0, false, 113, 97);
    s.Add(13, 30, true, 0, 0);  // listed without elevation and azimuth since the clear
    const std::vector<Cell> cells = Plan(s);
    EXPECT_EQ(cells[0].skyBox, (Box{102, 88, 124, 106}));
    EXPECT_TRUE(cells[0].onChart);
    EXPECT_FALSE(cells[1].onChart);
    EXPECT_EQ(cells[1].mark, status_layout::Mark::kUsed);  // its bar is still drawn
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
        {false, 0, u"0"},
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
