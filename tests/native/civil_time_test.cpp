#include <gtest/gtest.h>

#include "nmea/civil_time.h"

namespace {

CivilTime Make(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    CivilTime t{};
    t.wYear = static_cast<uint16_t>(y);
    t.wMonth = static_cast<uint16_t>(mo);
    t.wDay = static_cast<uint16_t>(d);
    t.wHour = static_cast<uint16_t>(h);
    t.wMinute = static_cast<uint16_t>(mi);
    t.wSecond = static_cast<uint16_t>(s);
    return t;
}

TEST(CivilTime, Validity) {
    const struct {
        CivilTime t;
        bool valid;
    } cases[] = {
        {Make(2026, 1, 7, 12, 35, 19), true},
        {Make(2024, 2, 29), true},
        {Make(2100, 2, 29), false},
        {Make(2000, 2, 29), true},
        {Make(2026, 4, 31), false},
        {Make(2026, 0, 1), false},
        {Make(2026, 13, 1), false},
        {Make(2026, 1, 0), false},
        {Make(2026, 1, 1, 24), false},
        {Make(2026, 1, 1, 0, 60), false},
        {Make(2026, 1, 1, 0, 0, 60), false},
        {Make(1600, 12, 31), false},
        {Make(1601, 1, 1), true},
        {Make(30827, 12, 31), true},
        {Make(30828, 1, 1), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidCivilTime(c.t), c.valid) << c.t.wYear;
}

TEST(CivilTime, ShiftAcrossDaysMonthsYears) {
    const CivilTime untouched = Make(1999, 9, 9);
    const struct {
        CivilTime in;
        int32_t minutes;
        bool ok;
        CivilTime out;  // `untouched` where the shift is refused
        int dayOfWeek;
    } cases[] = {
        {Make(2026, 1, 7, 12, 35, 19), 120, true, Make(2026, 1, 7, 14, 35, 19), 3},
        {Make(2026, 1, 1, 0, 30), -60, true, Make(2025, 12, 31, 23, 30), 3},
        {Make(2024, 2, 28, 23, 0), 90, true, Make(2024, 2, 29, 0, 30), 4},
        {Make(2026, 12, 31, 23, 59, 59), 1, true, Make(2027, 1, 1, 0, 0, 59), 5},
        {Make(2026, 3, 1, 5, 0), -330, true, Make(2026, 2, 28, 23, 30), 6},
        // Invalid input, and shifts out of the representable range.
        {Make(2026, 2, 30), 0, false, untouched, 0},
        {Make(1601, 1, 1, 0, 30), -60, false, untouched, 0},
        {Make(30827, 12, 31, 23, 30), 60, false, untouched, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.in.wYear << "/" << c.in.wMonth << "/" << c.in.wDay << " " << c.minutes);
        CivilTime out = untouched;
        EXPECT_EQ(ShiftCivilTime(c.in, c.minutes, &out), c.ok);
        EXPECT_EQ(out.wYear, c.out.wYear);
        EXPECT_EQ(out.wMonth, c.out.wMonth);
        EXPECT_EQ(out.wDay, c.out.wDay);
        EXPECT_EQ(out.wHour, c.out.wHour);
        EXPECT_EQ(out.wMinute, c.out.wMinute);
        EXPECT_EQ(out.wSecond, c.out.wSecond);
        EXPECT_EQ(out.wDayOfWeek, c.dayOfWeek);
    }
}

}  // namespace
