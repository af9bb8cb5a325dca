#include "panels/status_texts.h"

#include <cstddef>
#include <iterator>

#include "nmea/fix_numbers.h"
#include "nmea/text16.h"
#include "panels/position_text.h"

namespace {

const char* FixStateText(FixState state) {
    switch (state) {
        case FixState::kNoFix:
            return "No Fix";
        case FixState::k2D:
            return "2D";
        case FixState::k3D:
            return "3D";
        case FixState::kNotSent:
            break;
    }
    return "";
}

// "%.<lead>d<sep>%.2d<sep>%.2d".
template <size_t N>
void ThreeNumbers(char16_t (&out)[N], int first, int lead, const char* sep, int second, int third) {
    text16::NarrowBuilder()
        .Int(first, lead)
        .Text(sep)
        .Int(second, 2)
        .Text(sep)
        .Int(third, 2)
        .Store(out);
}

void FormatLocalTime(const ReceiverModel& model, StatusTexts& out) {
    if (model.sent.localTime == 0) {
        out.date[0] = 0;
        out.time[0] = 0;
        return;
    }
    const CivilTime& local = model.receiverTime;
    ThreeNumbers(out.date, local.wYear, 4, "/", local.wMonth, local.wDay);
    ThreeNumbers(out.time, local.wHour, 2, ":", local.wMinute, local.wSecond);
}

// An empty course or speed field shows as zero.
void FormatMotion(const SentFields& sent, StatusTexts& out) {
    if (sent.rmcSent == 0) {
        out.course[0] = 0;
        out.speed[0] = 0;
        return;
    }
    if (sent.course[0] != 0)
        text16::Copy(out.course, sent.course);
    else
        text16::CopyNarrow(out.course, "0");
    if (sent.speedKnots[0] == 0) {
        text16::CopyNarrow(out.speed, "0 Km/hr");
        return;
    }
    // A speed too wide for the slot with its unit keeps all its digits and
    // drops the unit: a cut number would be a wrong number.
    const int32_t shown = ShownSpeedKmh(sent.speedKnots);
    if (text16::NarrowBuilder().Int(shown).Text(" Km/hr").Store(out.speed) >= std::size(out.speed))
        text16::NarrowBuilder().Int(shown).Store(out.speed);
}

void FormatPosition(const SentFields& sent, StatusTexts& out) {
    text16::Copy(out.latHemisphere, sent.latHemisphere);
    text16::Copy(out.lonHemisphere, sent.lonHemisphere);
    if (sent.latitude[0] == 0) {
        out.latitude[0] = 0;
        out.longitude[0] = 0;
        return;
    }
    FormatLatitude(sent.latitude, out.latitude);
    FormatLongitude(sent.longitude, out.longitude);
}

}  // namespace

void FormatStatusTexts(const ReceiverModel& model, StatusTexts& out) {
    const SentFields& sent = model.sent;
    FormatLocalTime(model, out);
    FormatMotion(sent, out);
    text16::CopyNarrow(out.fixState, FixStateText(sent.fixState));
    text16::Copy(out.hdop, sent.hdop);
    text16::Copy(out.pdop, sent.pdop);
    FormatPosition(sent, out);
}
