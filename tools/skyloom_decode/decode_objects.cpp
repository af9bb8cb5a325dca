#include "tools/skyloom_decode/decode_objects.h"

#include <array>
#include <cstddef>
#include <string>

#include "panels/status_layout.h"
#include "panels/status_texts.h"

namespace {

// A slot's text up to its terminator, never past its capacity.
template <size_t N>
void SlotText(JsonWriter& out, const char16_t (&slot)[N]) {
    size_t n = 0;
    while (n < N && slot[n] != 0)
        ++n;
    out.Text16(slot, n);
}

void ColorName(JsonWriter& out, uint32_t color) {
    switch (color) {
        case kColorBlack:
            out.Raw("\"black\"");
            return;
        case kColorRed:
            out.Raw("\"red\"");
            return;
        case kColorGreen:
            out.Raw("\"green\"");
            return;
        default: {
            // Not a colour the intake chooses; shown as its COLORREF value.
            static const char kHex[] = "0123456789abcdef";
            char text[11] = {'"', '#'};
            for (int i = 0; i < 8; ++i)
                text[2 + i] = kHex[(color >> (28 - 4 * i)) & 0xF];
            text[10] = '"';
            out.Raw(text, sizeof text);
        }
    }
}

// The system and the key after it, made once per system and written in one
// piece: a long recording writes them millions of times.
void SystemField(JsonWriter& out, GnssSystem system) {
    static const auto kFields = [] {
        std::array<std::string, kGnssSystems> fields;
        for (int s = 0; s < kGnssSystems; ++s)
            fields[s] = std::string(",\"system\":\"") + SystemName(static_cast<GnssSystem>(s)) +
                        "\",\"used\":";
        return fields;
    }();
    const std::string& field = kFields[static_cast<size_t>(system)];
    out.Raw(field.data(), field.size());
}

// GSV sends whole degrees; the model keeps them as sent.
void Degrees(JsonWriter& out, const SatelliteSlot& s, double degrees) {
    if (HasSkyPosition(s))
        out.Signed(static_cast<int64_t>(degrees));
    else
        out.Raw("null");
}

}  // namespace

void WriteLineObject(JsonWriter& out, const LineOutcome& line) {
    out.Raw("{\"kind\":\"line\",\"n\":");
    out.Unsigned(line.n);
    out.Raw(",\"text\":");
    out.Text16(line.text, line.length);
    out.Raw(",\"color\":");
    ColorName(out, line.color);
    if (line.decoded)
        out.Raw(",\"decoded\":true");
    else
        out.Raw(",\"decoded\":false");
    if (line.shown)
        out.Raw(",\"shown\":true}\n");
    else
        out.Raw(",\"shown\":false}\n");
}

void WriteStatusObject(JsonWriter& out, uint64_t n, const std::u16string& caption,
                       const ReceiverModel& status) {
    StatusTexts t;
    FormatStatusTexts(status, t);
    out.Raw("{\"kind\":\"status\",\"n\":");
    out.Unsigned(n);
    out.Raw(",\"caption\":");
    out.Text16(caption.data(), caption.size());
    out.Raw(",\"date\":");
    SlotText(out, t.date);
    out.Raw(",\"time\":");
    SlotText(out, t.time);
    out.Raw(",\"course\":");
    SlotText(out, t.course);
    out.Raw(",\"speed\":");
    SlotText(out, t.speed);
    out.Raw(",\"fixState\":");
    SlotText(out, t.fixState);
    out.Raw(",\"hdop\":");
    SlotText(out, t.hdop);
    out.Raw(",\"pdop\":");
    SlotText(out, t.pdop);
    out.Raw(",\"latHemisphere\":");
    SlotText(out, t.latHemisphere);
    out.Raw(",\"latitude\":");
    SlotText(out, t.latitude);
    out.Raw(",\"lonHemisphere\":");
    SlotText(out, t.lonHemisphere);
    out.Raw(",\"longitude\":");
    SlotText(out, t.longitude);
    out.Raw(",\"satellites\":[");
    // In the order of the numbers as sent, then of the systems: a receiver
    // of one system lists as it always did.
    bool first = true;
    for (int i = 0; i < status.satelliteCount; ++i) {
        const SatelliteSlot& s = status.satellites[status.order[i]];
        if (s.inView != 1)
            continue;
        if (!first)
            out.Raw(",");
        first = false;
        out.Raw("{\"id\":");
        out.Signed(s.number);
        SystemField(out, s.system);
        out.Signed(s.used);
        out.Raw(",\"snr\":");
        out.Signed(s.snr);
        // x and y on the status panel's 155-pixel chart, (0, 0) while the
        // satellite has no place in the sky, as they always were.
        const sky::SkyPoint at =
            HasSkyPosition(s) ? status_layout::ClassicSkyPoint(s) : sky::SkyPoint{0, 0};
        out.Raw(",\"x\":");
        out.Signed(at.x);
        out.Raw(",\"y\":");
        out.Signed(at.y);
        out.Raw(",\"el\":");
        Degrees(out, s, s.elevation);
        out.Raw(",\"az\":");
        Degrees(out, s, s.azimuth);
        out.Raw("}");
    }
    out.Raw("]}\n");
}

void WriteSummaryObject(JsonWriter& out, DecodeSession& session, const DroppedLines& dropped) {
    out.Raw("{\"kind\":\"summary\",\"lines\":");
    out.Unsigned(session.lines());
    out.Raw(",\"droppedTooLong\":");
    out.Unsigned(dropped.tooLong());
    out.Raw(",\"droppedUnterminated\":");
    out.Unsigned(dropped.unterminated());
    out.Raw(",\"checksumFailures\":");
    out.Unsigned(session.checksumFailures());
    out.Raw(",\"redraws\":");
    out.Unsigned(session.redraws());
    out.Raw(",\"ttffSeconds\":");
    if (session.ttffMeasured())
        out.Signed(session.ttffSeconds());
    else
        out.Raw("null");
    out.Raw("}\n");
}
