// The status and sky panel painted into a memory DC and checked pixel by
// pixel: texts in their boxes, bar heights and colours, grid cells, sky
// circles, the second grid's cyan, and the signal offset while logging.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "nmea/text16.h"
#include "panels/status_panel.h"
#include "res/resource.h"
#include "tests/windows/panel_test_support.h"

using panel_test::FakeMainWindow;

namespace {

constexpr int kWidth = 580;
constexpr int kHeight = 400;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kCyan = RGB(0, 255, 255);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

// A fresh 32-bit top-down DIB in its own memory DC: a new DC has the same
// defaults (white brush, black text, system font) as the paint's memory DC.
class Canvas {
  public:
    Canvas() {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = kWidth;
        bi.bmiHeader.biHeight = -kHeight;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<uint32_t*>(bits);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const {
        GdiFlush();
        const uint32_t p = bits_[y * kWidth + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // Pixels of one colour inside [left, right) x [top, bottom).
    int Count(COLORREF c, int left, int top, int right, int bottom) const {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                n += At(x, y) == c;
        return n;
    }
    // Bounding box of one colour inside a region; empty when absent.
    RECT Extent(COLORREF c, int left, int top, int right, int bottom) const {
        RECT r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (At(x, y) == c) {
                    r.left = std::min<LONG>(r.left, x);
                    r.top = std::min<LONG>(r.top, y);
                    r.right = std::max<LONG>(r.right, x + 1);
                    r.bottom = std::max<LONG>(r.bottom, y + 1);
                }
        return r;
    }

  private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    uint32_t* bits_ = nullptr;
};

// Run length of a colour in one column, upwards from the row above `base`.
int BarHeight(const Canvas& c, int x, int base, COLORREF colour) {
    int h = 0;
    while (base - 1 - h >= 0 && c.At(x, base - 1 - h) == colour)
        ++h;
    return h;
}

void SetSatellite(CRestoreDlg& panel, int i, int32_t snr, bool used, int32_t x = 140,
                  int32_t y = 140) {
    panel.status.satellites[i] = {1, static_cast<uint8_t>(used ? 1 : 0), snr, x, y};
}

// Temporarily marks the log file as open with a signal offset.
class LoggingWithOffset {
  public:
    LoggingWithOffset(CRestoreDlg& panel, int32_t offset) : panel_(panel) {
        panel_.signalOffsetOn = true;
        panel_.signalOffset = offset;
    }
    ~LoggingWithOffset() {
        panel_.signalOffsetOn = false;
        panel_.signalOffset = 0;
    }

  private:
    CRestoreDlg& panel_;
};

struct StatusPanelFixture : testing::Test {
    FakeMainWindow main;
    CRestoreDlg panel;

    void SetUp() override {
        ASSERT_TRUE(panel.Create(main.hwnd()));
        ASSERT_TRUE(panel.whiteBrush);
    }
    void TearDown() override { DestroyWindow(panel.hwnd); }
    void Paint(Canvas& c) {
        const RECT client{0, 0, kWidth, kHeight};
        panel.PaintContent(c.dc(), client);
        // Optional picture for a human look: SKYLOOM_PANEL_DUMP=dir.
        if (const char* dir = std::getenv("SKYLOOM_PANEL_DUMP"))
            Dump(c, dir);
    }
    static void Dump(const Canvas& c, const char* dir) {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        static int serial = 0;
        std::string path =
            std::string(dir) + "/" + info->name() + "_" + std::to_string(++serial) + ".ppm";
        FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr)
            return;
        std::fprintf(f, "P6 %d %d 255\n", kWidth, kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                COLORREF p = c.At(x, y);
                unsigned char rgb[3] = {GetRValue(p), GetGValue(p), GetBValue(p)};
                std::fwrite(rgb, 1, 3, f);
            }
        std::fclose(f);
    }
};

struct Box {
    int left, top, right, bottom;
};

const Box kLabelBoxes[] = {
    {165, 5, 200, 25},    {165, 25, 200, 45},  {165, 45, 240, 65},
    {165, 65, 210, 85},   {165, 85, 210, 105}, {165, 105, 210, 125},
    {165, 125, 210, 145}, {5, 157, 35, 170},   {150, 157, 200, 170},
};

bool Inside(int x, int y, const Box& b) {
    return x >= b.left && x < b.right && y >= b.top && y < b.bottom;
}

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

TEST_F(StatusPanelFixture, LabelsAreDrawnInsideTheirBoxesAndNothingElseWithAnEmptyRecord) {
    Canvas c;
    Paint(c);
    for (const Box& b : kLabelBoxes)
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
            for (const Box& b : kLabelBoxes)
                inLabel = inLabel || Inside(x, y, b);
            ASSERT_TRUE(inLabel) << "stray pixel at " << x << "," << y;
        }
}

TEST_F(StatusPanelFixture, EachValueIsDrawnOnlyInsideItsOwnBox) {
    struct Row {
        char16_t* slot;
        size_t capacity;
        Box box;
    } rows[] = {
        {panel.status.texts.date, 15, {225, 5, 300, 25}},
        {panel.status.texts.time, 10, {240, 25, 300, 45}},
        {panel.status.texts.course, 10, {240, 45, 300, 65}},
        {panel.status.texts.speed, 10, {240, 65, 300, 85}},
        {panel.status.texts.fixState, 10, {240, 85, 300, 105}},
        {panel.status.texts.hdop, 10, {240, 105, 300, 125}},
        {panel.status.texts.pdop, 10, {240, 125, 300, 145}},
        {panel.status.texts.latHemisphere, 10, {40, 157, 55, 170}},
        {panel.status.texts.latitude, 15, {60, 157, 140, 170}},
        {panel.status.texts.lonHemisphere, 10, {185, 157, 215, 170}},
        {panel.status.texts.longitude, 15, {205, 157, 305, 170}},
    };
    Canvas empty;
    Paint(empty);
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.box.left << "," << r.box.top);
        // Filled to capacity with wide glyphs, so clipping at the right edge counts.
        for (size_t i = 0; i + 1 < r.capacity; ++i)
            r.slot[i] = u'W';
        r.slot[r.capacity - 1] = 0;
        Canvas c;
        Paint(c);
        r.slot[0] = 0;
        int inside = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                if (c.At(x, y) == empty.At(x, y))
                    continue;
                ASSERT_TRUE(Inside(x, y, r.box)) << "pixel at " << x << "," << y;
                ++inside;
            }
        EXPECT_GT(inside, 5);
        // The text starts at the box's top-left corner.
        RECT ink = c.Extent(kBlack, r.box.left, r.box.top, r.box.right, r.box.bottom);
        EXPECT_LE(ink.left, r.box.left + 3);
        EXPECT_LE(ink.top, r.box.top + 4);
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
        panel.status = ReceiverStatus{};
        SetSatellite(panel, 5, r.snr, r.used);
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

TEST_F(StatusPanelFixture, SatellitesTakeAdjacentCellsInEntryOrder) {
    SetSatellite(panel, 20, 57, true);
    SetSatellite(panel, 3, 57, true);
    SetSatellite(panel, 7, 57, true);
    Canvas c;
    Paint(c);
    for (int x0 : {320, 345, 370}) {
        SCOPED_TRACE(x0);
        // The top rows of each bar, above the value text.
        EXPECT_EQ(c.Count(kBlue, x0, 14, x0 + 18, 20), 18 * 6);
        EXPECT_EQ(c.Count(kBlue, x0 + 18, 14, x0 + 25, 20), 0);
    }
    EXPECT_EQ(c.Count(kBlue, 395, 0, kWidth, 200), 0);
    // The numbers go in entry order: "03" under the first bar, "20" under the third.
    Canvas only3;
    panel.status = ReceiverStatus{};
    SetSatellite(panel, 3, 57, true);
    Paint(only3);
    for (int y = 40; y < 90; ++y)
        for (int x = 320; x < 343; ++x)
            ASSERT_EQ(c.At(x, y), only3.At(x, y)) << x << "," << y;
}

TEST_F(StatusPanelFixture, TheSecondGridWritesItsNumbersInCyan) {
    SetSatellite(panel, 5, 40, false, 40, 40);
    SetSatellite(panel, 33, 40, false, 120, 120);
    SetSatellite(panel, 34, 0, false, 40, 120);
    Canvas c;
    Paint(c);
    // First grid: black number, none cyan.
    EXPECT_GT(c.Count(kBlack, 320, 40, 343, 90), 3);
    EXPECT_EQ(c.Count(kCyan, 320, 40, 343, 90), 0);
    // Second grid starts its own first cell at (320, 160), numbers cyan, no black.
    EXPECT_GT(c.Count(kGreen, 320, 130, 338, 160), 0);
    EXPECT_GT(c.Count(kCyan, 320, 160, 343, 210), 3);
    EXPECT_EQ(c.Count(kBlack, 320, 160, 343, 210), 0);
    EXPECT_GT(c.Count(kMagenta, 320, 140, 343, 160), 3);
    // A no-signal satellite of the second grid: cyan number too.
    EXPECT_GT(c.Count(kCyan, 345, 160, 368, 210), 3);
    // Sky circle numbers follow the grid's colour.
    EXPECT_GT(c.Count(kBlack, 29, 31, 51, 49), 3);
    EXPECT_EQ(c.Count(kCyan, 29, 31, 51, 49), 0);
    EXPECT_GT(c.Count(kCyan, 109, 111, 131, 129), 3);
    EXPECT_GT(c.Count(kCyan, 29, 111, 51, 129), 3);
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
        SetSatellite(panel, r.entry, r.snr, r.used, r.x, r.y);
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
    SetSatellite(panel, 4, 40, true, 0, 0);  // listed with empty elevation and azimuth
    SetSatellite(panel, 5, 0, false, 0, 0);  // the same, without a signal
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
        panel.status = ReceiverStatus{};
        SetSatellite(panel, 9, r.snr, true);
        Canvas c;
        if (r.logging) {
            LoggingWithOffset log(panel, -10);
            Paint(c);
        } else {
            Paint(c);
        }
        EXPECT_EQ(BarHeight(c, 337, 40, kBlue), r.height);
        // The stored value stays as decoded.
        EXPECT_EQ(panel.status.satellites[9].snr, r.snr);
    }
    // The offset never turns a silent satellite into one with a bar.
    panel.status = ReceiverStatus{};
    SetSatellite(panel, 9, 0, true, 60, 60);
    LoggingWithOffset log(panel, 20);
    Canvas c;
    Paint(c);
    EXPECT_EQ(c.Count(kBlue, 320, 0, 345, 40), 0);
    EXPECT_GT(c.Count(kRed, 45, 45, 75, 75), 0);
}

