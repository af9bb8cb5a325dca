// The classic grids of the status panel, painted into a memory DC and checked
// pixel by pixel: a receiver whose numbers name their systems sees the panel
// it always saw; bar heights and colours, grid cells, sky circles, the
// second grid's cyan, and the signal offset while logging.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>

#include "nmea/sentence_intake.h"
#include "panels/status_panel.h"
#include "res/resource.h"
#include "tests/windows/link_test_support.h"
#include "tests/windows/panel_status_support.h"

using namespace status_test;

namespace {

// The satellites as the panel drew them when its table was indexed by number
// alone, written out here as the reference: numbers up to 32 in the first
// grid, the rest in the second, in cyan; ten cells of 25 pixels a row from x
// 320, rows 40 pixels apart from the base lines 40 and 160; bars v/2 + 1
// pixels tall, blue up to 50 or green-framed up to 49; the value above the
// base line, the number "%02d" under it; circles of 22 x 18 pixels.
void DrawAsBefore(CRestoreDlg& panel, HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    int cells[2] = {0, 0};
    for (int number = 0; number < 256; ++number) {
        const SatelliteSlot* s = nullptr;
        for (int i = 0; i < panel.model.satelliteCount; ++i)
            if (panel.model.satellites[i].inView && panel.model.satellites[i].number == number)
                s = &panel.model.satellites[i];
        if (s == nullptr)
            continue;
        const int grid = number <= 32 ? 0 : 1;
        const int n = cells[grid]++;
        const int x0 = 320 + 25 * (n % 10), base = (grid == 0 ? 40 : 160) + 40 * (n / 10);
        const COLORREF text = grid == 0 ? kBlack : kCyan;
        SetTextColor(dc, text);
        int v = s->snr;
        HPEN pen = panel.redPen.get();
        if (s->snr != 0 && s->used) {
            v = std::min(v, 50);
            RECT bar{x0, base - 1 - v / 2, x0 + 18, base};
            FillRect(dc, &bar, panel.blueBrush.get());
            pen = panel.bluePen.get();
        } else if (s->snr != 0) {
            v = v >= 50 ? 49 : v;
            RECT bar{x0, base - 1 - v / 2, x0 + 18, base};
            RECT inside{x0 + 1, base - v / 2, x0 + 17, base - 1};
            FillRect(dc, &bar, panel.greenBrush.get());
            if (inside.bottom > inside.top)
                FillRect(dc, &inside, panel.whiteBrush.get());
            pen = panel.greenPen.get();
        }
        wchar_t label[8], value[8];
        swprintf(label, 8, L"%02d", number);
        swprintf(value, 8, L"%d", v);
        if (HasSkyPosition(*s)) {
            const sky::SkyPoint at = ClassicPoint(*s);
            HGDIOBJ old = SelectObject(dc, pen);
            Ellipse(dc, at.x - 11, at.y - 9, at.x + 11, at.y + 9);
            RECT circle{at.x - 11, at.y - 9, at.x + 11, at.y + 9};
            DrawTextW(dc, label, -1, &circle, DT_CENTER | DT_VCENTER);
            SelectObject(dc, old);
        }
        if (s->snr != 0) {
            SetTextColor(dc, kMagenta);
            RECT box{x0, base - 20, x0 + 23, base};
            DrawTextW(dc, value, -1, &box, 0);
            SetTextColor(dc, text);
        }
        RECT below{x0, base, x0 + 23, base + 50};
        DrawTextW(dc, label, -1, &below, 0);
    }
}

}  // namespace

