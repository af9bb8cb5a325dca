// The status and sky panel as a window: its template, the texts in their
// boxes, the sky picture, what reaches the screen and when it is repainted.
// The satellites' grids are checked in panel_status_classic_test.cpp and
// panel_status_systems_test.cpp.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "nmea/text16.h"
#include "panels/status_panel.h"
#include "res/resource.h"
#include "tests/windows/panel_status_support.h"

using namespace status_test;

namespace {

const Box kLabelBoxes[] = {
    {165, 5, 200, 25},    {165, 25, 200, 45},  {165, 45, 240, 65},
    {165, 65, 210, 85},   {165, 85, 210, 105}, {165, 105, 210, 125},
    {165, 125, 210, 145}, {5, 157, 35, 170},   {150, 157, 200, 170},
};

}  // namespace

TEST_F(StatusPanelFixture, TemplateIsAnInvisibleChildWithoutControls) {
    const LONG style = GetWindowLongW(panel.hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & WS_VISIBLE);
    EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER));
    EXPECT_EQ(GetWindow(panel.hwnd, GW_CHILD), nullptr);
    RECT want{0, 0, 253, 169};
    MapDialogRect(panel.hwnd, &want);
    RECT client;
    GetClientRect(panel.hwnd, &client);
    EXPECT_EQ(client.right, want.right);
    EXPECT_EQ(client.bottom, want.bottom);
}

// A text's box as painted: where the font needs more than the box of the
// default layout gives, it grows right and down, from the same corner.
Box Painted(const status_layout::Box& grown, const Box& seed) {
    EXPECT_EQ(grown.left, seed.left);
    EXPECT_EQ(grown.top, seed.top);
    EXPECT_GE(grown.right, seed.right);
    EXPECT_GE(grown.bottom, seed.bottom);
    return {grown.left, grown.top, grown.right, grown.bottom};
}

TEST_F(StatusPanelFixture, LabelsAreDrawnInsideTheirBoxesAndNothingElseWithAnEmptyRecord) {
    Canvas c;
    Paint(c);
    const auto plan = PlanOf(c);
    Box boxes[9];
    for (size_t i = 0; i < 9; ++i)
        boxes[i] = Painted(plan->texts[i].box, kLabelBoxes[i]);
    for (const Box& b : boxes)
        EXPECT_GT(c.Count(kBlack, b.left, b.top, b.right, b.bottom), 3) << b.left << "," << b.top;
    // Outside the picture, every dark pixel belongs to a label; the grids are empty.
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (x < 155 && y < 155)
                continue;
            const COLORREF p = c.At(x, y);
            if (p == kWhite)
                continue;
            bool inLabel = false;
            for (const Box& b : boxes)
                inLabel = inLabel || Inside(x, y, b);
            ASSERT_TRUE(inLabel) << "stray pixel at " << x << "," << y;
        }
}