TEST_F(StatusPanelFixture, ExtremeStoredValuesStayInsideTheirCell) {
    SetSatellite(panel, 5, -1000000, true);
    SetSatellite(panel, 6, -40, false);
    Canvas c;
    Paint(c);
    // No bar grows below the base line over the numbers.
    EXPECT_EQ(c.Count(kBlue, 320, 40, 370, kHeight), 0);
    EXPECT_EQ(c.Count(kGreen, 320, 40, 370, kHeight), 0);
    // A value too long for the buffer shows a marker, not a cut number.
    EXPECT_GT(c.Count(kMagenta, 320, 20, 343, 40), 0);
    EXPECT_LT(c.Count(kMagenta, 320, 20, 343, 40), c.Count(kMagenta, 345, 20, 368, 40));
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

    SetSatellite(panel, 12, 40, true, 99, 54);
    Canvas circled;
    Paint(circled);
    EXPECT_EQ(circled.At(93, 59), kWhite);
    EXPECT_EQ(circled.At(30, 30), reference.At(30, 30));
}

TEST_F(StatusPanelFixture, WithoutTheSkyPictureTheChartStaysWhiteAndCirclesAreDrawn) {
    ASSERT_FALSE(panel.skyBitmap);
    SetSatellite(panel, 12, 40, true, 99, 54);
    Canvas c;
    Paint(c);
    EXPECT_EQ(c.At(77, 77), kWhite);
    EXPECT_EQ(c.At(5, 5), kWhite);
    EXPECT_GT(c.Count(kBlue, 86, 43, 112, 65), 10);
}

