// The intake's fast paths against the plain routines they stand in for: the
// one-pass line scan against a text16::Find per text, and the narrow builder
// against text16::Format. Real captures and generated lines that put the
// texts, their near misses and 0xFF80-0xFFFF units at every position.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "nmea/line_marks.h"
#include "nmea/text16.h"

namespace {

void ExpectSameAsFind(const std::u16string& line) {
    const char16_t* s = line.c_str();
    const LineMarks m = ScanLine(s, text16::Length(s));
    const std::string where(line.begin(), line.end());  // units cut to bytes, for the message
    EXPECT_EQ(m.waasEnable, text16::Find(s, "WAAS Enable") != nullptr) << where;
    EXPECT_EQ(m.waasDisable, text16::Find(s, "WAAS Disable") != nullptr) << where;
    EXPECT_EQ(m.version, text16::Find(s, "Version")) << where;
}

std::u16string Widened(const std::string& bytes) {
    std::u16string units;
    for (char b : bytes)
        units.push_back(static_cast<char16_t>(static_cast<int16_t>(static_cast<int8_t>(b))));
    return units;
}

TEST(LineScan, FindsWhatFindFindsInEveryCaptureLine) {
    const std::filesystem::path dir =
        std::filesystem::path(SKYLOOM_SOURCE_DIR) / "tests" / "data" / "captures";
    size_t files = 0, lines = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".pgl")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        ++files;
        size_t start = 0;
        while (start < bytes.size()) {
            size_t end = bytes.find('\n', start);
            end = end == std::string::npos ? bytes.size() : end + 1;
            ExpectSameAsFind(Widened(bytes.substr(start, end - start)));
            ++lines;
            start = end;
        }
    }
    EXPECT_GT(files, 40u);
    EXPECT_GT(lines, 1000u);
}

TEST(LineScan, FindsWhatFindFindsInGeneratedLines) {
    // Pieces that make the texts, break them off one unit short, or run them
    // into each other, shifted by the prefix to every position of a word.
    const std::vector<std::u16string> pieces = {u"WAAS Enable", u"WAAS Disable",
                                                u"WAAS ",       u"WAAS Enabl",
                                                u"WAAS Disabl", u"$PMTK705",
                                                u"$PMTK70",     u"Version",
                                                u"Versio",      u"Version2",
                                                u"GGA",         u"RMC",
                                                u"GSA",         u"GSV",
                                                u"GG",          u"GS",
                                                u"RM",          u"G",
                                                u"R",           u"V",
                                                u"W",           u"$",
                                                u"$GPGSV,",     u"3,1,12,",
                                                u"02,04,005,",  u"*7F\r\n",
                                                u"\uFF80",      u"\uFFC7",
                                                u"\uFFFF",      u"F",
                                                u"0",           u",",
                                                u"\r",          u" "};
    std::mt19937 random(2026);
    std::uniform_int_distribution<size_t> piece(0, pieces.size() - 1);
    std::uniform_int_distribution<int> count(0, 12);
    std::uniform_int_distribution<int> shift(0, 7);
    for (int i = 0; i < 20000; ++i) {
        std::u16string line(static_cast<size_t>(shift(random)), u'1');
        for (int k = count(random); k > 0; --k)
            line += pieces[piece(random)];
        ExpectSameAsFind(line);
        if (HasFailure())
            return;
    }
}

TEST(LineScan, LooksAtEveryUnitUpToTheEnd) {
    // Each text alone, at every offset into a run of digits and at the very end.
    const char16_t* texts[] = {u"WAAS Enable", u"WAAS Disable", u"Version", u"Version2"};
    for (const char16_t* text : texts) {
        for (size_t before = 0; before < 9; ++before) {
            for (size_t after = 0; after < 9; ++after)
                ExpectSameAsFind(std::u16string(before, u'0') + text + std::u16string(after, u'9'));
        }
    }
}

// Both writers into fresh buffers of the same capacity: the same length
// reported, the same units written, nothing written past the capacity.
template <typename FormatIt, typename BuildIt>
void ExpectSameText(size_t cap, FormatIt format, BuildIt build, const std::string& what) {
    constexpr size_t kRoom = 17;
    char16_t formatted[kRoom], built[kRoom];
    for (size_t i = 0; i < kRoom; ++i)
        formatted[i] = built[i] = 0x7777;
    ASSERT_LT(cap, kRoom);
    EXPECT_EQ(format(formatted), build(built)) << what;
    EXPECT_EQ(std::u16string(formatted, formatted + kRoom), std::u16string(built, built + kRoom))
        << what;
}

TEST(NarrowBuilder, StoresWhatFormatStores) {
    const int32_t values[] = {0,     1,      -1,      5,         -5,        9,         10,
                              42,    -42,    99,      100,       2026,      -2026,     12345,
                              65535, 999999, -999999, INT32_MAX, INT32_MIN, 1000000000};
    for (int32_t a : values) {
        for (int32_t b : values) {
            for (size_t cap = 0; cap <= 16; ++cap) {
                const std::string what =
                    std::to_string(a) + " " + std::to_string(b) + " cap " + std::to_string(cap);
                const int ia = static_cast<int>(a), ib = static_cast<int>(b);
                ExpectSameText(
                    cap,
                    [&](char16_t* d) {
                        return text16::Format(d, cap, "%.4d/%.2d/%.2d", ia, ib, ia);
                    },
                    [&](char16_t* d) {
                        return text16::NarrowBuilder()
                            .Int(a, 4)
                            .Text("/")
                            .Int(b, 2)
                            .Text("/")
                            .Int(a, 2)
                            .Store(d, cap);
                    },
                    what);
                ExpectSameText(
                    cap,
                    [&](char16_t* d) {
                        return text16::Format(d, cap, "%.2d:%.2d:%.2d", ia, ib, ib);
                    },
                    [&](char16_t* d) {
                        return text16::NarrowBuilder()
                            .Int(a, 2)
                            .Text(":")
                            .Int(b, 2)
                            .Text(":")
                            .Int(b, 2)
                            .Store(d, cap);
                    },
                    what);
                ExpectSameText(
                    cap, [&](char16_t* d) { return text16::Format(d, cap, "%.3d`%.2d.", ia, ib); },
                    [&](char16_t* d) {
                        return text16::NarrowBuilder()
                            .Int(a, 3)
                            .Text("`")
                            .Int(b, 2)
                            .Text(".")
                            .Store(d, cap);
                    },
                    what);
                ExpectSameText(
                    cap, [&](char16_t* d) { return text16::Format(d, cap, "%d Km/hr", ia); },
                    [&](char16_t* d) {
                        return text16::NarrowBuilder().Int(a).Text(" Km/hr").Store(d, cap);
                    },
                    what);
                if (HasFailure())
                    return;
            }
        }
    }
}

}  // namespace
