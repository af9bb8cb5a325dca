// Received lines through the main window's intake step and the Win32 host:
// the console's text and per-line colour as the RichEdit reports them, the
// emptying past 2000 lines, the caption after a first fix, the clock command.
#include <richedit.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "app_main_window_fixture.h"
#include "nmea/sentence_intake.h"

namespace app_test {
namespace {

const char kGga[] = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
const char kGgaBadSum[] = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*48\r\n";
const char kGgaNoCr[] = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\n";
// 120 knots: above 100 km/h, shown green (and held for a second).
const char kRmcFast[] = "$GPRMC,123519,A,4807.038,N,01131.000,E,120.0,084.4,230394,003.1,W*6D\r\n";
const char kRmcFix[] = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";

std::u16string Line(const char* narrow) {
    std::u16string s;
    for (const char* p = narrow; *p != '\0'; ++p)
        s.push_back(static_cast<char16_t>(*p));
    return s;
}

class IntakeWindowTest : public MainWindowTest<> {
  protected:
    LRESULT Deliver(const char* narrow) { return window.DeliverLine(Line(narrow).c_str()); }
    HWND Console() const { return window.setupPanel.console.hwnd(); }

    LRESULT LineCount() const { return SendMessageW(Console(), EM_GETLINECOUNT, 0, 0); }

    std::wstring ConsoleLine(int line) const {
        wchar_t buffer[512] = {};
        *reinterpret_cast<WORD*>(buffer) = 511;
        const LRESULT n =
            SendMessageW(Console(), EM_GETLINE, line, reinterpret_cast<LPARAM>(buffer));
        std::wstring text(buffer, static_cast<size_t>(n));
        while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n'))
            text.pop_back();
        return text;
    }

    // The colour of the first character of a console line.
    COLORREF LineColour(int line) const {
        const LRESULT start = SendMessageW(Console(), EM_LINEINDEX, line, 0);
        SendMessageW(Console(), EM_SETSEL, start, start + 1);
        CHARFORMATW format{};
        format.cbSize = sizeof format;
        SendMessageW(Console(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        // Put the caret back at the end, where the next line goes.
        SendMessageW(Console(), EM_SETSEL, -1, -1);
        return format.crTextColor;
    }
};

std::wstring Wide(const char* narrow) {
    std::wstring s;
    for (const char* p = narrow; *p != '\0' && *p != '\r' && *p != '\n'; ++p)
        s.push_back(*p);
    return s;
}

TEST_F(IntakeWindowTest, EachLineShowsInTheColourOfItsVerdict) {
    ASSERT_NE(Console(), nullptr);
    const struct {
        const char* line;
        COLORREF colour;
    } rows[] = {
        {kGga, RGB(0, 0, 0)},  // the first line starts the clock, still shown
        {kGgaBadSum, RGB(255, 0, 0)}, {kGga, RGB(0, 0, 0)},
        {kGgaNoCr, RGB(0, 0, 0)},  // LF alone is judged like CR LF
        {kRmcFast, RGB(0, 255, 0)},   {kGga, RGB(0, 0, 0)},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Deliver(r.line), 1);
    for (int i = 0; i < static_cast<int>(std::size(rows)); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ConsoleLine(i), Wide(rows[i].line));
        EXPECT_EQ(LineColour(i), rows[i].colour);
    }
}

TEST_F(IntakeWindowTest, ConsoleEmptiesOnceItHoldsMoreThan2000Lines) {
    char line[64];
    for (int i = 0; i < 2000; ++i) {
        std::snprintf(line, sizeof line, "$GPTXT,%04d*00\r\n", i);
        ASSERT_EQ(Deliver(line), 1);
    }
    // 2000 lines, each ending in a line break, and the empty line after them.
    ASSERT_EQ(LineCount(), 2001);
    EXPECT_EQ(ConsoleLine(0), L"$GPTXT,0000*00");
    EXPECT_EQ(ConsoleLine(1999), L"$GPTXT,1999*00");

    ASSERT_EQ(Deliver("$GPTXT,last*00\r\n"), 1);
    EXPECT_EQ(LineCount(), 2);
    EXPECT_EQ(ConsoleLine(0), L"$GPTXT,last*00");
    // Its colour was chosen before the emptying and survives it.
    EXPECT_EQ(LineColour(0), RGB(255, 0, 0));
}

TEST_F(IntakeWindowTest, CaptionShowsTheTimeToFirstFix) {
    EXPECT_EQ(WindowText(main), L"Skyloom");
    Deliver(kGga);  // starts the clock
    ASSERT_NE(window.model.ttffStartTick, 0u);
    // As if the clock had started five and a half seconds ago.
    window.model.ttffStartTick = GetTickCount() - 5500;
    Deliver(kRmcFix);
    EXPECT_EQ(WindowText(main), L"Skyloom  5 Sec");
}

TEST_F(IntakeWindowTest, HostReachesTheSetupPanelsControls) {
    const HWND setup = window.setupPanel.hwnd;
    EnableWindow(GetDlgItem(setup, IDC_COLD_START), FALSE);
    EnableWindow(GetDlgItem(setup, IDC_FACTORY_RESET), FALSE);
    window.intakeHost.EnableResetButtons();
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(setup, IDC_COLD_START)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(setup, IDC_FACTORY_RESET)));

