// The log file: beside the executable, else in the fallback folder, else an
// error; its name, mark, bytes and states.
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

// Empties and removes a folder of log files, made by an earlier run or this one.
void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*_log.txt").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

class LogFile : public ::testing::Test {
  protected:
    void SetUp() override {
        RemoveFolder(fallback);
        rig.control.logFolders = {ExeDir(), fallback};
    }
    void TearDown() override {
        rig.control.StopLogging();
        CloseLink();
        LogOn = 0;
        LogHandle.reset();
        DeleteFileW(path.c_str());
        RemoveFolder(fallback);
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

// A folder that exists and that no one, root included, can create files in:
// Wine's view of sysfs. (Elsewhere it is missing, which fails the same way.)
const wchar_t kUnwritable[] = L"Z:\\sys";

TEST_F(LogFile, GoesWhereItCanBeCreatedAndSaysWhereWhenThatIsNotBesideTheExecutable) {
    const std::wstring dir = ExeDir();
    const std::wstring unwritable = kUnwritable;
    const std::wstring missing = link_test::ScratchDir() + L"\\no_such_folder";
    // The longest name beside the executable; one more fits only in the fallback.
    const size_t room = MAX_PATH - 1 - dir.size() - 1 - 8;  // "\", "_log.txt"
    ASSERT_LE(fallback.size() + 2, dir.size()) << "the fallback must be the shorter path";
    const std::wstring longer(room + 1, L'n');
    const std::wstring tooLongEverywhere(MAX_PATH, L'n');
    enum Where { kBeside, kFallback, kNowhere };
    const struct {
        const char* what;
        std::wstring beside, name;
        Where where;
    } cases[] = {
        {"writable executable folder", dir, L"c1trip", kBeside},
        {"executable folder not writable", unwritable, L"c1trip", kFallback},
        {"executable folder gone", missing, L"c1trip", kFallback},
        {"no executable folder known", L"", L"c1trip", kFallback},
        {"too long beside, fits the fallback", dir, longer, kFallback},
        {"a subfolder that exists nowhere", dir, L"no_such_folder\\c1trip", kNowhere},
        {"too long anywhere", dir, tooLongEverywhere, kNowhere},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveFolder(fallback);
        rig.host.notes.clear();
        rig.control.logFolders.beside = c.beside;
        panel.SetText(IDC_SNR_OFFSET, L"4");
        SnrOffset = 0;
        Tick(c.name);
        const std::wstring file =
            (c.where == kBeside ? dir : fallback) + L"\\" + c.name + L"_log.txt";
        if (c.where == kNowhere) {
            // Nothing is left half-done: logging is off, the box unticked, the
            // name can be changed, and the console says so.
            EXPECT_EQ(LogOn, 0);
            EXPECT_EQ(LogHandle.get(), INVALID_HANDLE_VALUE);
            EXPECT_FALSE(panel.Checked(IDC_LOG_FILE));
            EXPECT_TRUE(IsWindowEnabled(panel.Item(IDC_LOG_NAME)));
            EXPECT_EQ(SnrOffset, 0);
            EXPECT_EQ(rig.host.notes, std::vector<std::u16string>{u"Log File ERROR!!\r\n"});
            WriteLogLine(u"$GPGLL*00\r\n", 11);  // nowhere to go, and no crash
            continue;
        }
        ASSERT_NE(LogHandle.get(), INVALID_HANDLE_VALUE);
        EXPECT_EQ(LogOn, 1);
        EXPECT_TRUE(panel.Checked(IDC_LOG_FILE));
        EXPECT_FALSE(EditsEnabled(panel));
        EXPECT_EQ(SnrOffset, 4);
        WriteLogLine(u"$GPGLL*00\r\n", 11);
        EXPECT_EQ(link_test::ReadBytes(file).size(), 24u) << "the whole name, not a cut one";
        // Once, and only when the log is not where the user looks for it.
        const std::u16string note =
            u"Log File\r\n..." + std::u16string(file.begin(), file.end()) + u"\r\n";
        EXPECT_EQ(rig.host.notes, c.where == kFallback ? std::vector<std::u16string>{note}
                                                       : std::vector<std::u16string>{});
        rig.control.StopLogging();
        EXPECT_TRUE(EditsEnabled(panel));
        DeleteFileW(file.c_str());
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\nnnn*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "a cut name was created";
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

TEST_F(LogFile, AFailedStartEndsTheLogThatWasOpen) {
    Tick(L"c1trip");
    ASSERT_NE(LogHandle.get(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(EditsEnabled(panel));

    rig.control.logFolders = {kUnwritable, std::wstring(kUnwritable) + L"\\Skyloom"};
    Tick(L"c1trip");
    EXPECT_EQ(LogOn, 0);
    EXPECT_EQ(LogHandle.get(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(panel.Checked(IDC_LOG_FILE));
    EXPECT_TRUE(EditsEnabled(panel)) << "as after a stop";
    EXPECT_EQ(rig.host.notes, std::vector<std::u16string>{u"Log File ERROR!!\r\n"});
    // The first file was closed, not lost: it holds its mark and nothing after.
    EXPECT_EQ(link_test::ReadBytes(path), std::string("\xFF\xFE", 2));
    EXPECT_TRUE(DeleteFileW(path.c_str())) << "still open";
}
