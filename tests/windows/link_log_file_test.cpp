// The log file: beside the executable, else in the fallback folder, else an
// error; its name, mark, bytes and states.
#include <gtest/gtest.h>

#include <string>

#include "link/link_win32.h"
#include "link/log_file_win32.h"
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

// A folder that exists and that no one, root included, can create files in:
// Wine's view of sysfs. (Elsewhere it is missing, which fails the same way.)
const wchar_t kUnwritable[] = L"Z:\\sys";

class LogFile : public ::testing::Test {
  protected:
    void SetUp() override { rig.control.logFolders = {ExeDir(), fallback}; }
    void TearDown() override {
        rig.control.StopLogging();
        rig.control.link().Close();
        LogOn = 0;
        LogHandle.reset();
        DeleteFileW(path.c_str());
        RemoveDirectoryW(fallback.c_str());
    }
    void Tick(const std::wstring& name) {
        panel.SetText(IDC_LOG_NAME, name);
        panel.Check(IDC_LOG_FILE, true);
        rig.control.StartLogging();
    }
    link_test::Rig rig;
    FakePanel& panel = rig.panel;
    std::wstring path = ExeDir() + L"\\c1trip_log.txt";
    // Where a log goes when it cannot go beside the executable; made when
    // needed. A short path, so that a name too long beside the executable fits.
    const std::wstring fallback = L"C:\\skyloom_log_fallback";
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
    Link link;
    ASSERT_TRUE(link_test::Play(link, sink.hwnd(), recording));
    ASSERT_TRUE(link_test::PumpUntil([&] { return sink.lines.size() >= 4; }, 10000));
    link.Close();

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

TEST_F(LogFile, GoesWhereItCanBeCreatedAndSaysWhereWhenThatIsNotBesideTheExecutable) {
    const std::wstring dir = ExeDir();
    // The longest name beside the executable; one more fits only in the fallback.
    const size_t room = MAX_PATH - 1 - dir.size() - 1 - 8;  // "\", "_log.txt"
    ASSERT_LE(fallback.size() + 2, dir.size()) << "the fallback must be the shorter path";
    enum Where { kBeside, kFallback, kNowhere };
    const struct {
        std::wstring beside, name;
        Where where;
    } cases[] = {
        {dir, L"c1trip", kBeside},
        {kUnwritable, L"c1trip", kFallback},
        {L"", L"c1trip", kFallback},  // no executable folder known
        {dir, std::wstring(room + 1, L'n'), kFallback},
        {dir, L"no_such_folder\\c1trip", kNowhere},
        {dir, std::wstring(MAX_PATH, L'n'), kNowhere},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.where << " " << c.name.size());
        RemoveDirectoryW(fallback.c_str());  // made again when needed
        rig.host.notes.clear();
        rig.control.logFolders.beside = c.beside;
        panel.SetText(IDC_SNR_OFFSET, L"4");
        SnrOffset = 0;
        Tick(c.name);
        // Where no file can be made, nothing is left half-done: logging is
        // off, the box unticked, the name editable, and the console says so.
        const bool on = c.where != kNowhere;
        EXPECT_EQ(LogOn, on ? 1 : 0);
        EXPECT_EQ(panel.Checked(IDC_LOG_FILE), on);
        EXPECT_EQ(IsWindowEnabled(panel.Item(IDC_LOG_NAME)) != FALSE, !on);
        EXPECT_EQ(SnrOffset, on ? 4 : 0);
        WriteLogLine(u"$GPGLL*00\r\n", 11);
        const std::wstring file =
            (c.where == kBeside ? dir : fallback) + L"\\" + c.name + L"_log.txt";
        if (on) {
            EXPECT_EQ(link_test::ReadBytes(file).size(), 24u) << "the whole name, not a cut one";
        }
        // Said once, and only where the log is not where the user looks for it.
        std::vector<std::u16string> notes;
        if (c.where == kFallback)
            notes = {u"Log File\r\n..." + std::u16string(file.begin(), file.end()) + u"\r\n"};
        if (c.where == kNowhere)
            notes = {u"Log File ERROR!!\r\n"};
        EXPECT_EQ(rig.host.notes, notes);
        rig.control.StopLogging();
        DeleteFileW(file.c_str());
    }
}