// Real single-system and legacy multi-system receivers, cycle by cycle: the
// panel paints every pixel as before (its texts and picture as they are, its
// satellites as the reference above draws them).
TEST_F(StatusPanelFixture, ReceiversNumberingByRangeSeeThePanelTheyAlwaysSaw) {
    panel.skyBitmap.reset(LoadBitmapW(g_hInstance, MAKEINTRESOURCEW(IDB_SKY)));
    for (const char* capture : {"bt451.pgl", "ch-4711.pgl", "sl869.pgl"}) {
        SCOPED_TRACE(capture);
        model = ReceiverModel{};
        const std::string bytes = link_test::ReadBytes(
            link_test::SourcePath((std::string("tests/data/captures/") + capture).c_str()));
        QuietHost host;
        int compared = 0;
        for (const std::u16string& line : link_test::ExpectedLines(bytes)) {
            const int before = host.redraws;
            OnLineReceived(host, model, line.c_str());
            // Every fifth redraw, satellites in view.
            if (host.redraws == before || host.redraws % 5 != 0 || model.satelliteCount == 0)
                continue;
            ASSERT_TRUE(status_layout::FitsClassicLayout(model));
            Canvas now;
            Paint(now);
            Canvas reference;
            ReceiverModel kept = model;
            ClearSatelliteFlag<&SatelliteSlot::inView>(model);
            Paint(reference);
            model = kept;
            DrawAsBefore(panel, reference.dc());
            int differing = 0;
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    differing += now.At(x, y) != reference.At(x, y);
            ASSERT_EQ(differing, 0) << "redraw " << host.redraws;
            ++compared;
        }
        EXPECT_GE(compared, 3);
    }
}

TEST_F(StatusPanelFixture, BarsHaveTheirHeightAndColourPerSignal) {
    struct Row {
        int32_t snr;
        bool used;
        COLORREF bar;
        int height;
        const char* value;  // magenta text above the base line, or null
    } rows[] = {
        {57, true, kBlue, 26, "50"},   {57, false, kGreen, 25, "49"}, {30, true, kBlue, 16, "30"},
        {30, false, kGreen, 16, "30"}, {1, true, kBlue, 1, "1"},      {1, false, kGreen, 1, "1"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "snr " << r.snr << " used " << r.used);
        model = ReceiverModel{};
        SetSatellite(5, r.snr, r.used);
        Canvas c;
        Paint(c);
        const int x0 = 320, base = 40;
        // Both outer columns of the bar run the full height and no further.
        EXPECT_EQ(BarHeight(c, x0 + 17, base, r.bar), r.height);
        EXPECT_EQ(c.At(x0 + 17, base - 1 - r.height), kWhite);
        // Nothing of the bar spills beside it.
        EXPECT_EQ(c.Count(r.bar, x0 + 18, 0, x0 + 25, base), 0);
        EXPECT_EQ(c.Count(r.bar, x0 - 5, 0, x0, base), 0);
        // Below the base line only the satellite's number is drawn, in black.
        EXPECT_EQ(c.Count(r.bar, x0, base, x0 + 25, base + 50), 0);
        EXPECT_GT(c.Count(kBlack, x0, base, x0 + 23, base + 50), 3);
        if (r.used) {
            EXPECT_EQ(c.Count(kWhite, x0 + 17, base - r.height, x0 + 18, base), 0);
        } else {
            // A green frame around a white inside; the one-pixel line has no inside.
            const int top = base - r.height;
            // (the value's smoothed digits may be drawn over the top of the frame)
            EXPECT_EQ(c.At(x0, top), kGreen);
            EXPECT_EQ(c.Count(kWhite, x0, top, x0 + 18, top + 1), 0);
            EXPECT_EQ(c.Count(kGreen, x0, base - 1, x0 + 18, base), 18);
            if (r.height > 2) {
                EXPECT_EQ(c.At(x0 + 17 - 1, base - 2), kWhite);
            }
        }
        EXPECT_GT(c.Count(kMagenta, x0, base - 20, x0 + 23, base), 3);
    }
}

