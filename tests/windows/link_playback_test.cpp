// Playback of recordings through the real link: the file dialog, the reader
// thread and the hand-over, with no serial port registered in the prefix.
#include "tests/windows/net_test_support.h"

#include <gtest/gtest.h>

#include <string>

#include "link/link_state_win32.h"
#include "link/link_win32.h"
#include "link/port_discovery_win32.h"
#include "res/resource.h"
#include "tests/windows/link_test_support.h"
#include "win32/messages.h"
#include "win32/wide_text.h"

using link_test::DialogAnswer;
using link_test::PumpUntil;
using link_test::Rig;

namespace {

const std::wstring kPlayback = L"Log File:";

std::string Sentences(char tag, int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += "$GP" + std::string(1, tag) + "XX," + std::to_string(i) + "*00\r\n";
    return bytes;
}

// Starts playback of `path` through ToggleLink and its dialog.
int StartPlayback(Rig& rig, const std::wstring& path) {
    rig.panel.SetPorts({kPlayback}, 0);
    DialogAnswer answer(path);
    int result = rig.control.ToggleLink();
    return result;
}

::testing::AssertionResult AllReadersGone() {
    return link_test::AwaitLinkStates(0);
}

// Nothing holds the file any more: it opens exclusively for writing.
bool Unheld(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

class Playback : public ::testing::Test {
  protected:
    void SetUp() override {
        PortCount = 0;  // a fresh prefix has no serial port
        dir = link_test::ScratchDir();
    }
    // Each test's rig closes its own link as it goes.
    void TearDown() override { EXPECT_TRUE(AllReadersGone()); }
    std::wstring dir;
};

}  // namespace

TEST_F(Playback, ARealCaptureIsDeliveredLineForLineWithNoPortFound) {
    const std::wstring path = dir + L"\\capture.pgl";
    const std::string bytes =
        link_test::ReadBytes(link_test::SourcePath("tests/data/captures/quectel-l76k-nmea.pgl"));
    ASSERT_GT(bytes.size(), 100000u);
    link_test::WriteBytes(path, bytes);
    const auto expected = link_test::ExpectedLines(bytes);

    Rig rig;
    SetWindowTextW(rig.sink.hwnd(), L"Skyloom  12 Sec");
    rig.status.ttffDone = 1;
    rig.status.sent.speedKnots[0] = u'9';
    ASSERT_EQ(StartPlayback(rig, path), 1);
    EXPECT_EQ(rig.linkOpen, 1);
    EXPECT_TRUE(rig.control.link().IsOpen());
    EXPECT_EQ(rig.control.link().Description(), u"capture.pgl");
    EXPECT_FALSE(rig.control.link().Live()) << "a recording is neither recorded nor reopened";
    // Opening cleared the record and the first-fix clock and reset the caption.
    EXPECT_EQ(win_test::WindowText(rig.sink.hwnd()), L"Skyloom");
    EXPECT_EQ(rig.status.ttffDone, 0);
    EXPECT_EQ(rig.status.sent.speedKnots[0], 0);

    ASSERT_TRUE(PumpUntil([&] { return rig.sink.lines.size() >= expected.size(); }, 120000))
        << rig.sink.lines.size() << " of " << expected.size();
    link_test::PumpFor(300);  // the end of the recording delivers nothing more
    EXPECT_EQ(rig.sink.lines, expected);
    EXPECT_EQ(rig.sink.unclaimed, 0);

    EXPECT_EQ(rig.control.ToggleLink(), 1);  // a second toggle closes
    EXPECT_EQ(rig.linkOpen, 0);
    EXPECT_FALSE(rig.control.link().IsOpen());
    EXPECT_TRUE(AllReadersGone());
    EXPECT_TRUE(Unheld(path));
}

TEST_F(Playback, ReadOnlyAndStillWrittenRecordingsPlay) {
    const std::string bytes = Sentences('A', 20) + "$GPTAIL,no line feed";
    const auto expected = link_test::ExpectedLines(bytes);
    ASSERT_EQ(expected.size(), 20u);

    // Marked read-only: playback still opens it. (Wine run as root does not
    // enforce the mark, hence the shared-read case below.)
    const std::wstring readOnly = dir + L"\\read_only.pgl";
    link_test::WriteBytes(readOnly, bytes);
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    {
        Rig rig;
        ASSERT_EQ(StartPlayback(rig, readOnly), 1);
        EXPECT_TRUE(link_test::AwaitLine(rig.sink, expected.back()));
        link_test::PumpFor(200);  // the tail without a line feed never comes
        EXPECT_EQ(rig.sink.lines, expected);
        EXPECT_EQ(rig.control.ToggleLink(), 1);
    }
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);

