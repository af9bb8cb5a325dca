// The reader thread on a scripted byte source: what it makes of each thing a
// source can say, what reaches the raw recording, commands through the link,
// and a close that does not wait for a source stuck in its read.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "link/link_state_win32.h"
#include "link/link_win32.h"
#include "link/raw_recording_win32.h"
#include "res/resource.h"
#include "tests/windows/link_test_support.h"
#include "win32/messages.h"

using link_test::FakeSource;
using link_test::PumpUntil;
using linkrules::ReadStatus;

namespace {

linkrules::SourceSpec FakePort() {
    linkrules::SourceSpec spec;
    spec.kind = linkrules::SourceKind::kPort;
    spec.device = u"\\\\.\\COM99";
    spec.baud = 4800;
    return spec;
}

FakeSource::Step Data(std::string bytes) {
    return {ReadStatus::kData, std::move(bytes)};
}

FakeSource::Step Say(ReadStatus status) {
    return {status, std::string()};
}

}  // namespace

TEST(Reader, FollowsWhatItsSourceSays) {
    struct Case {
        const char* what;
        bool live;
        std::vector<FakeSource::Step> steps;
        std::vector<std::u16string> lines;
        std::string recorded;
        bool lost;
    };
    const std::string first = "$GPGLL,1*00\r\n$GPGLL,2";
    const std::string rest = "*00\r\n$GPGLL,3*00\r\n";
    const std::vector<std::u16string> cut = {u"$GPGLL,1*00\r\n", u"*00\r\n", u"$GPGLL,3*00\r\n"};
    const Case cases[] = {
        {"silence ends a partial line",
         true,
         {Data(first), Say(ReadStatus::kSilence), Data(rest)},
         cut,
         first + rest,
         false},
        {"a line error ends it too, and any number of them loses nothing",
         true,
         {Data(first), Say(ReadStatus::kLineError), Data(rest), Say(ReadStatus::kLineError),
          Say(ReadStatus::kLineError), Say(ReadStatus::kLineError), Say(ReadStatus::kLineError),
          Say(ReadStatus::kLineError), Say(ReadStatus::kLineError), Data("$GPGLL,4*00\r\n")},
         {u"$GPGLL,1*00\r\n", u"*00\r\n", u"$GPGLL,3*00\r\n", u"$GPGLL,4*00\r\n"},
         first + rest + "$GPGLL,4*00\r\n",
         false},
        {"a recording's end ends its last line; it is never recorded",
         false,
         {Data(first), Say(ReadStatus::kEnded), Data(rest)},
         cut,
         "",
         false},
        {"a lost source is said once, and nothing after it is read",
         true,
         {Data("$GPGLL,1*00\r\n$GPGLL,2"), Say(ReadStatus::kLost), Data("*00\r\n")},
         {u"$GPGLL,1*00\r\n"},
         "$GPGLL,1*00\r\n$GPGLL,2",
         true},
        {"bytes in many small reads make one line",
         true,
         {Data("$GP"), Data("GLL,"), Data("5*00\r"), Data("\n")},
         {u"$GPGLL,5*00\r\n"},
         "$GPGLL,5*00\r\n",
         false},
    };
    const std::wstring raw = link_test::ScratchDir() + L"\\reader_raw.pgl";
    for (const Case& c : cases) {
        link_test::LineSink sink;
        auto script = std::make_shared<FakeSource::Script>();
        script->live = c.live;
        for (const FakeSource::Step& step : c.steps)
            script->Add(step);
        ASSERT_TRUE(StartRawRecording(raw.c_str())) << c.what;
        {
            Link link;
            ASSERT_TRUE(
                link.Open(std::make_unique<FakeSource>(script), FakePort(), sink.hwnd()).ok())
                << c.what;
            EXPECT_EQ(link.Live(), c.live) << c.what;
            const uint32_t number = link.Number();
            if (c.lost) {
                ASSERT_TRUE(PumpUntil([&] { return !sink.portsLost.empty(); }, 5000))
                    << c.what << ": UM_PORT_LOST";
                EXPECT_TRUE(PumpUntil([] { return LiveLinkStates() == 1; }, 3000))
                    << c.what << ": the reader ended, only the link's own state is left";
                EXPECT_EQ(sink.portsLost, std::vector<WPARAM>{number}) << c.what;
            } else {
                // Waiting in a read with nothing left: every earlier line was
                // handed over before it asked.
                ASSERT_TRUE(PumpUntil([&] { return script->Waiting(); }, 5000))
                    << c.what << ": a read with the script used up";
                EXPECT_TRUE(sink.portsLost.empty()) << c.what;
            }
            EXPECT_EQ(sink.lines, c.lines) << c.what;
        }
        StopRawRecording();
        EXPECT_EQ(link_test::ReadBytes(raw), c.recorded) << c.what;
        EXPECT_TRUE(PumpUntil([] { return LiveLinkStates() == 0; }, 3000)) << c.what;
        EXPECT_EQ(script->Closes(), 1) << c.what << ": closed once, after the reader let go";
    }
}

TEST(Reader, CommandsGoThroughTheLinkOnlyToASourceThatTakesThem) {
    for (bool takes : {true, false}) {
        link_test::Rig rig;
        auto script = std::make_shared<FakeSource::Script>();
        script->takesCommands = takes;
        ASSERT_TRUE(rig.control.link()
                        .Open(std::make_unique<FakeSource>(script), FakePort(), rig.sink.hwnd())
                        .ok());
        EXPECT_EQ(rig.control.OnReceiverCommand(UM_COLD_START), 1);
        rig.panel.SetText(IDC_USER_SENTENCE, L"$PMTK000*32");
        EXPECT_EQ(rig.control.OnReceiverCommand(UM_SEND_USER_SENTENCE), 1);
        EXPECT_EQ(script->Written(), takes ? "$PMTK605*31\r\n$PMTK103*30\r\n$PMTK000*32\r\n" : "")
            << takes;
        // The console notes go out either way.
        EXPECT_EQ(rig.host.notes.size(), 2u) << takes;
    }
    EXPECT_TRUE(PumpUntil([] { return LiveLinkStates() == 0; }, 3000));
}

TEST(Reader, CloseReturnsWhileTheSourceIsStuckInARead) {
    link_test::LineSink sink;
    auto script = std::make_shared<FakeSource::Script>();
    script->holdReads = true;
    Link link;
    ASSERT_TRUE(link.Open(std::make_unique<FakeSource>(script), FakePort(), sink.hwnd()).ok());
    ASSERT_TRUE(PumpUntil([&] { return script->Waiting(); }, 5000)) << "the reader in its read";
    // The read ignores Cancel: had the close waited for the reader, it would
    // never have come back while the read is held.
    link.Close();
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.Number(), 0u);
    EXPECT_EQ(script->Closes(), 0) << "the reader still holds its source";
    script->Release();
    EXPECT_TRUE(PumpUntil([] { return LiveLinkStates() == 0; }, 5000));
    EXPECT_EQ(script->Closes(), 1);
    EXPECT_TRUE(sink.lines.empty());
}
