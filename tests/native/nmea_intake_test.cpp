#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_intake_host.h"
#include "nmea/sentence_table.h"

namespace {

struct IntakeTest : ::testing::Test, IntakeFixture {};

TEST_F(IntakeTest, StepsHappenInOrder) {
    resetButtonsPending = 1;
    Feed(kGga);
    EXPECT_EQ(host.events,
              (std::vector<std::string>{"enable", "log", "color 0", "insert", "redraw"}));
    EXPECT_EQ(resetButtonsPending, 0);
    EXPECT_EQ(status.parseBusy, 0);
}

TEST_F(IntakeTest, ColourFollowsTheChecksumAndFailingLinesAreDecoded) {
    const struct {
        std::string line;
        uint32_t color;
    } cases[] = {
        {kGga, kColorBlack},
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*48\r\n", kColorRed},
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\n", kColorBlack},
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*48\n", kColorRed},
        {"garbage\r\n", kColorRed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const int redraws = host.redraws;
        Feed(c.line);
        EXPECT_EQ(host.console.back().color, c.color);
        EXPECT_EQ(host.console.back().text, U(c.line));
        const bool isGga = c.line.find("GGA") != std::string::npos;
        EXPECT_EQ(host.redraws - redraws, isGga ? 1 : 0);  // decoded whatever the colour
    }
}

TEST(SentenceTable, TheAddressFieldNamesTheSentence) {
    const struct {
        const char16_t* line;
        const char* name;  // nullptr: no sentence of the table
    } cases[] = {
        {u"$GPGGA,123519,4807.038,N*47\r\n", "GGA"},
        {u"$GNRMC,123519,A*00\r\n", "RMC"},
        {u"$BDGSA,A,2,04*00\r\n", "GSA"},
        {u"$PQGSV,2,1,05*00\r\n", "GSV"},  // Quectel's own talker
        {u"$GPGSV*00\r\n", "GSV"},         // the address ends at the '*' too
        {u"$PMTK705,AXN_1.30,0000*00\r\n", "PMTK705"},
        {u"#~$GPGGA,123519*00\r\n", "GGA"},  // a line damaged before its '$'
        // Names elsewhere in the line are data, not the sentence.
        {u"$GPRMC,123519,A,,,,,,,070126,,,GGA*00\r\n", "RMC"},
        {u"$GPTXT,01,01,02,GSV*00\r\n", nullptr},
        {u"$PXXX,GSV*00\r\n", nullptr},
        {u"$GPTXT,$GPGGA,1*00\r\n", nullptr},
        // Near misses of an address.
        {u"$GGA,1*00\r\n", nullptr},     // no talker
        {u"$GPGGAX,1*00\r\n", nullptr},  // a longer name
        {u"$GPGG,1*00\r\n", nullptr},
        {u"GPGGA,123519*00\r\n", nullptr},  // no '$'
        {u"$PMTK7051,1*00\r\n", nullptr},
        {u"$PMTK70,1*00\r\n", nullptr},
        {u"$GPGS*00\r\n", nullptr},
        {u"$GPPMTK705,1*00\r\n", nullptr},  // proprietary names stand alone
        {u"$PMTK001,605,3*00\r\n", nullptr},
        {u"$", nullptr},
        {u"", nullptr},
    };
    for (const auto& c : cases) {
        const SentenceRow* row = FindSentence(c.line);
        const std::string where(c.line, c.line + text16::Length(c.line));
        ASSERT_EQ(row != nullptr, c.name != nullptr) << where;
        if (row != nullptr) {
            EXPECT_STREQ(row->name, c.name) << where;
            EXPECT_EQ(row->stage == SentenceStage::kReply, row->proprietary) << where;
        }
    }
}

TEST_F(IntakeTest, OnlyTheAddressDecidesTheDecoder) {
    // Holds "GGA" in its data: decoded as the RMC it is, and no cycle opens.
    Feed(Sentence("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,070126,,,GGA"));
    EXPECT_EQ(Narrow(Texts(status).fixState), "3D");
    EXPECT_EQ(host.redraws, 0);
    Feed(Sentence("BDGSA,A,2,04,,,,,,,,,,,,2.5,1.3,2.1"));
    EXPECT_EQ(Narrow(Texts(status).fixState), "2D");
    Feed(Sentence("GPTXT,01,01,02,RMC GSA"));  // no sentence of the table
    EXPECT_EQ(Narrow(Texts(status).fixState), "2D");
    EXPECT_EQ(host.console.size(), 3u);
}

TEST_F(IntakeTest, VersionReplies) {
    const struct {
        std::string line, core, firmware;
    } cases[] = {
        {Sentence("PMTK705,AXN_1.30,0000,20090609,"), "AXN_1.30", "20090609"},
        // Only three fields: the checksum digits end up as the firmware version.
        {"$PMTK705,AXN_2.10,0001*1A\r\n", "AXN_2.10", "1A"},
        // Empty fields leave the boxes as they were.
        {Sentence("PMTK705,,0000,,"), "", ""},
        {"$PSRF,Core Version: 5.1.2*00\r\n", "5.1.2", ""},
        {"$PSRF,Version2:    GSW3.5.0*00\r\n", "", "GSW3.5.0"},
        // No '*': the text keeps its CR LF.
        {"Version: 1.0\r\n", "1.0\r\n", ""},
        // The first ':' of the whole line counts, even before the word.
        {"$A:x,Version 7*00\r\n", "x,Version 7", ""},
        // No ':' at all: the text starts with the word itself.
        {"$PXYZ,Version 3.1*00\r\n", "Version 3.1", ""},
        {"$PXYZ,Version2 B*00\r\n", "", "Version2 B"},
        // A colon as the last character: nothing but the line end is left.
        {"Version:\r\n", "\r\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        host.coreVersion.clear();
        host.firmwareVersion.clear();
        intake = IntakeState{};
        Feed(c.line);
        EXPECT_EQ(Narrow(host.coreVersion), c.core);
        EXPECT_EQ(Narrow(host.firmwareVersion), c.firmware);
    }
}

TEST_F(IntakeTest, OverlongVersionFieldIsCut) {
    Feed("$PMTK705," + std::string(200, 'v') + ",0,fw*00\r\n");
    EXPECT_EQ(host.coreVersion, U(std::string(127, 'v')));
    EXPECT_EQ(Narrow(host.firmwareVersion), "fw");
}

TEST_F(IntakeTest, SbasReplies) {
    const struct {
        std::string line;
        int check;
    } cases[] = {
        {"$PMTK,WAAS Enable*00\r\n", 1},
        {"$PMTK,WAAS Disable*00\r\n", 0},
        {"$PMTK,WAAS Disable,WAAS Enable*00\r\n", 1},  // Enable is looked for first
        {"$PMTK,WAAS enable*00\r\n", -1},
    };
    for (const auto& c : cases) {
        host.sbasCheck = -1;
        Feed(c.line);
        EXPECT_EQ(host.sbasCheck, c.check) << c.line;
    }
}

TEST_F(IntakeTest, ConsoleIsEmptiedAboveTwoThousandLines) {
    host.consoleLines = 2000;
    Feed(kGga);
    EXPECT_EQ(host.consoleClears, 0);
    host.consoleLines = 2001;
    Feed(kGga);
    EXPECT_EQ(host.consoleClears, 1);
    const std::vector<std::string> tail(host.events.end() - 3, host.events.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"clear", "insert", "redraw"}));
}

// A host whose console insertion hands the intake another line, as a message
// pumped during the first one would.
class NestingHost : public FakeIntakeHost {
  public:
    ReceiverModel* status = nullptr;
    int nestedResult = -1;
    void ConsoleInsert(const char16_t* text) override {
        FakeIntakeHost::ConsoleInsert(text);
        if (nestedResult == -1) {
            nestedResult = OnLineReceived(*this, *status, u"$GPGGA,nested*00\r\n");
        }
    }
};

TEST_F(IntakeTest, ALineArrivingDuringDecodingIsDroppedAfterItsLog) {
    NestingHost nesting;
    nesting.status = &status;
    const std::u16string line = U(Sentence("GPTXT,01"));
    EXPECT_EQ(OnLineReceived(nesting, status, line.c_str()), 1);
    EXPECT_EQ(nesting.nestedResult, 0);
    EXPECT_EQ(nesting.console.size(), 1u);    // the nested line is not shown...
    EXPECT_EQ(nesting.logWrites.size(), 2u);  // ...but logged
    EXPECT_EQ(nesting.redraws, 0);            // ...and not decoded
    EXPECT_EQ(status.parseBusy, 0);
}

TEST_F(IntakeTest, LinesLongerThanTheWorkingCopy) {
    const struct {
        size_t length;  // characters before the line end
        std::string ending;
        bool cut;
    } cases[] = {
        {253, "\r\n", false}, {254, "\r\n", true}, {300, "\r\n", true},
        {509, "\n", true},    {255, "", true},     {254, "\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        // A valid sentence whose digits would pass if the whole line were kept.
        std::string body = "GPTXT,";
        while (body.size() + 4 < c.length)
            body.push_back('x');
        std::string line = Sentence(body);
        line.resize(line.size() - 2);
        line += c.ending;
        host.console.clear();
        host.logWrites.clear();
        Feed(line);
        ASSERT_EQ(host.console.size(), 1u);
        const std::u16string shown = host.console[0].text;
        EXPECT_LE(shown.size(), 255u);
        EXPECT_EQ(host.logWrites[0], shown);
        if (!c.cut) {
            EXPECT_EQ(shown, U(line));
            EXPECT_EQ(host.console[0].color, kColorBlack);  // CR LF or LF alone
            continue;
        }
        EXPECT_EQ(shown.size(), 255u);
        // Its beginning and its own line end, shown red.
        EXPECT_EQ(shown.substr(0, 100), U(line.substr(0, 100)));
        EXPECT_EQ(shown.substr(shown.size() - c.ending.size()), U(c.ending));
        EXPECT_EQ(host.console[0].color, kColorRed);
    }
}

TEST_F(IntakeTest, CutLineIsRedEvenWhenItsTailLooksValid) {
    // The kept 253 characters happen to end in "*hh" with a matching sum.
    std::string head = Sentence("GPTXT,01,01,02," + std::string(234, 'a'));
    head.resize(head.size() - 2);
    ASSERT_EQ(head.size(), 253u);
    const std::string line = head + std::string(40, 'b') + "\r\n";
    Feed(line);
    EXPECT_TRUE(ChecksumPasses(U(head + "\r\n").c_str(), 255));
    EXPECT_EQ(host.console[0].text, U(head + "\r\n"));
    EXPECT_EQ(host.console[0].color, kColorRed);
}

TEST_F(IntakeTest, WidenedBytesPassThrough) {
    std::u16string line = u"$GPTXT,";
    line.push_back(0xFFB0);
    line += u"*00\r\n";
    OnLineReceived(host, status, line.c_str());
    EXPECT_EQ(host.console[0].text, line);
    EXPECT_EQ(host.logWrites[0], line);
}

}  // namespace
