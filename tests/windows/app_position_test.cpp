// The Position Statistics window in the real main window (its menu item is
// in the shortcut test's table): fed by delivered lines while open, its figures, the typed
// reference refused or taken, Reset, and the painted pixels of the map.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app_main_window_fixture.h"
#include "panels/position_map_layout.h"
#include "tests/windows/panel_status_support.h"
#include "win32/messages.h"

namespace app_test {
namespace {

std::string Nmea(const std::string& body) {
    unsigned sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

// Two fixes on the equator 0.00002 degrees of longitude apart: 1.113 m either
// side of their mean, 10 m apart in height; GST before the first one's GGA.
const std::string kLines[] = {
    Nmea("GPGST,120000.00,1.0,1.0,1.0,0.0,0.300,0.400,0.900"),
    Nmea("GPGGA,120000.00,0000.0000,N,00000.0000,E,1,08,0.9,10.0,M,0.0,M,,"),
    Nmea("GPGGA,120001.00,0000.0000,N,00000.0012,E,1,09,0.9,20.0,M,0.0,M,,"),
    Nmea("GPGGA,120002.00,0000.0000,N,00000.0012,E,6,09,0.9,20.0,M,0.0,M,,"),    // estimated
    "$GPGGA,120003.00,0000.0000,N,00000.0012,E,1,09,0.9,20.0,M,0.0,M,,*00\r\n",  // a wrong sum
};

class PositionWindowTest : public MainWindowTest<> {
  protected:
    HWND Item(int id) const { return GetDlgItem(window.positionDialog.hwnd, id); }
    std::wstring Figures() const { return WindowText(Item(IDC_POS_FIGURES)); }
    std::wstring Note() const { return WindowText(Item(IDC_POS_NOTE)); }
    void Press(int id) { SendMessageW(window.positionDialog.hwnd, WM_COMMAND, id, 0); }
    void Deliver(const std::string& line) {
        const std::u16string text(line.begin(), line.end());
        window.DeliverLine(text.c_str());
    }
    // The figures follow on the window's refresh timer: wait for the text.
    void AwaitFigures(const std::wstring& part) {
        ASSERT_TRUE(
            link_test::PumpUntil([&] { return Figures().find(part) != std::wstring::npos; }, 5000))
            << "awaited \"" << std::string(part.begin(), part.end()) << "\" in the figures";
    }
    void Open() {
        SendMessageW(main, WM_COMMAND, IDM_POSITION_STATS, 0);
        ASSERT_TRUE(window.positionDialog.IsOpen());
    }
};

TEST_F(PositionWindowTest, FiguresOfTheLinesDeliveredWhileOpen) {
    Deliver(kLines[1]);  // before the window opens: not measured
    Open();
    for (const std::string& line : kLines)
        Deliver(line);
    AwaitFigures(L"Fixes: 2\r\n");
    const std::wstring f = Figures();
    for (const wchar_t* expected :
         {L"GPS 2, DGPS 0, PPS 0, RTK fixed 0, RTK float 0; other 1\r\n", L"Reference: mean\r\n",
          L"Ref. longitude: 0.000010000\xB0\r\n", L"CEP50: 1.113 m\r\n", L"CEP95: 1.113 m\r\n",
          L"SD east: 1.574 m\r\n", L"SD north: 0.000 m\r\n", L"SD up: 7.071 m\r\n",
          L"Alt. mean: 15.000 m\r\n", L"GST horizontal: 0.500 m\r\n", L"GST vertical: 0.900 m\r\n",
          L"Time span: 1.000 s\r\n"}) {
        EXPECT_NE(f.find(expected), std::wstring::npos)
            << std::string(expected, expected + lstrlenW(expected)) << " in\n"
            << std::string(f.begin(), f.end());
    }
    EXPECT_EQ(Note().rfind(L"2 fixes kept in ", 0), 0u)
        << std::string(Note().begin(), Note().end());

    // A point out of range is refused with the reason, and nothing changes.
    SetWindowTextW(Item(IDC_POS_REF_LAT), L"91");
    SetWindowTextW(Item(IDC_POS_REF_LON), L"0");
    Press(IDC_POS_REFERENCE);
    EXPECT_EQ(Note(), L"The latitude must be a number of degrees from -90 to 90.");
    EXPECT_NE(Figures().find(L"Reference: mean"), std::wstring::npos);
    // The point typed: the eastern fix lies 2.226 m from it.
    SetWindowTextW(Item(IDC_POS_REF_LAT), L"0");
    Press(IDC_POS_REFERENCE);
    EXPECT_EQ(Note(), L"Reference: the point typed.");
    AwaitFigures(L"Reference: given\r\n");
    EXPECT_NE(Figures().find(L"Max. horizontal: 2.226 m\r\n"), std::wstring::npos);
    EXPECT_NE(Figures().find(L"Ref. altitude: 15.000 m\r\n"), std::wstring::npos)
        << "no altitude typed: up from the mean altitude";

    Press(IDC_POS_RESET);
    AwaitFigures(L"Fixes: 0\r\n");
    EXPECT_NE(Figures().find(L"CEP50: -\r\n"), std::wstring::npos);
    // Closed, the window takes no lines; opened again, it has its series.
    Press(IDCANCEL);
    EXPECT_FALSE(window.positionDialog.IsOpen());
    Deliver(kLines[1]);
    Open();
    AwaitFigures(L"Fixes: 0\r\n");
}

TEST_F(PositionWindowTest, TheMapsPixels) {
    Open();
    for (const std::string& line : kLines)
        Deliver(line);
    AwaitFigures(L"Fixes: 2\r\n");
    status_test::Canvas canvas;
    const RECT area{0, 0, 301, 301};
    window.positionDialog.PaintMap(canvas.dc(), area);
    // Fitted: 1.113 m with a tenth to spare needs the 2 m scale, 74.5 pixels
    // a metre from the centre (150, 150); the fixes' dots lie 83 pixels
    // either side, where the CEP circles cross their middle column.
    const COLORREF gps = position_map::kQualityColors[stats::kQualityGps];
    EXPECT_EQ(canvas.At(150 - 84, 150), gps);
    EXPECT_EQ(canvas.At(150 + 84, 150), gps) << "the newest dot, inside its ring";
    EXPECT_GT(canvas.Count(position_map::kNewestColor, 150 + 76, 143, 150 + 91, 158), 20)
        << "the newest fix's ring";
    EXPECT_EQ(canvas.Count(position_map::kNewestColor, 150 - 91, 143, 150 - 76, 158), 0)
        << "no ring on the older one";
    // CEP50 and CEP95 coincide at 83 pixels; CEP50 is drawn last.
    EXPECT_EQ(canvas.At(150, 150 - 83), position_map::kCep50Color);
    EXPECT_EQ(canvas.At(150, 150 + 83), position_map::kCep50Color);
    EXPECT_EQ(canvas.At(150, 150 + 40), position_map::kAxisColor);
    EXPECT_EQ(canvas.At(100, 100), status_test::kWhite);
    // The scale bar: 1 m, 75 pixels from x = 8, three rows above the bottom.
    EXPECT_EQ(canvas.Count(status_test::kBlack, 0, 291, 100, 294), 3 * 75);
    // The legend's swatches, top right.
    const auto legend = position_map::Legend(position_map::FrameFor({0, 0, 301, 301}, 2));
    for (const auto& row : legend)
        EXPECT_EQ(canvas.At(row.swatch.left + 2, row.swatch.top + 2), row.color) << row.text;

    // A fixed scale of 10 m: the dots move in to 16.6 pixels.
    SendMessageW(Item(IDC_POS_SCALE), CB_SETCURSEL, 10, 0);
    EXPECT_DOUBLE_EQ(window.positionDialog.Scale(), 10.0);
    window.positionDialog.PaintMap(canvas.dc(), area);
    EXPECT_EQ(canvas.At(150 + 18, 150), gps);
    EXPECT_EQ(canvas.At(150 + 83, 150), position_map::kAxisColor);
}

}  // namespace
}  // namespace app_test