    // Write access denied for certain: another program holds the file and
    // lets others only read it.
    HANDLE reader = CreateFileW(readOnly.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Unheld(readOnly));
    {
        Rig rig;
        ASSERT_TRUE(link_test::Play(rig.control.link(), rig.sink.hwnd(), readOnly));
        EXPECT_TRUE(link_test::AwaitLine(rig.sink, expected.back()));
        EXPECT_EQ(rig.sink.lines, expected);
        rig.control.link().Close();
    }
    CloseHandle(reader);

    // Held open for writing by another handle, as a capturing program does;
    // lines it appends while playing are delivered too.
    const std::wstring growing = dir + L"\\growing.pgl";
    link_test::WriteBytes(growing, Sentences('B', 5));
    HANDLE writer = CreateFileW(growing.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Unheld(growing));  // an exclusive open cannot have it
    {
        Rig rig;
        ASSERT_TRUE(link_test::Play(rig.control.link(), rig.sink.hwnd(), growing));
        EXPECT_TRUE(
            link_test::AwaitLine(rig.sink, link_test::ExpectedLines(Sentences('B', 5)).back()));
        SetFilePointer(writer, 0, nullptr, FILE_END);
        const std::string more = "$GPMORE,1*00\r\n";
        DWORD written = 0;
        WriteFile(writer, more.data(), static_cast<DWORD>(more.size()), &written, nullptr);
        EXPECT_TRUE(link_test::AwaitLine(rig.sink, u"$GPMORE,1*00\r\n"));
        EXPECT_EQ(rig.sink.lines.size(), 6u);
        rig.control.link().Close();
    }
    CloseHandle(writer);
}

TEST_F(Playback, APathOfMoreThan127CharactersPlays) {
    std::wstring deep = dir;
    while (deep.size() < 170) {
        deep += L"\\nested_directory_level";
        CreateDirectoryW(deep.c_str(), nullptr);
    }
    const std::wstring path = deep + L"\\a recording with a long name.pgl";
    ASSERT_GE(path.size(), 128u);
    link_test::WriteBytes(path, Sentences('C', 3));

    Rig rig;
    ASSERT_EQ(StartPlayback(rig, path), 1);
    EXPECT_TRUE(link_test::AwaitLine(rig.sink, link_test::ExpectedLines(Sentences('C', 3)).back()));
    EXPECT_EQ(rig.sink.lines, link_test::ExpectedLines(Sentences('C', 3)));
}

TEST_F(Playback, CancellingTheDialogOpensNothing) {
    Rig rig;
    SetWindowTextW(rig.sink.hwnd(), L"Skyloom  12 Sec");
    rig.status.sent.speedKnots[0] = u'9';
    rig.panel.SetPorts({kPlayback}, 0);
    {
        DialogAnswer cancel(L"");
        EXPECT_EQ(rig.control.ToggleLink(), 0);
        cancel.Finish();
        EXPECT_TRUE(cancel.answered()) << "no dialog titled \"Open Recording\"";
        // Recordings first, then what other capture tools call theirs, then anything.
        EXPECT_EQ(
            cancel.fileTypes,
            (std::vector<std::wstring>{L"Recordings (*.pgl)", L"NMEA captures (*.nmea;*.txt;*.log)",
                                       L"All files (*.*)"}));
    }
    EXPECT_EQ(rig.linkOpen, 0);
    EXPECT_FALSE(rig.control.link().IsOpen());
    EXPECT_TRUE(IsWindowEnabled(rig.panel.Item(IDC_START_GPS)));
    // The attempt reached the open: record and caption were reset all the same.
    EXPECT_EQ(win_test::WindowText(rig.sink.hwnd()), L"Skyloom");
    EXPECT_EQ(rig.status.sent.speedKnots[0], 0);
}