TEST_F(StatusPanelFixture, SkyCirclesSitAtTheDecodedPositionsInTheirColours) {
    struct Row {
        int entry;
        int32_t snr;
        bool used;
        int x, y;  // the GSV decoder's worked positions, and two more
        COLORREF pen;
    } rows[] = {
        {12, 40, true, 99, 54, kBlue},     // elevation 45, azimuth 45
        {14, 35, false, 113, 97, kGreen},  // elevation 30, azimuth 120
        {16, 0, false, 40, 110, kRed},     // in view, no signal
        {17, 0, true, 60, 30, kRed},       // used but silent: still red
    };
    for (const Row& r : rows)
        SetSatellite(r.entry, r.snr, r.used, r.x, r.y);
    Canvas c;
    Paint(c);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.entry);
        RECT e = c.Extent(r.pen, r.x - 16, r.y - 14, r.x + 16, r.y + 14);
        // The outline of the 22 x 18 box, allowing the 2-pixel pen a pixel of play.
        EXPECT_NEAR(e.left, r.x - 11, 1);
        EXPECT_NEAR(e.right, r.x + 11, 1);
        EXPECT_NEAR(e.top, r.y - 9, 1);
        EXPECT_NEAR(e.bottom, r.y + 9, 1);
        // Filled white, with the number in the top half of the box.
        EXPECT_EQ(c.At(r.x - 6, r.y + 5), kWhite);
        EXPECT_GT(c.Count(kBlack, r.x - 10, r.y - 8, r.x + 10, r.y + 8), 3);
    }
    // The silent ones get no bar and no value in their cells (third and fourth).
    for (int x0 : {370, 395}) {
        EXPECT_EQ(c.Count(kRed, x0, 0, x0 + 25, 40), 0);
        EXPECT_EQ(c.Count(kBlue, x0, 0, x0 + 25, 40), 0);
        EXPECT_EQ(c.Count(kMagenta, x0, 0, x0 + 25, 40), 0);
        EXPECT_GT(c.Count(kBlack, x0, 40, x0 + 23, 90), 3);
    }
}

TEST_F(StatusPanelFixture, ASatelliteWithoutAPlaceHasItsBarButNoCircle) {
    SetSatellite(4, 40, true, 0, 0);  // listed with empty elevation and azimuth
    SetSatellite(5, 0, false, 0, 0);  // the same, without a signal
    Canvas c;
    Paint(c);
    EXPECT_GT(c.Count(kBlue, 320, 0, 345, 40), 0);
    EXPECT_GT(c.Count(kBlack, 345, 40, 368, 90), 3);
    for (COLORREF pen : {kBlue, kRed})
        EXPECT_EQ(c.Count(pen, 0, 0, 155, 155), 0);
}

TEST_F(StatusPanelFixture, TheOffsetAppliesWhileLoggingAndNeverBelowZero) {
    struct Row {
        bool logging;
        int32_t snr;
        int height;  // of a used satellite's bar: value / 2 + 1
    } rows[] = {
        {true, 35, 13},   // shown as 25
        {true, 5, 3},     // 5 - 10 would be negative: shown as 5
        {false, 35, 18},  // log closed: no offset
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "logging " << r.logging << " snr " << r.snr);
        model = ReceiverModel{};
        const SatelliteSlot& nine = SetSatellite(9, r.snr, true);
        Canvas c;
        if (r.logging) {
            LoggingWithOffset log(panel, -10);
            Paint(c);
        } else {
            Paint(c);
        }
        EXPECT_EQ(BarHeight(c, 337, 40, kBlue), r.height);
        // The stored value stays as decoded.
        EXPECT_EQ(nine.snr, r.snr);
    }
    // The offset never turns a silent satellite into one with a bar.
    model = ReceiverModel{};
    SetSatellite(9, 0, true, 60, 60);
    LoggingWithOffset log(panel, 20);
    Canvas c;
    Paint(c);
    EXPECT_EQ(c.Count(kBlue, 320, 0, 345, 40), 0);
    EXPECT_GT(c.Count(kRed, 45, 45, 75, 75), 0);
}

TEST_F(StatusPanelFixture, ExtremeStoredValuesStayInsideTheirCell) {
    SetSatellite(5, -1000000, true);
    SetSatellite(6, -40, false);
    Canvas c;
    Paint(c);
    // No bar grows below the base line over the numbers.
    EXPECT_EQ(c.Count(kBlue, 320, 40, 370, kHeight), 0);
    EXPECT_EQ(c.Count(kGreen, 320, 40, 370, kHeight), 0);
    // A value too long for the buffer shows a marker, not a cut number.
    EXPECT_GT(c.Count(kMagenta, 320, 20, 343, 40), 0);
    EXPECT_LT(c.Count(kMagenta, 320, 20, 343, 40), c.Count(kMagenta, 345, 20, 368, 40));
}
