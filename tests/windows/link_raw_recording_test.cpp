// The raw recording: whole reads, in order, while a reader writes and the
// user-interface thread starts and stops; nothing of a playback; the dialog
// and the console's notes; the main window's menu and caption; the folder
// recordings and logs go to.
#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <string>
#include <thread>

#include "link/log_file_win32.h"
#include "link/raw_recording_win32.h"
#include "link/serial_link_win32.h"
#include "tests/windows/app_main_window_fixture.h"
#include "tests/windows/link_test_support.h"
#include "win32/messages.h"

using link_test::DialogAnswer;
using link_test::ReadBytes;
using link_test::ScratchDir;

namespace {

const wchar_t kUnwritable[] = L"Z:\\sys";  // no one can create a file there

// Every byte value, a line without CR, and a line longer than any the
// reader delivers: a recording keeps what lines would lose.
std::string Block(int n) {
    std::string bytes = "$GPTXT," + std::to_string(n) + "*00\n";
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    return bytes + std::string(600, 'X') + "\r\n";
}

class RawRecording : public ::testing::Test {
  protected:
    void TearDown() override {
        StopRawRecording();
        CloseLink();
    }
    std::wstring Path(const wchar_t* name) const { return ScratchDir() + L"\\" + name; }
};

TEST_F(RawRecording, HoldsWholeReadsInOrderWhileTheFileIsSwappedUnderAWriter) {
    // A reader writes on while recordings start and stop: each file holds
    // whole reads, numbered in order, and nothing lands after a stop.
    const std::wstring first = Path(L"raw1.pgl");
    const std::wstring second = Path(L"raw2.pgl");
    ASSERT_TRUE(StartRawRecording(first.c_str()));
    std::atomic<bool> run{true};
    std::atomic<int> written{0};
    std::thread reader([&] {
        for (int n = 0; run.load(); ++n) {
            const std::string bytes = Block(n);
            RecordRawBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            written.store(n + 1);
        }
    });
    auto twentyMore = [&] {
        const int from = written.load();
        while (written.load() < from + 20)
            Sleep(1);
    };
    for (const std::wstring& path : {second, first}) {
        twentyMore();
        ASSERT_TRUE(StartRawRecording(path.c_str()));  // ends the running one
    }
    EXPECT_FALSE(StartRawRecording((std::wstring(kUnwritable) + L"\\raw.pgl").c_str()));
    EXPECT_TRUE(RawRecordingOn()) << "a failed start keeps the running recording";
    twentyMore();
    EXPECT_TRUE(StopRawRecording());
    const std::string ended = ReadBytes(first);
    Sleep(50);
    run.store(false);
    reader.join();
    EXPECT_FALSE(StopRawRecording());
    EXPECT_EQ(ReadBytes(first), ended) << "written after the stop";

    for (const std::wstring& path : {first, second}) {
        const std::string bytes = ReadBytes(path);
        size_t at = 0;
        int blocks = 0;
        const std::string head = bytes.substr(0, bytes.find('*'));
        int n = std::stoi(head.substr(head.find(',') + 1));
        for (; at < bytes.size(); ++n, ++blocks) {
            const std::string want = Block(n);
            ASSERT_EQ(bytes.compare(at, want.size(), want), 0) << "read " << n << " not whole";
            at += want.size();
        }
        EXPECT_GE(blocks, 20);
    }
}

TEST_F(RawRecording, TheControlAsksForTheFileAndSaysWhatItDoes) {
    link_test::Rig rig;
    rig.control.logFolders = {kUnwritable, ScratchDir()};
    const std::wstring path = Path(L"asked.pgl");
    DeleteFileW(path.c_str());  // an existing one would make the dialog ask to replace it
    {
        DialogAnswer cancel(L"", L"Record Raw");
        EXPECT_FALSE(rig.control.StartRecording());
        cancel.Finish();
        EXPECT_TRUE(
            std::regex_match(cancel.offeredName, std::wregex(L"skyloom-\\d{8}-\\d{6}\\.pgl")))
            << "offered " << std::string(cancel.offeredName.begin(), cancel.offeredName.end());
        EXPECT_EQ(cancel.fileTypes.size(), 3u);
    }
    EXPECT_FALSE(RawRecordingOn());
    EXPECT_TRUE(rig.host.notes.empty());

    EXPECT_FALSE(rig.control.RecordTo((std::wstring(kUnwritable) + L"\\x.pgl").c_str()));
    EXPECT_FALSE(RawRecordingOn());
    EXPECT_EQ(rig.host.notes, std::vector<std::u16string>{u"Record ERROR!!\r\n"});
    rig.host.notes.clear();

    {
        DialogAnswer answer(path, L"Record Raw");
        EXPECT_TRUE(rig.control.StartRecording());
    }
    EXPECT_TRUE(RawRecordingOn());
    // Running: neither a second dialog nor a second recording.
    EXPECT_FALSE(rig.control.StartRecording());
    EXPECT_FALSE(rig.control.RecordTo(Path(L"other.pgl").c_str()));

    // A playback is not the receiver: nothing of it is recorded.
    const std::wstring played = Path(L"played.pgl");
    link_test::WriteBytes(played, Block(1));
    ASSERT_EQ(OpenRecording(rig.sink.hwnd(), played.c_str()), 1);
    ASSERT_TRUE(link_test::PumpUntil([&] { return rig.sink.lines.size() >= 1; }, 5000));
    CloseLink();
    rig.control.StopRecording();
    EXPECT_FALSE(RawRecordingOn());
    EXPECT_EQ(ReadBytes(path), "");
    const std::u16string shown(path.begin(), path.end());
    EXPECT_EQ(rig.host.notes, (std::vector<std::u16string>{u"Record Raw\r\n..." + shown + u"\r\n",
                                                           u"Stop Recording\r\n...OK\r\n"}));
}

TEST_F(RawRecording, LogsAndRecordingsGoToTheFirstFolderAFileCanBeMadeIn) {
    const std::wstring made = ScratchDir() + L"\\made-when-needed";
    RemoveDirectoryW(made.c_str());
    const std::wstring unwritable = kUnwritable;
    const struct {
        LogFolders folders;
        std::wstring expected;
    } cases[] = {
        {{ScratchDir(), made}, ScratchDir()},
        {{unwritable, made}, made},
        {{L"", made}, made},
        {{unwritable, unwritable + L"\\Skyloom"}, L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WritableFolder(c.folders), c.expected);
        WIN32_FIND_DATAW found;
        HANDLE probe = FindFirstFileW((made + L"\\*.tmp").c_str(), &found);
        EXPECT_EQ(probe, INVALID_HANDLE_VALUE) << "the probe was left behind";
        if (probe != INVALID_HANDLE_VALUE)
            FindClose(probe);
    }
    RemoveDirectoryW(made.c_str());
}

// The main window: the menu offers what can be done, and the caption says
// that a recording runs, whatever else writes the caption meanwhile.
using RecordingWindow = app_test::MainWindowTest<>;

TEST_F(RecordingWindow, MenuAndCaptionFollowTheRecording) {
    auto grayed = [&](UINT command) {
        return (GetMenuState(GetMenu(main), command, MF_BYCOMMAND) & MF_GRAYED) != 0;
    };
    EXPECT_FALSE(grayed(IDM_RECORD_RAW));
    EXPECT_TRUE(grayed(IDM_RECORD_STOP));
    const std::wstring path = ScratchDir() + L"\\window.pgl";
    DeleteFileW(path.c_str());
    {
        DialogAnswer answer(path, L"Record Raw");
        SendMessageW(main, WM_COMMAND, IDM_RECORD_RAW, 0);
    }
    ASSERT_TRUE(RawRecordingOn());
    EXPECT_TRUE(grayed(IDM_RECORD_RAW));
    EXPECT_FALSE(grayed(IDM_RECORD_STOP));
    EXPECT_EQ(app_test::WindowText(main), L"Skyloom - Recording");
    SetWindowTextW(main, L"Skyloom  12 Sec");  // the first fix, as the intake sets it
    EXPECT_EQ(app_test::WindowText(main), L"Skyloom  12 Sec - Recording");

    SendMessageW(main, WM_COMMAND, IDM_RECORD_STOP, 0);
    EXPECT_FALSE(RawRecordingOn());
    EXPECT_EQ(app_test::WindowText(main), L"Skyloom  12 Sec");
    EXPECT_FALSE(grayed(IDM_RECORD_RAW));
    EXPECT_TRUE(grayed(IDM_RECORD_STOP));
    EXPECT_NE(ReadBytes(path), "<missing>");
}

}  // namespace
