#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/line_framer.h"

namespace {

struct Framed {
    std::vector<std::u16string> lines;
    int dropped = 0;
};

// Feeds a byte stream; "|" in the script stands for an interrupted read.
Framed FrameAll(const std::string& bytes, bool interruptAtBars = false) {
    LineFramer framer;
    Framed out;
    for (unsigned char b : bytes) {
        if (interruptAtBars && b == '|') {
            framer.Interrupt();
            continue;
        }
        switch (framer.Feed(b)) {
            case LineFramer::Result::kLine:
                out.lines.emplace_back(framer.line(), framer.length());
                // The delivered line is terminated right behind its line feed.
                EXPECT_EQ(framer.line()[framer.length()], 0);
                break;
            case LineFramer::Result::kDropped:
                ++out.dropped;
                break;
            case LineFramer::Result::kMore:
                break;
        }
    }
    return out;
}

std::u16string Wide(const std::string& s) {
    std::u16string w;
    for (unsigned char c : s)
        w.push_back(static_cast<char16_t>(c));
    return w;
}

TEST(LineFramer, LineLengthLimits) {
    struct Case {
        size_t before;        // characters before the first line feed
        bool firstDelivered;  // that line arrives whole
        size_t tail;          // length (without LF) of the piece delivered after a drop
    };
    const Case cases[] = {
        {0, true, 0},
        {509, true, 0},
        {510, true, 0},
        {511, false, 0},
        // 600: 511 stored, the 512th byte drops them and itself, 88 remain.
        {600, false, 88},
        // 1022: 511 + 1 dropped, the next 510 make a line of their own.
        {1022, false, 510},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        std::string body;
        for (size_t i = 0; i < c.before; ++i)
            body.push_back(static_cast<char>('A' + i % 26));
        const Framed f = FrameAll(body + "\n$NEXT\r\n");
        std::vector<std::u16string> expected;
        if (c.firstDelivered)
            expected.push_back(Wide(body + "\n"));
        if (c.tail > 0)
            expected.push_back(Wide(body.substr(c.before - c.tail) + "\n"));
        expected.push_back(Wide("$NEXT\r\n"));
        EXPECT_EQ(f.lines, expected);
        EXPECT_EQ(f.dropped, c.firstDelivered ? 0 : 1);
    }
}

TEST(LineFramer, LineEndings) {
    // CR stays in the line; CR alone does not end one.
    Framed f = FrameAll("$A*00\r\n$B\r$C\n");
    ASSERT_EQ(f.lines.size(), 2u);
    EXPECT_EQ(f.lines[0], u"$A*00\r\n");
    EXPECT_EQ(f.lines[1], u"$B\r$C\n");
    // A lone line feed is an empty line of its own.
    f = FrameAll("\n\n");
    EXPECT_EQ(f.lines, (std::vector<std::u16string>{u"\n", u"\n"}));
}

TEST(LineFramer, WidensBytesWithTheirSign) {
    const struct {
        uint8_t byte;
        char16_t unit;
    } cases[] = {{0x00, 0x0000}, {0x24, 0x0024}, {0x7F, 0x007F},
                 {0x80, 0xFF80}, {0xB0, 0xFFB0}, {0xFF, 0xFFFF}};
    for (const auto& c : cases) {
        EXPECT_EQ(WidenByte(c.byte), c.unit);
        LineFramer framer;
        framer.Feed(c.byte);
        ASSERT_EQ(framer.Feed('\n'), LineFramer::Result::kLine);
        EXPECT_EQ(framer.line()[0], c.unit);
    }
}

TEST(LineFramer, InterruptDropsThePartialLineOnly) {
    // A timeout in mid-sentence costs its first part; the rest is a line of its own.
    const Framed f = FrameAll("$GPGGA,1|23*47\r\n$OK\r\n|", true);
    EXPECT_EQ(f.lines, (std::vector<std::u16string>{u"23*47\r\n", u"$OK\r\n"}));

    LineFramer framer;
    EXPECT_FALSE(framer.Interrupt());  // nothing pending
    framer.Feed('$');
    EXPECT_EQ(framer.pending(), 1u);
    EXPECT_TRUE(framer.Interrupt());
    EXPECT_EQ(framer.pending(), 0u);
    // A recording whose last line has no line feed never delivers it.
    EXPECT_TRUE(FrameAll("$LAST,NO,LF").lines.empty());
}

TEST(LineFramer, TooLongLineThenInterruptStartsClean) {
    std::string bytes(511, 'x');
    bytes += "yz";  // 'y' drops the 511, 'z' starts a new line
    LineFramer framer;
    for (unsigned char b : bytes)
        framer.Feed(b);
    EXPECT_EQ(framer.pending(), 1u);
    EXPECT_TRUE(framer.Interrupt());
    ASSERT_EQ(framer.Feed('\n'), LineFramer::Result::kLine);
    EXPECT_EQ(std::u16string(framer.line()), u"\n");
}

}  // namespace