TEST_F(StatusPanelFixture, EachValueIsDrawnOnlyInsideItsOwnBox) {
    const Box date{225, 5, 300, 25}, time{240, 25, 300, 45}, course{240, 45, 300, 65},
        speed{240, 65, 300, 85}, fixState{240, 85, 300, 105}, hdop{240, 105, 300, 125},
        pdop{240, 125, 300, 145}, latHemisphere{40, 157, 55, 170}, latitude{60, 157, 140, 170},
        lonHemisphere{185, 157, 215, 170}, longitude{205, 157, 305, 170};
    // Each row fills what the model holds for some slots with the widest it
    // can make them show (wide glyphs cut at the slot's size where the text
    // is as sent), so clipping at the right edge counts.
    const char16_t* wide = u"WWWWWWWWWWWWWWWWWWWW";
    struct Row {
        void (*fill)(SentFields& sent, const char16_t* wide);
        std::vector<Box> boxes;
    } rows[] = {
        {[](SentFields& s, const char16_t*) { s.localTime = 1; }, {date, time}},
        {[](SentFields& s, const char16_t* w) {
             s.rmcSent = 1;
             text16::Copy(s.course, w);
             text16::Copy(s.speedKnots, u"539956803");  // 999999999 km/h, no room for the unit
         },
         {course, speed}},
        {[](SentFields& s, const char16_t*) { s.fixState = FixState::kNoFix; }, {fixState}},
        {[](SentFields& s, const char16_t* w) { text16::Copy(s.hdop, w); }, {hdop}},
        {[](SentFields& s, const char16_t* w) { text16::Copy(s.pdop, w); }, {pdop}},
        {[](SentFields& s, const char16_t* w) { text16::Copy(s.latHemisphere, w); },
         {latHemisphere}},
        {[](SentFields& s, const char16_t* w) { text16::Copy(s.lonHemisphere, w); },
         {lonHemisphere}},
        {[](SentFields& s, const char16_t*) {
             text16::Copy(s.latitude, u"8959.9999999999");
             text16::Copy(s.longitude, u"17959.9999999999");
         },
         {latitude, longitude}},
    };
    model.receiverTime = CivilTime{2088, 8, 0, 28, 20, 58, 48, 0};
    Canvas empty;
    Paint(empty);
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.boxes[0].left << "," << r.boxes[0].top);
        r.fill(model.sent, wide);
        Canvas c;
        Paint(c);
        const auto plan = PlanOf(c);
        model.sent = SentFields{};
        // The boxes as painted: the plan's value boxes grown from the same corners.
        std::vector<Box> boxes;
        for (const Box& seed : r.boxes) {
            size_t k = 9;
            while (k < plan->texts.size() &&
                   (plan->texts[k].box.left != seed.left || plan->texts[k].box.top != seed.top))
                ++k;
            ASSERT_LT(k, plan->texts.size()) << "no value box at " << seed.left << "," << seed.top;
            boxes.push_back(Painted(plan->texts[k].box, seed));
        }
        std::vector<int> inside(boxes.size(), 0);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                if (c.At(x, y) == empty.At(x, y))
                    continue;
                size_t in = 0;
                while (in < boxes.size() && !Inside(x, y, boxes[in]))
                    ++in;
                ASSERT_LT(in, boxes.size()) << "pixel at " << x << "," << y;
                ++inside[in];
            }
        for (size_t i = 0; i < boxes.size(); ++i) {
            const Box& box = boxes[i];
            EXPECT_GT(inside[i], 5) << "box at " << box.left << "," << box.top;
            // The text starts at the box's top-left corner.
            RECT ink = c.Extent(kBlack, box.left, box.top, box.right, box.bottom);
            EXPECT_LE(ink.left, box.left + 3);
            EXPECT_LE(ink.top, box.top + 4);
        }
    }
}

TEST_F(StatusPanelFixture, TheSkyPictureIsCopiedAtTheOriginAndCircledOver) {
    panel.skyBitmap.reset(LoadBitmapW(g_hInstance, MAKEINTRESOURCEW(IDB_SKY)));
    ASSERT_TRUE(panel.skyBitmap);  // its size is checked with the other resources
    Canvas reference;
    DrawBitmap(reference.dc(), panel.skyBitmap.get(), 0, 0, SRCCOPY);
    Canvas c;
    Paint(c);
    for (int y = 0; y < 155; ++y)
        for (int x = 0; x < 155; ++x)
            ASSERT_EQ(c.At(x, y), reference.At(x, y)) << x << "," << y;
    EXPECT_EQ(c.At(155, 10), kWhite);

    SetSatellite(12, 40, true, 99, 54);
    Canvas circled;
    Paint(circled);
    EXPECT_EQ(circled.At(93, 59), kWhite);
    EXPECT_EQ(circled.At(30, 30), reference.At(30, 30));
}

