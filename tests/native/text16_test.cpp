#include <gtest/gtest.h>

#include <string>

#include "nmea/text16.h"

namespace {

// Buffers are guarded on both sides: a write past the capacity shows up as a
// changed guard even where the sanitizers cannot see it (arrays in a struct).
struct Guarded {
    char16_t before = 0x5A5A;
    char16_t buf[8];
    char16_t after[4] = {0x5A5A, 0x5A5A, 0x5A5A, 0x5A5A};
    Guarded() {
        for (char16_t& c : buf)
            c = 0x7777;
    }
    bool Intact() const { return before == 0x5A5A && after[0] == 0x5A5A && after[1] == 0x5A5A; }
};

TEST(Text16, CopiesCutAtCapacityAndTerminate) {
    const struct {
        const char16_t* src;
        size_t cap;
        const char16_t* expected;
        size_t copied;
    } cases[] = {
        {u"", 8, u"", 0},
        {u"1234567", 8, u"1234567", 7},
        {u"12345678", 8, u"1234567", 7},
        {u"123456789ABC", 8, u"1234567", 7},
        {u"abc", 1, u"", 0},
    };
    for (const auto& c : cases) {
        Guarded g;
        EXPECT_EQ(text16::Copy(g.buf, c.cap, c.src), c.copied);
        EXPECT_EQ(std::u16string(g.buf), c.expected);
        EXPECT_TRUE(g.Intact());
    }
    Guarded g;
    EXPECT_EQ(text16::Copy(g.buf, 0, u"abc"), 0u);
    EXPECT_EQ(g.buf[0], 0x7777);  // capacity 0 writes nothing
}

TEST(Text16, AppendAndNarrowCopyStayInside) {
    Guarded g;
    text16::CopyNarrow(g.buf, "abcde");
    text16::Append(g.buf, u"fghij");
    EXPECT_EQ(std::u16string(g.buf), u"abcdefg");
    EXPECT_TRUE(g.Intact());
    // An unterminated buffer is repaired, never run over.
    for (char16_t& c : g.buf)
        c = u'x';
    EXPECT_EQ(text16::Append(g.buf, u"y"), 0u);
    EXPECT_EQ(g.buf[7], 0);
    EXPECT_TRUE(g.Intact());
}

TEST(Text16, FormatCutsAndReportsTheFullLength) {
    Guarded g;
    EXPECT_EQ(text16::Format(g.buf, "%.2d`%.2d.%.4d'", 48, 7, 380), 11u);
    EXPECT_EQ(std::u16string(g.buf), u"48`07.0");
    EXPECT_TRUE(g.Intact());
    EXPECT_EQ(text16::Format(g.buf, "%.4d/%.2d", 2026, 1), 7u);
    EXPECT_EQ(std::u16string(g.buf), u"2026/01");
    // "%.2d" of a negative number keeps its sign (mingw's printf must agree).
    text16::Format(g.buf, "%.2d", -5);
    EXPECT_EQ(std::u16string(g.buf), u"-05");
    // The pointer form is bounded by the capacity it is given.
    EXPECT_EQ(text16::Format(g.buf, 4, "%d", 123456), 6u);
    EXPECT_EQ(std::u16string(g.buf), u"123");
}

TEST(Text16, ArrayFormsTakeTheArraysCapacity) {
    // Eight units each time: seven characters and the terminator, never the
    // array's size in bytes.
    const std::u16string seven = u"1234567";
    Guarded g;
    EXPECT_EQ(text16::Copy(g.buf, u"123456789"), 7u);
    EXPECT_EQ(std::u16string(g.buf), seven);
    EXPECT_TRUE(g.Intact());
    EXPECT_EQ(text16::CopyNarrow(g.buf, "123456789"), 7u);
    EXPECT_EQ(std::u16string(g.buf), seven);
    EXPECT_TRUE(g.Intact());
    text16::Copy(g.buf, u"1234");
    EXPECT_EQ(text16::Append(g.buf, u"56789"), 3u);
    EXPECT_EQ(std::u16string(g.buf), seven);
    EXPECT_TRUE(g.Intact());
    EXPECT_EQ(text16::Format(g.buf, "%d", 123456789), 9u);
    EXPECT_EQ(std::u16string(g.buf), seven);
    EXPECT_TRUE(g.Intact());
    EXPECT_EQ(text16::NarrowBuilder().Int(1234).Text("56789").Store(g.buf), 9u);
    EXPECT_EQ(std::u16string(g.buf), seven);
    EXPECT_TRUE(g.Intact());
}

TEST(Text16, ScanIntReadsLikePercentD) {
    const struct {
        const char16_t* text;
        bool ok;
        int32_t value;
    } cases[] = {
        {u"123519.000", true, 123519},
        {u"  42", true, 42},
        {u"-7x", true, -7},
        {u"+8", true, 8},
        {u"", false, 0},
        {u"A", false, 0},
        {u"-", false, 0},
        {u"99999999999", true, INT32_MAX},
        {u"-99999999999", true, INT32_MIN},
        {u"\xFF10", false, 0},  // a widened byte is no digit
    };
    for (const auto& c : cases) {
        int32_t v = 0;
        EXPECT_EQ(text16::ScanInt(c.text, &v), c.ok) << std::u16string(c.text).size();
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
        EXPECT_EQ(text16::IntOrZero(c.text), c.value);
    }
}

TEST(Text16, IntAtNeverReadsBehindTheTerminator) {
    // Stale digits behind a short field's terminator must not be read.
    char16_t field[8] = {u'4', u'8', 0, u'9', u'9', u'9', u'9', 0};
    EXPECT_EQ(text16::IntAt(field, 0), 48);
    EXPECT_EQ(text16::IntAt(field, 2), 0);
    EXPECT_EQ(text16::IntAt(field, 5), 0);
    EXPECT_EQ(text16::IntAt(u"4807.0380", 5), 380);
}

TEST(Text16, FindAndEqual) {
    EXPECT_NE(text16::Find(u"$GPGGA,1", "GGA"), nullptr);
    EXPECT_EQ(text16::Find(u"$GPGG", "GGA"), nullptr);
    EXPECT_EQ(text16::Find(u"abc", "abcd"), nullptr);
    EXPECT_TRUE(text16::Equal(u"Log File", "Log File"));
    EXPECT_FALSE(text16::Equal(u"Log File", "Log"));
    EXPECT_FALSE(text16::Equal(u"Log", "Log File"));
}

}  // namespace