TEST_F(Playback, PortEntriesAreRefusedWithoutADialogWhereTheyCannotOpen) {
    struct Case {
        const char* what;
        int8_t portCount;
        std::vector<std::wstring> entries;
        int selected;
        int baud;
        LRESULT answer = 0;      // 0: the panel's plain "ComPort ERROR!!"
        std::wstring console{};  // else what the console says instead
    };
    const Case cases[] = {
        {"a port entry while discovery found none", 0, {L"USB Serial (COM3)", kPlayback}, 0, 2},
        {"nothing selected", 1, {L"USB Serial (COM3)", kPlayback}, -1, 2},
        {"an empty list (a rescan that found nothing)", 0, {}, -1, 2},
        {"(COM without a closing bracket", 1, {L"USB Serial (COM3", kPlayback}, 0, 2},
        {"no baud rate selected", 1, {L"USB Serial (COM3)", kPlayback}, 0, -1},
        // It opens, but takes no port settings: read as it is, it would spin.
        {"a device that refuses the port settings",
         1,
         {L"NUL", kPlayback},
         0,
         2,
         kToggleAnswered,
         L"ComPort ERROR!! NUL refuses 4800 baud 8N1"},
    };
    for (const Case& c : cases) {
        Rig rig;
        PortCount = c.portCount;
        rig.panel.SetPorts(c.entries, c.selected);
        SendMessageW(rig.panel.Item(IDC_BAUD), CB_SETCURSEL, c.baud, 0);
        DWORD start = GetTickCount();
        EXPECT_EQ(rig.control.ToggleLink(), c.answer) << c.what;
        if (c.answer != 0) {
            EXPECT_EQ(win_test::WindowText(rig.panel.panel.console.hwnd()), c.console) << c.what;
        }
        EXPECT_LT(GetTickCount() - start, link_test::kNoHangMs)
            << c.what << ": a dialog must not open";
        EXPECT_EQ(rig.linkOpen, 0) << c.what;
        EXPECT_FALSE(rig.control.link().IsOpen()) << c.what;
        EXPECT_TRUE(IsWindowEnabled(rig.panel.Item(IDC_START_GPS))) << c.what;
        EXPECT_EQ(LiveLinkStates(), 0) << c.what;
    }
    EXPECT_EQ(FindWindowW(nullptr, L"Open Recording"), nullptr);
}

TEST_F(Playback, AnOpenThatFailsSaysWhyAndLeavesNothingOpen) {
    using linkrules::SourceKind;
    struct Case {
        const char* what;
        SourceKind kind;
        std::wstring device;
        uint32_t baud;
        OpenFailure failure;
        uint32_t systemError;
        std::u16string host{};  // a network source's
        uint16_t port = 0;
    };
    const uint16_t closed = net_test::FreePort(SOCK_STREAM);
    const Case cases[] = {
        {"nothing chosen", SourceKind::kNone, L"", 0, OpenFailure::kUnusable, 0},
        {"playback whose file was never chosen", SourceKind::kRecording, L"", 0,
         OpenFailure::kUnusable, 0},
        {"a port without a rate", SourceKind::kPort, L"\\\\.\\COM3", 0, OpenFailure::kUnusable, 0},
        {"a recording that is not there", SourceKind::kRecording, dir + L"\\missing.pgl", 0,
         OpenFailure::kCannotOpen, ERROR_FILE_NOT_FOUND},
        {"a device that takes no port settings", SourceKind::kPort, L"NUL", 4800,
         OpenFailure::kRefused, 0},
        {"a network source without its address", SourceKind::kGpsd, L"", 0, OpenFailure::kUnusable,
         0},
        {"a connection refused", SourceKind::kTcp, L"", 0, OpenFailure::kCannotOpen,
         WSAECONNREFUSED, u"127.0.0.1", closed},
    };
    Rig rig;
    for (const Case& c : cases) {
        linkrules::SourceSpec spec;
        spec.kind = c.kind;
        spec.device = AsText16(c.device.c_str());
        spec.baud = c.baud;
        spec.host = c.host;
        spec.port = c.port;
        const OpenResult result = rig.control.link().Open(spec, rig.sink.hwnd());
        EXPECT_EQ(result.failure, c.failure) << c.what;
        EXPECT_EQ(result.systemError, c.systemError) << c.what;
        EXPECT_FALSE(result.ok()) << c.what;
        EXPECT_FALSE(rig.control.link().IsOpen()) << c.what;
        EXPECT_EQ(LiveLinkStates(), 0) << c.what;
    }
}

