// The program's command line as Windows quotes it, and its refusal's box.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "app/program_arguments.h"
#include "win_test_support.h"

using linkrules::SourceKind;

TEST(ProgramArguments, ShellQuotingIsUndoneAndTheProgramNameSkipped) {
    const struct {
        const wchar_t* commandLine;
        SourceKind kind;
        std::u16string device;
        bool refused;
    } rows[] = {
        {L"skyloom.exe", SourceKind::kNone, u"", false},
        {L"", SourceKind::kNone, u"", false},
        // What the .pgl association hands over for a double-click.
        {L"\"C:\\Program Files\\Skyloom\\skyloom.exe\" \"C:\\My Drives\\run 1.pgl\"",
         SourceKind::kRecording, u"C:\\My Drives\\run 1.pgl", false},
        {L"skyloom.exe COM5 --baud 460800", SourceKind::kPort, u"\\\\.\\COM5", false},
        {L"skyloom.exe \"tcp://[::1]:4001\"", SourceKind::kTcp, u"", false},
        // The name alone must not be taken for a source.
        {L"\"C:\\x\\skyloom.pgl\"", SourceKind::kNone, u"", false},
        {L"skyloom.exe \"\"", SourceKind::kNone, u"", true},
        {L"skyloom.exe C:\\My Drives\\run.pgl", SourceKind::kNone, u"", true},
    };
    for (const auto& row : rows) {
        std::wstring name = row.commandLine;
        linkrules::CommandLineChoice got = ReadProgramArguments(row.commandLine);
        EXPECT_EQ(got.source.kind, row.kind) << std::string(name.begin(), name.end());
        EXPECT_EQ(got.source.device, row.device) << std::string(name.begin(), name.end());
        EXPECT_EQ(!got.error.empty(), row.refused) << std::string(name.begin(), name.end());
    }
}

TEST(ProgramArguments, TheRefusalBoxSaysWhatIsAccepted) {
    linkrules::CommandLineChoice choice = ReadProgramArguments(L"skyloom.exe --fast");
    ASSERT_FALSE(choice.error.empty());
    std::wstring shown;
    std::thread answer([&] {
        for (int i = 0; i < 1000; ++i) {
            HWND box = FindWindowW(L"#32770", L"Skyloom");
            if (box && IsWindowVisible(box)) {
                shown = win_test::ItemText(box, 0xFFFF);  // the box's text
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(10);
        }
    });
    ShowArgumentsRefused(nullptr, choice);
    answer.join();
    EXPECT_NE(shown.find(L"\"--fast\""), std::wstring::npos)
        << std::string(shown.begin(), shown.end());
    EXPECT_NE(shown.find(L"skyloom.exe [SOURCE] [--baud N]"), std::wstring::npos);
    EXPECT_NE(shown.find(L"gpsd://HOST[:PORT]"), std::wstring::npos);
}