TEST_F(StatusPanelFixture, TheWindowShowsWhatPaintContentDraws) {
    SetSatellite(panel, 3, 57, true, 99, 54);
    SetSatellite(panel, 40, 33, false, 113, 97);
    text16::Copy(panel.status.texts.fixState, 10, u"3D");
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
TEST_F(StatusPanelFixture, ACycleRedrawWithinAFrameOfThePaintWaitsForTheFrame) {
    const auto invalid = [&] { return GetUpdateRect(panel.hwnd, nullptr, FALSE) != FALSE; };
    MoveWindow(panel.hwnd, 0, 0, kWidth, kHeight, FALSE);
    ShowWindow(main.hwnd(), SW_SHOWNOACTIVATE);
    ShowWindow(panel.hwnd, SW_SHOW);
    UpdateWindow(panel.hwnd);
    const DWORD painted = GetTickCount();
    ASSERT_FALSE(invalid());

    panel.RedrawCycle();
    panel.RedrawCycle();
    // Only meaningful if this thread was not held up for a whole frame.
    const bool withinFrame = GetTickCount() - painted < CRestoreDlg::kFrameMs;
    if (withinFrame) {
        EXPECT_FALSE(invalid()) << "held back within the frame";
    }
    Sleep(CRestoreDlg::kFrameMs + 20);
    int timers = 0;
    MSG message;
    while (PeekMessageW(&message, panel.hwnd, WM_TIMER, WM_TIMER, PM_REMOVE)) {
        DispatchMessageW(&message);
        ++timers;
    }
    // Held up, a cycle invalidates at once and may need no timer at all.
    if (withinFrame) {
        EXPECT_EQ(timers, 1) << "one timer for both cycles";
    } else {
        EXPECT_LE(timers, 1) << "never a timer per cycle";
    }
    EXPECT_TRUE(invalid()) << "completed by the timer";

    UpdateWindow(panel.hwnd);
    ASSERT_FALSE(invalid());
    panel.Redraw();
    EXPECT_TRUE(invalid()) << "any other redraw at once";

    UpdateWindow(panel.hwnd);
    Sleep(CRestoreDlg::kFrameMs + 10);
    panel.RedrawCycle();
    EXPECT_TRUE(invalid()) << "a frame after the paint, at once";
    ShowWindow(main.hwnd(), SW_HIDE);
}