TEST_F(Playback, RepeatedOpenAndCloseLeavesNoReaderAndNeverReadsALaterLinksFile) {
    const std::wstring first = dir + L"\\first.pgl";
    const std::wstring second = dir + L"\\second.pgl";
    link_test::WriteBytes(first, Sentences('A', 400));
    link_test::WriteBytes(second, Sentences('B', 400));
    const auto secondLines = link_test::ExpectedLines(Sentences('B', 400));

    Rig rig;
    const HWND owner = rig.sink.hwnd();
    Link& link = rig.control.link();
    for (int round = 0; round < 40; ++round) {
        rig.sink.lines.clear();
        ASSERT_TRUE(link_test::Play(link, owner, first));
        // Close while the first reader is mid-stream, then open the second
        // file at once: the old reader may still hand over the line it holds,
        // but every line of the second file must come, in order, from its own
        // reader.
        PumpUntil([&] { return rig.sink.lines.size() >= 5; }, 5000);
        DWORD start = GetTickCount();
        link.Close();
        EXPECT_LT(GetTickCount() - start, link_test::kNoHangMs);
        rig.sink.lines.clear();
        ASSERT_TRUE(link_test::Play(link, owner, second));
        ASSERT_TRUE(PumpUntil(
            [&] { return !rig.sink.lines.empty() && rig.sink.lines.back() == secondLines.back(); },
            20000));
        std::vector<std::u16string> fromSecond;
        int fromFirst = 0;
        for (const auto& line : rig.sink.lines) {
            if (line.compare(0, 4, u"$GPA") == 0)
                ++fromFirst;
            else
                fromSecond.push_back(line);
        }
        EXPECT_LE(fromFirst, 1) << "round " << round;
        EXPECT_EQ(fromSecond, secondLines) << "round " << round;
        link.Close();
    }
    EXPECT_TRUE(AllReadersGone());
    EXPECT_TRUE(Unheld(first));
    EXPECT_TRUE(Unheld(second));
}

TEST_F(Playback, ClosingWhileTheReaderWaitsInItsHandOverNeitherBlocksNorLosesTheLine) {
    const std::wstring path = dir + L"\\handover.pgl";
    link_test::WriteBytes(path, Sentences('H', 50));
    Rig rig;
    ASSERT_TRUE(link_test::Play(rig.control.link(), rig.sink.hwnd(), path));
    // The user-interface thread does not pump: the reader reads its first
    // line and then waits inside SendMessageW for this very thread, which
    // sees the message pending without taking it.
    const DWORD waited = GetTickCount();
    while ((HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) == 0) {
        ASSERT_LT(GetTickCount() - waited, link_test::kAwaitMs) << "no line handed over";
        Sleep(10);
    }
    EXPECT_EQ(LiveLinkStates(), 1);
    DWORD start = GetTickCount();
    EXPECT_EQ(rig.control.ToggleLink(), 1);
    EXPECT_LT(GetTickCount() - start, link_test::kNoHangMs);
    EXPECT_FALSE(rig.control.link().IsOpen());
    // The line it was handing over is still taken, then the reader ends and
    // lets go of the file.
    EXPECT_TRUE(AllReadersGone());
    EXPECT_EQ(rig.sink.lines.size(), 1u);
    EXPECT_EQ(rig.sink.unclaimed, 0);
    EXPECT_TRUE(Unheld(path));
}

TEST_F(Playback, OnlyTheLineBeingHandedOverIsClaimed) {
    const std::wstring path = dir + L"\\claim.pgl";
    link_test::WriteBytes(path, Sentences('K', 3));
    Rig rig;
    std::vector<bool> forgedRefused;
    rig.sink.onLine = [&](const std::u16string&) {
        // Another sender's UM_LINE_RECEIVED, while a genuine one is pending.
        wchar_t forged[] = L"$GPFAKE*00\r\n";
        forgedRefused.push_back(ClaimDeliveredLine(reinterpret_cast<WPARAM>(forged)) == nullptr);
    };
    ASSERT_TRUE(link_test::Play(rig.control.link(), rig.sink.hwnd(), path));
    EXPECT_TRUE(link_test::AwaitLine(rig.sink, link_test::ExpectedLines(Sentences('K', 3)).back()));
    EXPECT_EQ(forgedRefused, std::vector<bool>(3, true));
    // Messages arriving from outside the reader are refused whole.
    SendMessageW(rig.sink.hwnd(), UM_LINE_RECEIVED, 0, 0);
    SendMessageW(rig.sink.hwnd(), UM_LINE_RECEIVED, reinterpret_cast<WPARAM>(L"$GPX*00\r\n"), 0);
    EXPECT_EQ(rig.sink.unclaimed, 2);
    EXPECT_EQ(rig.sink.lines.size(), 3u);
}
