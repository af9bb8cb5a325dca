// What the status panel's pixel tests share: a 32-bit canvas in a memory DC
// to paint into and read back, the panel's colours, the real panel created
// on a stand-in main window, and satellites put into its record.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "nmea/intake_host.h"
#include "panels/status_panel.h"
#include "tests/native/sky_angles.h"
#include "tests/windows/link_test_support.h"
#include "tests/windows/panel_test_support.h"

namespace status_test {

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
    explicit Canvas(int width = kWidth, int height = kHeight) : width_(width), height_(height) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
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
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const {
        GdiFlush();
        const uint32_t p = bits_[y * width_ + x];
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
    int width_;
    int height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    uint32_t* bits_ = nullptr;
};

// Run length of a colour in one column, upwards from the row above `base`.
inline int BarHeight(const Canvas& c, int x, int base, COLORREF colour) {
    int h = 0;
    while (base - 1 - h >= 0 && c.At(x, base - 1 - h) == colour)
        ++h;
    return h;
}

// A satellite of the record, known by its number as sent under the hint
// (GPS and the ranges by default), in view with these values.
inline SatelliteSlot& PutSatellite(ReceiverModel& status, int32_t number, int32_t snr, bool used,
                                   int32_t x = 140, int32_t y = 140,
                                   SystemHint hint = {GnssSystem::kGps, false}) {
    bool added = false;
    SatelliteSlot* slot = SatelliteFor(status, IdentifySatellite(number, hint), number, &added);
    EXPECT_NE(slot, nullptr) << number;
    static SatelliteSlot none{};
    SatelliteSlot& s = slot != nullptr ? *slot : none;
    s.inView = 1;
    s.used = used ? 1 : 0;
    s.snr = snr;
    PlaceOnClassicChart(s, x, y);
    return s;
}

// An intake host without a window, for feeding recorded lines to the record.
// Its clock moves 125 ms a line and never sleeps.
class QuietHost : public link_test::FakeHost {
  public:
    int redraws = 0;
    void Redraw() override { ++redraws; }
    uint32_t TickCount() override { return tick += 125; }

  private:
    uint32_t tick = 1000;
};

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

struct Box {
    int left, top, right, bottom;
};

inline bool Inside(int x, int y, const Box& b) {
    return x >= b.left && x < b.right && y >= b.top && y < b.bottom;
}

struct StatusPanelFixture : testing::Test {
    panel_test::FakeMainWindow main;
    ReceiverModel model{};
    CRestoreDlg panel{model};

    void SetUp() override {
        ASSERT_TRUE(panel.Create(main.hwnd()));
        ASSERT_TRUE(panel.whiteBrush);
    }
    void TearDown() override { DestroyWindow(panel.hwnd); }
    SatelliteSlot& SetSatellite(int32_t number, int32_t snr, bool used, int32_t x = 140,
                                int32_t y = 140, SystemHint hint = {GnssSystem::kGps, false}) {
        return PutSatellite(model, number, snr, used, x, y, hint);
    }
    // Where the paint puts everything, texts measured in its fonts.
    std::unique_ptr<status_layout::PanelPlan> PlanOf(const Canvas& c) {
        auto plan = std::make_unique<status_layout::PanelPlan>();
        panel.PlanPaint(c.dc(), plan.get());
        return plan;
    }
    void Paint(Canvas& c) {
        const RECT client{0, 0, c.Width(), c.Height()};
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
        std::fprintf(f, "P6 %d %d 255\n", c.Width(), c.Height());
        for (int y = 0; y < c.Height(); ++y)
            for (int x = 0; x < c.Width(); ++x) {
                COLORREF p = c.At(x, y);
                unsigned char rgb[3] = {GetRValue(p), GetGValue(p), GetBValue(p)};
                std::fwrite(rgb, 1, 3, f);
            }
        std::fclose(f);
    }
};

}  // namespace status_test