TEST_F(StatusPanelFixture, WithoutTheSkyPictureTheChartStaysWhiteAndCirclesAreDrawn) {
    ASSERT_FALSE(panel.skyBitmap);
    SetSatellite(12, 40, true, 99, 54);
    Canvas c;
    Paint(c);
    EXPECT_EQ(c.At(77, 77), kWhite);
    EXPECT_EQ(c.At(5, 5), kWhite);
    EXPECT_GT(c.Count(kBlue, 86, 43, 112, 65), 10);
}

TEST_F(StatusPanelFixture, TheWindowShowsWhatPaintContentDraws) {
    SetSatellite(3, 57, true, 99, 54);
    SetSatellite(40, 33, false, 113, 97);
    model.sent.fixState = FixState::k3D;
    MoveWindow(panel.hwnd, 0, 0, kWidth, kHeight, FALSE);
    ShowWindow(main.hwnd(), SW_SHOWNOACTIVATE);
    ShowWindow(panel.hwnd, SW_SHOW);
    panel.Redraw();
    UpdateWindow(panel.hwnd);
    EXPECT_FALSE(GetUpdateRect(panel.hwnd, nullptr, FALSE));

    Canvas expected;
    Paint(expected);
    Canvas screen;
    HDC window = GetDC(panel.hwnd);
    BitBlt(screen.dc(), 0, 0, 560, 250, window, 0, 0, SRCCOPY);
    ReleaseDC(panel.hwnd, window);
    int differing = 0;
    for (int y = 0; y < 250; ++y)
        for (int x = 0; x < 560; ++x)
            differing += screen.At(x, y) != expected.At(x, y);
    EXPECT_EQ(differing, 0);
}

// Reporting cycles can complete faster than a screen shows them: within a
// frame of the last paint a cycle's redraw is held back and a timer completes
// it; a frame later, or asked for by anything else, it invalidates at once.
// The frames run on a clock of the test's, so a loaded machine cannot move
// them; the timer is the system's and is awaited.
TEST_F(StatusPanelFixture, ACycleRedrawWithinAFrameOfThePaintWaitsForTheFrame) {
    const auto invalid = [&] { return GetUpdateRect(panel.hwnd, nullptr, FALSE) != FALSE; };
    DWORD now = 0xFFFFFFF0u;  // the frame spans the counter's wrap
    panel.SetClock([&] { return now; });
    MoveWindow(panel.hwnd, 0, 0, kWidth, kHeight, FALSE);
    ShowWindow(main.hwnd(), SW_SHOWNOACTIVATE);
    ShowWindow(panel.hwnd, SW_SHOW);
    UpdateWindow(panel.hwnd);
    ASSERT_FALSE(invalid());

    now += CRestoreDlg::kFrameMs - 10;
    panel.RedrawCycle();
    panel.RedrawCycle();
    EXPECT_FALSE(invalid()) << "held back within the frame";
    int timers = 0;
    const DWORD waitedFrom = GetTickCount();
    MSG message;
    while (!invalid() && GetTickCount() - waitedFrom < 10000) {
        if (PeekMessageW(&message, panel.hwnd, WM_TIMER, WM_TIMER, PM_REMOVE)) {
            DispatchMessageW(&message);
            ++timers;
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_TIMER);
        }
    }
    ASSERT_TRUE(invalid()) << "no redraw in 10 s: the timer that completes a held cycle";
    EXPECT_EQ(timers, 1) << "one timer for both cycles";

    UpdateWindow(panel.hwnd);
    ASSERT_FALSE(invalid());
    panel.Redraw();
    EXPECT_TRUE(invalid()) << "any other redraw at once";

    UpdateWindow(panel.hwnd);
    now += CRestoreDlg::kFrameMs;
    panel.RedrawCycle();
    EXPECT_TRUE(invalid()) << "a frame after the paint, at once";
    EXPECT_FALSE(PeekMessageW(&message, panel.hwnd, WM_TIMER, WM_TIMER, PM_NOREMOVE))
        << "no timer left running";
    ShowWindow(main.hwnd(), SW_HIDE);
}