    window.intakeHost.SetSbasCheck(true);
    EXPECT_EQ(SendDlgItemMessageW(setup, IDC_SBAS, BM_GETCHECK, 0, 0), BST_CHECKED);
    window.intakeHost.SetSbasCheck(false);
    EXPECT_EQ(SendDlgItemMessageW(setup, IDC_SBAS, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    window.intakeHost.SetCoreVersion(u"AXN_1.30");
    window.intakeHost.SetFirmwareVersion(u"2.10");
    EXPECT_EQ(WindowText(GetDlgItem(setup, IDC_CORE_VERSION)), L"AXN_1.30");
    EXPECT_EQ(WindowText(GetDlgItem(setup, IDC_FW_VERSION)), L"2.10");
}

TEST(UtcToLocalTest, MatchesTheSystemsOwnConversionAndRejectsImpossibleTimes) {
    CBackupDlg setup;
    ReceiverModel model{};
    CRestoreDlg status(model);
    Win32IntakeHost host(setup, status);
    const struct {
        CivilTime utc;
        bool ok;
    } rows[] = {
        {{2026, 1, 0, 7, 12, 35, 19, 0}, true},
        {{2024, 2, 0, 29, 23, 59, 59, 999}, true},  // leap day, end of day
        {{1601, 1, 0, 1, 0, 0, 0, 0}, true},
        {{2023, 2, 0, 29, 12, 0, 0, 0}, false},  // no such day
        {{2026, 13, 0, 1, 0, 0, 0, 0}, false},
        {{0, 0, 0, 0, 0, 0, 0, 0}, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.utc.wYear * 10000 + r.utc.wMonth * 100 + r.utc.wDay);
        CivilTime local{};
        CivilTime untouched{};
        std::memset(&untouched, 0xAB, sizeof untouched);
        local = untouched;
        ASSERT_EQ(host.UtcToLocal(r.utc, &local), r.ok);
        if (!r.ok) {
            EXPECT_EQ(std::memcmp(&local, &untouched, sizeof local), 0) << "left as it was";
            continue;
        }
        SYSTEMTIME utc;
        SYSTEMTIME expected;
        std::memcpy(&utc, &r.utc, sizeof utc);
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &expected));
        EXPECT_EQ(local.wYear, expected.wYear);
        EXPECT_EQ(local.wMonth, expected.wMonth);
        EXPECT_EQ(local.wDay, expected.wDay);
        EXPECT_EQ(local.wHour, expected.wHour);
        EXPECT_EQ(local.wMinute, expected.wMinute);
        EXPECT_EQ(local.wSecond, expected.wSecond);
        EXPECT_EQ(local.wMilliseconds, expected.wMilliseconds);
    }
}

TEST(SetTimeTest, ClockIsSetOnlyFromADecodedValidTime) {
    const struct {
        const char* what;
        uint8_t set;
        CivilTime time;
        bool usable;
    } rows[] = {
        {"never decoded", 0, {0, 0, 0, 0, 0, 0, 0, 0}, false},
        {"stale value, flag clear", 0, {2026, 1, 3, 7, 12, 0, 0, 0}, false},
        {"decoded", 1, {2026, 1, 3, 7, 12, 0, 0, 0}, true},
        {"decoded but impossible", 1, {2026, 2, 0, 30, 12, 0, 0, 0}, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        ReceiverModel status{};
        status.receiverTimeSet = r.set;
        status.receiverTime = r.time;
        SYSTEMTIME local{};
        ASSERT_EQ(ClockTimeFromReceiver(status, &local), r.usable);
        if (r.usable) {
            EXPECT_EQ(local.wYear, r.time.wYear);
            EXPECT_EQ(local.wDay, r.time.wDay);
            EXPECT_EQ(local.wHour, r.time.wHour);
        }
    }
}

}  // namespace
}  // namespace app_test
