// A recording IntakeHost for end-to-end tests of the intake: it keeps every
// console insertion with its colour, the caption, redraws, control calls, log
// writes, and answers with a settable tick count and UTC offset.
#pragma once

#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "nmea/civil_time.h"
#include "nmea/decoders.h"
#include "nmea/intake_host.h"
#include "nmea/receiver_model.h"
#include "nmea/sentence_intake.h"
#include "nmea/text16.h"
#include "panels/status_texts.h"

struct ConsoleEntry {
    std::u16string text;
    uint32_t color;
};

class FakeIntakeHost : public IntakeHost {
  public:
    // Settable answers.
    int consoleLines = 0;
    uint32_t tick = 100000;
    int32_t utcOffsetMinutes = 0;

    // What the intake did, in order.
    std::vector<ConsoleEntry> console;
    std::vector<std::string> events;
    std::vector<std::u16string> logWrites;
    std::u16string caption;
    std::u16string coreVersion;
    std::u16string firmwareVersion;
    int sbasCheck = -1;  // -1: never set
    int resetButtonEnables = 0;
    int redraws = 0;
    int consoleClears = 0;
    uint32_t color = 0xFFFFFFFF;

    int ConsoleLineCount() override { return consoleLines; }
    void ConsoleClear() override {
        ++consoleClears;
        consoleLines = 0;
        events.push_back("clear");
    }
    void ConsoleInsert(const char16_t* text) override {
        console.push_back({text, color});
        ++consoleLines;
        events.push_back("insert");
    }
    void SetConsoleColor(uint32_t colorref) override {
        color = colorref;
        events.push_back("color " + std::to_string(colorref));
    }
    void EnableResetButtons() override {
        ++resetButtonEnables;
        events.push_back("enable");
    }
    void SetSbasCheck(bool checked) override {
        sbasCheck = checked ? 1 : 0;
        events.push_back("sbas");
    }
    void SetCoreVersion(const char16_t* text) override { coreVersion = text; }
    void SetFirmwareVersion(const char16_t* text) override { firmwareVersion = text; }
    void WriteLogLine(const char16_t* line, size_t n) override {
        logWrites.emplace_back(line, n);
        events.push_back("log");
    }
    void Redraw() override {
        ++redraws;
        events.push_back("redraw");
    }
    void SetCaption(const char16_t* text) override { caption = text; }
    uint32_t TickCount() override { return tick; }
    bool UtcToLocal(const CivilTime& utc, CivilTime* local) override {
        return ShiftCivilTime(utc, utcOffsetMinutes, local);
    }
};

// Test text helpers: NMEA is ASCII, the core works in char16_t.
inline std::u16string U(const std::string& s) {
    std::u16string out;
    for (unsigned char c : s)
        out.push_back(static_cast<char16_t>(c));
    return out;
}

inline std::string Narrow(const std::u16string& s) {
    std::string out;
    for (char16_t c : s)
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

// The status panel's texts as the panel would show the record now.
inline StatusTexts Texts(const ReceiverModel& status) {
    StatusTexts texts;
    FormatStatusTexts(status, texts);
    return texts;
}

// "$" + body + "*" + the right checksum + CR LF, for sentences made up in a test.
inline std::string Sentence(const std::string& body) {
    unsigned sum = 0;
    for (unsigned char c : body)
        sum ^= c;
    static const char kHex[] = "0123456789ABCDEF";
    return "$" + body + "*" + kHex[sum >> 4] + kHex[sum & 15] + "\r\n";
}

// A fix with a valid checksum, the usual start of a cycle.
inline const std::string kGga =
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";

// A status record (with the intake's cycle flags and field buffers) and the
// program-wide flag in a known state, with the first-fix clock already running
// so that every line is decoded.
struct IntakeFixture {
    FakeIntakeHost host;
    ReceiverModel status;
    IntakeState& intake = status.intake;

    IntakeFixture() { Restart(); }
    // A freshly started program again.
    void Restart() {
        std::memset(&status, 0, sizeof status);
        resetButtonsPending = 0;
        status.ttffStartTick = host.tick;
    }
    int Feed(const std::string& line);
    // One decoder alone, without the intake's dispatch around it.
    void DecodeGsaLine(const std::string& line) { DecodeGsa(host, status, U(line).c_str()); }
    bool DecodeGsvLine(const std::string& line) { return DecodeGsv(host, status, U(line).c_str()); }
    // A GGA without a fix: it opens the next reporting cycle.
    void StartCycle() { DecodeGga(host, status, u"$GPGGA,,,,,,0*00\r\n"); }
    // The numbers (as sent) of the satellites whose flag is set, in the
    // table's order: by number, then by system.
    std::vector<int> InView() const { return Flagged(&SatelliteSlot::inView); }
    std::vector<int> Used() const { return Flagged(&SatelliteSlot::used); }
    // The same as labels ("G05", "E05", "S20"), which name the system too.
    std::vector<std::string> InViewLabels() const { return LabelsOf(&SatelliteSlot::inView); }
    std::vector<std::string> UsedLabels() const { return LabelsOf(&SatelliteSlot::used); }
    // The satellite a number names without talker or system ID (GPS 1-32,
    // SBAS 33-64 ...); it must have a slot.
    const SatelliteSlot& Sat(int number) const {
        const SatelliteSlot* slot =
            FindSatellite(status, IdentifySatellite(number, {GnssSystem::kGps, false}));
        static const SatelliteSlot kNone{};
        EXPECT_NE(slot, nullptr) << "no slot for " << number;
        return slot != nullptr ? *slot : kNone;
    }

  private:
    template <typename Each>
    void ForFlagged(uint8_t SatelliteSlot::*flag, Each each) const {
        for (int i = 0; i < status.satelliteCount; ++i) {
            const SatelliteSlot& s = status.satellites[status.order[i]];
            if (s.*flag)
                each(s);
        }
    }
    std::vector<int> Flagged(uint8_t SatelliteSlot::*flag) const {
        std::vector<int> ids;
        ForFlagged(flag, [&](const SatelliteSlot& s) { ids.push_back(s.number); });
        return ids;
    }
    std::vector<std::string> LabelsOf(uint8_t SatelliteSlot::*flag) const {
        std::vector<std::string> labels;
        ForFlagged(flag, [&](const SatelliteSlot& s) {
            char16_t text[8];
            SatelliteLabel({s.system, s.own}, text, 8);
            labels.push_back(Narrow(text));
        });
        return labels;
    }
};

inline int IntakeFixture::Feed(const std::string& line) {
    const std::u16string text = U(line);
    return OnLineReceived(host, status, text.c_str());
}
