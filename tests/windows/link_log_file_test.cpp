// The log file beside the executable: its name, mark, bytes and states.
#include <gtest/gtest.h>

#include <string>

#include "link/log_file_win32.h"
#include "link/serial_link_win32.h"
#include "res/resource.h"
#include "tests/windows/link_test_support.h"

using link_test::FakePanel;

namespace {

std::wstring ExeDir() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    return dir.substr(0, dir.rfind(L'\\'));
}

// The UTF-16LE bytes of the lines a reader delivers for these bytes.
std::string LoggedBytes(const std::string& received) {
    std::string bytes("\xFF\xFE", 2);
    for (const std::u16string& line : link_test::ExpectedLines(received)) {
        for (char16_t unit : line) {
            bytes.push_back(static_cast<char>(unit & 0xFF));
            bytes.push_back(static_cast<char>(unit >> 8));
        }
    }
    return bytes;
}

bool EditsEnabled(const FakePanel& panel) {
    bool name = IsWindowEnabled(panel.Item(IDC_LOG_NAME)) != FALSE;
    bool offset = IsWindowEnabled(panel.Item(IDC_SNR_OFFSET)) != FALSE;
    EXPECT_EQ(name, offset);
    return name && offset;
}

class LogFile : public ::testing::Test {
  protected:
    void TearDown() override {
        rig.control.StopLogging();
        CloseLink();
        LogOn = 0;
        LogHandle.reset();
        DeleteFileW(path.c_str());
    }
    void Tick(const std::wstring& name) {
        panel.SetText(IDC_LOG_NAME, name);
        panel.Check(IDC_LOG_FILE, true);
        rig.control.StartLogging();
    }
    link_test::Rig rig;
    FakePanel& panel = rig.panel;
    std::wstring path = ExeDir() + L"\\c1trip_log.txt";
};

}  // namespace

TEST_F(LogFile, HoldsTheMarkAndEveryDeliveredLineAsDelivered) {
    panel.SetText(IDC_SNR_OFFSET, L"7");
    Tick(L"c1trip");
    EXPECT_EQ(LogOn, 1);
    ASSERT_NE(LogHandle.get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(SnrOffset, 7);
    EXPECT_FALSE(EditsEnabled(panel));
    // Other programs may read the log while it grows; with no link open it
    // holds only the mark.
    EXPECT_EQ(link_test::ReadBytes(path), std::string("\xFF\xFE", 2));

    // A GSA sentence of 40 units with CR LF, a line with a byte above 0x7F, a
    // line that fails its checksum, a line without CR, and a tail with no LF.
    const std::string received =
        "$GPGSA,A,3,04,05,,09,12,,,24,,,,2.5*3A\r\n"
        "$GPTXT,\xB0\xFF*00\r\n"
        "$GPGGA,bad*FF\r\n"
        "plain\n"
        "$GPRMC,cut";
    ASSERT_EQ(link_test::ExpectedLines(received)[0].size(), 40u);
    const std::wstring recording = link_test::ScratchDir() + L"\\logged.pgl";
    link_test::WriteBytes(recording, received);
    link_test::LineSink sink;
    ASSERT_EQ(OpenRecording(sink.hwnd(), recording.c_str()), 1);
    ASSERT_TRUE(link_test::PumpUntil([&] { return sink.lines.size() >= 4; }, 10000));
    CloseLink();

    // Logging outlives the link; the file holds exactly the delivered units.
    EXPECT_EQ(LogOn, 1);
    const std::string expected = LoggedBytes(received);
    EXPECT_EQ(expected.size(), 2u + 2 * (40 + 14 + 15 + 6));
    EXPECT_EQ(expected.substr(2 + 76, 4), std::string("\x0D\x00\x0A\x00", 4));
    EXPECT_EQ(expected.substr(2 + 80 + 14, 4), std::string("\xB0\xFF\xFF\xFF", 4));
    EXPECT_EQ(link_test::ReadBytes(path), expected);

    rig.control.StopLogging();
    EXPECT_EQ(LogOn, 0);
    EXPECT_EQ(LogHandle.get(), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(EditsEnabled(panel));
    EXPECT_EQ(link_test::ReadBytes(path), expected);
}

TEST_F(LogFile, EachStartReplacesTheFileOfTheSameName) {
    const char16_t line[] = u"$GPGLL*00\r\n";
    Tick(L"c1trip");
    WriteLogLine(line, 11);
    EXPECT_EQ(link_test::ReadBytes(path).size(), 24u);

    // Ticked again without a stop in between (a second start message): the
    // earlier file is closed, not leaked, and its namesake replaces it.
    Tick(L"c1trip");
    ASSERT_NE(LogHandle.get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(link_test::ReadBytes(path), std::string("\xFF\xFE", 2));
    rig.control.StopLogging();

    Tick(L"c1trip");
    WriteLogLine(line, 11);
    rig.control.StopLogging();
    EXPECT_EQ(link_test::ReadBytes(path).size(), 24u);

    // Stopped: lines are no longer written.
    WriteLogLine(line, 11);
    EXPECT_EQ(link_test::ReadBytes(path).size(), 24u);
}

TEST_F(LogFile, AFileThatCannotBeCreatedLeavesTheFailedStartState) {
    Tick(L"no_such_directory\\c1trip");
    EXPECT_EQ(LogOn, 1);
    EXPECT_EQ(LogHandle.get(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(EditsEnabled(panel));
    EXPECT_TRUE(panel.Checked(IDC_LOG_FILE));
    WriteLogLine(u"$GPGLL*00\r\n", 11);  // nowhere to go, and no crash

    // A stop changes nothing in this state; a later successful start does.
    rig.control.StopLogging();
    EXPECT_EQ(LogOn, 1);
    EXPECT_FALSE(EditsEnabled(panel));
    Tick(L"c1trip");
    EXPECT_NE(LogHandle.get(), INVALID_HANDLE_VALUE);
    rig.control.StopLogging();
    EXPECT_EQ(LogOn, 0);
    EXPECT_TRUE(EditsEnabled(panel));
}

TEST_F(LogFile, ANameTooLongForThePathIsRefusedWithoutAnyFile) {
    const std::wstring dir = ExeDir();
    const size_t room = MAX_PATH - 1 - dir.size() - 1 - 8;  // "\", "_log.txt"
    const std::wstring longest(room, L'n');
    const std::wstring tooLong(room + 1, L'n');

    SnrOffset = 3;
    panel.SetText(IDC_SNR_OFFSET, L"9");
    Tick(tooLong);
    EXPECT_FALSE(panel.Checked(IDC_LOG_FILE));
    EXPECT_EQ(LogOn, 0);
    EXPECT_EQ(LogHandle.get(), INVALID_HANDLE_VALUE);
    // Nothing changed: the name stays editable, the offset as the template made it.
    EXPECT_TRUE(IsWindowEnabled(panel.Item(IDC_LOG_NAME)));
    EXPECT_FALSE(IsWindowEnabled(panel.Item(IDC_SNR_OFFSET)));
    EXPECT_EQ(SnrOffset, 3);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\nnnn*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "a cut name was created";
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);

    // One unit less fits exactly and is created under its full name.
    path = dir + L"\\" + longest + L"_log.txt";
    ASSERT_EQ(path.size(), static_cast<size_t>(MAX_PATH - 1));
    Tick(longest);
    EXPECT_NE(LogHandle.get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(LogOn, 1);
    EXPECT_EQ(SnrOffset, 9);
    rig.control.StopLogging();
    EXPECT_EQ(link_test::ReadBytes(path), std::string("\xFF\xFE", 2));
}
