#include <cstdint>
#include <iterator>

#include "nmea/decoders.h"
#include "nmea/field_split.h"
#include "nmea/fix_numbers.h"
#include "nmea/text16.h"

namespace {

bool InRange(int64_t v, int64_t lo, int64_t hi) {
    return v >= lo && v <= hi;
}

// Fields 9 (ddmmyy) and 1 (hhmmss.sss) to local time. The receiver's digits are
// taken apart by differences of whole numbers read at three positions.
void DecodeTime(IntakeHost& host, ReceiverModel& status) {
    const auto& fields = status.intake.RmcFields;
    const char16_t* date = fields[9];
    const char16_t* time = fields[1];
    const int64_t d0 = text16::IntAt(date, 0), d2 = text16::IntAt(date, 2),
                  d4 = text16::IntAt(date, 4);
    const int64_t t0 = text16::IntAt(time, 0), t2 = text16::IntAt(time, 2),
                  t4 = text16::IntAt(time, 4);
    const int64_t year = d4 + 2000, month = (d2 - d4) / 100, day = (d0 - d2) / 10000;
    const int64_t hour = (t0 - t2) / 10000, minute = (t2 - t4) / 100, second = t4;

    // Values the 16-bit calendar fields cannot hold would wrap into a
    // plausible-looking time; they fail like any other impossible date.
    if (!InRange(year, 0, 0xFFFF) || !InRange(month, 0, 0xFFFF) || !InRange(day, 0, 0xFFFF) ||
        !InRange(hour, 0, 0xFFFF) || !InRange(minute, 0, 0xFFFF) || !InRange(second, 0, 0xFFFF))
        return;
    CivilTime utc{};
    utc.wYear = static_cast<uint16_t>(year);
    utc.wMonth = static_cast<uint16_t>(month);
    utc.wDayOfWeek = 1;
    utc.wDay = static_cast<uint16_t>(day);
    utc.wHour = static_cast<uint16_t>(hour);
    utc.wMinute = static_cast<uint16_t>(minute);
    utc.wSecond = static_cast<uint16_t>(second);
    utc.wMilliseconds = 0;

    // A time the system calendar rejects leaves the last good time on the
    // panel and for "Set Time", rather than a half-converted one.
    CivilTime local{};
    if (!host.UtcToLocal(utc, &local))
        return;
    status.receiverTime = local;
    status.receiverTimeSet = 1;
    status.sent.localTime = 1;
}

// Field 7, knots. Only the colour marks a fast line: holding the window up
// for it would put a receiver at 10 Hz on a motorway ever further behind.
void DecodeSpeed(IntakeHost& host, ReceiverModel& status) {
    const char16_t* knots = status.intake.RmcFields[7];
    text16::Copy(status.sent.speedKnots, knots);
    if (knots[0] != 0 && ShownSpeedKmh(knots) > 100)
        host.SetConsoleColor(kColorGreen);
}

void DecodePosition(ReceiverModel& status) {
    const auto& fields = status.intake.RmcFields;
    if (fields[3][0] == 0 || fields[4][0] == 0 || fields[5][0] == 0 || fields[6][0] == 0)
        return;
    SentFields& sent = status.sent;
    text16::Copy(sent.latitude, fields[3]);
    text16::Copy(sent.latHemisphere, fields[4]);
    text16::Copy(sent.longitude, fields[5]);
    text16::Copy(sent.lonHemisphere, fields[6]);
}

// The fields as sent above keep what an earlier, longer RMC left in a field
// this one does not reach (the panel always showed them so); the numbers say
// only what this line sent.
void DecodeNumbers(ReceiverModel& status, size_t sent) {
    const auto& fields = status.intake.RmcFields;
    auto field = [&](size_t k) -> const char16_t* { return k < sent ? fields[k] : u""; };
    FixNumbers& fix = status.fix;
    ReadUtcTime(field(1), fix);
    ReadUtcDate(field(9), fix);
    ReadPosition(field(3), field(4), field(5), field(6), fix);
    fix.speedKnots = ReadNumber(field(7));
    fix.course = ReadNumber(field(8));
}

}  // namespace

// $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A
//        1      2 3        4 5         6 7     8     9      10    11
// 1 UTC time, 2 status (A valid), 3/4 latitude, 5/6 longitude, 7 speed in
// knots, 8 course over ground, 9 UTC date.
bool DecodeRmc(IntakeHost& host, ReceiverModel& status, const char16_t* line) {
    auto& fields = status.intake.RmcFields;
    const size_t filled = SplitFields(line, fields);

    if (fields[2][0] == u'A') {
        status.sent.fixState = FixState::k3D;
        MeasureTtff(host, status);
    } else {
        status.sent.fixState = FixState::kNoFix;
    }

    if (fields[9][0] != 0 && fields[1][0] != 0)
        DecodeTime(host, status);

    status.sent.rmcSent = 1;
    text16::Copy(status.sent.course, fields[8]);
    DecodeSpeed(host, status);
    DecodePosition(status);
    DecodeNumbers(status, DataFields(line, filled));
    return false;
}
