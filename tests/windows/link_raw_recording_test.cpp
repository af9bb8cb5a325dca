// File > Record Raw... and Stop Recording in the main window: the dialog, the
// notes, the menu, the caption whoever writes it, and that a playback is not
// recorded. (The bytes a port delivers: link_port_recording_test.cpp.)
#include "link/link_win32.h"
#include "link/raw_recording_win32.h"
#include "tests/windows/app_main_window_fixture.h"
#include "tests/windows/link_test_support.h"
#include "win32/messages.h"

namespace {

using RecordingWindow = app_test::MainWindowTest<>;

TEST_F(RecordingWindow, MenuNotesAndCaptionFollowTheRecordingAndAPlaybackIsNotRecorded) {
    auto grayed = [&](UINT command) {
        return (GetMenuState(GetMenu(main), command, MF_BYCOMMAND) & MF_GRAYED) != 0;
    };
    const HWND console = window.setupPanel.console.hwnd();
    EXPECT_FALSE(window.linkControl.RecordTo(L"Z:\\sys\\x.pgl"));  // no one can write there
    EXPECT_EQ(app_test::WindowText(console), L"Record ERROR!!\r\n");

    const std::wstring path = link_test::ScratchDir() + L"\\window.pgl";
    DeleteFileW(path.c_str());  // an existing file makes the dialog ask first
    {
        link_test::DialogAnswer answer(path, L"Record Raw");
        SendMessageW(main, WM_COMMAND, IDM_RECORD_RAW, 0);
    }
    ASSERT_TRUE(RawRecordingOn());
    EXPECT_TRUE(grayed(IDM_RECORD_RAW) && !grayed(IDM_RECORD_STOP));
    EXPECT_EQ(app_test::WindowText(main), L"Skyloom - Recording");
    SetWindowTextW(main, L"Skyloom  12 Sec");  // the first fix, as the intake sets it
    EXPECT_EQ(app_test::WindowText(main), L"Skyloom  12 Sec - Recording");

    const std::wstring played = link_test::ScratchDir() + L"\\played.pgl";
    link_test::WriteBytes(played, "$GPGLL,played*00\r\n");
    ASSERT_TRUE(link_test::Play(window.linkControl.link(), main, played));
    EXPECT_TRUE(link_test::PumpUntil(
        [&] { return app_test::WindowText(console).find(L"played") != std::wstring::npos; }, 5000));
    window.linkControl.link().Close();

    SendMessageW(main, WM_COMMAND, IDM_RECORD_STOP, 0);
    EXPECT_FALSE(RawRecordingOn());
    EXPECT_EQ(app_test::WindowText(main), L"Skyloom  12 Sec");
    EXPECT_TRUE(!grayed(IDM_RECORD_RAW) && grayed(IDM_RECORD_STOP));
    EXPECT_EQ(link_test::ReadBytes(path), "") << "a playback is not the receiver";
    EXPECT_EQ(app_test::WindowText(console),
              L"Record ERROR!!\r\nRecord Raw\r\n..." + path +
                  L"\r\n$GPGLL,played*00\r\nStop Recording\r\n...OK\r\n");
}

}  // namespace
