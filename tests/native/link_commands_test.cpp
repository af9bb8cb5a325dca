#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "link/auto_send.h"
#include "link/command_set.h"
#include "link/sentence_frame.h"

using linkrules::ReceiverCommand;

namespace {

std::string Frame(const std::u16string& text, size_t* n) {
    uint8_t out[linkrules::kSentenceBufferBytes];
    *n = linkrules::FrameSentence(text.c_str(), out);
    return std::string(reinterpret_cast<const char*>(out), *n);
}

// The exclusive-or of everything between '$' and '*', as two hex digits.
std::string ChecksumOf(const std::string& sentence) {
    size_t star = sentence.find('*');
    unsigned sum = 0;
    for (size_t i = 1; i < star; ++i)
        sum ^= static_cast<unsigned char>(sentence[i]);
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", sum);
    return hex;
}

}  // namespace

TEST(SentenceFrame, NarrowsAndEndsEveryUnit) {
    struct Case {
        std::u16string text;
        std::string bytes;
    };
    const Case cases[] = {
        {u"", std::string("\r\n")},
        {u"$PMTK605*31", "$PMTK605*31\r\n"},
        {u"\u0141\u00B0x", "\x41\xB0x\r\n"},
        // A unit whose low byte is 0 is sent as the byte 0, and the line end
        // still follows.
        {u"$A\u0100B", std::string("$A\0B\r\n", 6)},
        // 253 characters and the line end fill the 255 bytes; longer ones are not sent.
        {std::u16string(253, u'A'), std::string(253, 'A') + "\r\n"},
        {std::u16string(254, u'A'), ""},
        {std::u16string(1022, u'A'), ""},
    };
    for (const Case& c : cases) {
        size_t n = 0;
        EXPECT_EQ(Frame(c.text, &n), c.bytes);
        EXPECT_EQ(n, c.bytes.size());
    }
}

TEST(CommandSet, ScriptsCarryTheirSentencesAndPauses) {
    struct Case {
        ReceiverCommand command;
        std::string first, second;
        uint32_t pause;
    };
    const Case cases[] = {
        {ReceiverCommand::kPowerSaveOn, "$PSRF150,0,300,1000,1*10", "", 0},
        {ReceiverCommand::kPowerSaveOff, "$PSRF150,0,1000,1000,0*23", "", 0},
        {ReceiverCommand::kSbasOn, "$PSRF151,01*0F", "", 0},
        {ReceiverCommand::kSbasOff, "$PSRF151,00*0E", "", 0},
        {ReceiverCommand::kVtgOn, "$PSRF103,05,00,01,01*20", "", 0},
        {ReceiverCommand::kVtgOff, "$PSRF103,05,00,00,01*21", "", 0},
        {ReceiverCommand::kQueryVersion, "$PMTK605*31", "", 0},
        {ReceiverCommand::kColdStart, "$PMTK605*31", "$PMTK103*30", 500},
        {ReceiverCommand::kFactoryReset, "$PMTK104*37", "", 500},
        {ReceiverCommand::kHotStart, "$PMTK101*32", "", 500},
        {ReceiverCommand::kWarmStart, "$PMTK102*31", "", 500},
    };
    for (const Case& c : cases) {
        linkrules::CommandScript script = linkrules::ScriptFor(c.command);
        EXPECT_EQ(script.sentences[0], c.first);
        EXPECT_EQ(script.count, c.second.empty() ? 1u : 2u) << c.first;
        if (script.count == 2) {
            EXPECT_EQ(script.sentences[1], c.second);
        }
        EXPECT_EQ(script.pauseAfterMs, c.pause) << c.first;
        // The expected texts above are checked too: a wrong checksum there
        // would otherwise be copied into the table unnoticed.
        for (size_t i = 0; i < script.count; ++i) {
            std::string s = script.sentences[i];
            ASSERT_GE(s.size(), 4u);
            EXPECT_EQ(s.substr(0, 2), "$P") << s;
            ASSERT_EQ(s[s.size() - 3], '*') << s;
            EXPECT_EQ(s.substr(s.size() - 2), ChecksumOf(s)) << s;
        }
    }
    EXPECT_EQ(std::u16string(linkrules::kCommandNote), u"$PSRF\r\n...OK\r\n");
    EXPECT_EQ(std::u16string(linkrules::kUserSentenceNote), u"Send Message\r\n...OK\r\n");
}

TEST(AutoSend, PeriodTextsGiveTimerPeriods) {
    struct Case {
        std::u16string text;
        uint32_t ms;
    };
    const Case cases[] = {
        {u"2", 2000},        {u" 15s", 15000}, {u"+3", 3000},
        {u"0", 0},           {u"", 0},         {u"abc", 0},
        {u"-5", 0},          {u"-0", 0},       {u"2147483", 2147483000u},
        {u"2147484", 0},  // more milliseconds than a timer holds
        {u"99999999999", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(linkrules::AutoSendPeriodMs(c.text.c_str()), c.ms)
            << std::string(c.text.begin(), c.text.end());
}
