#include <gtest/gtest.h>

#include <cstring>

#include "fake_intake_host.h"

namespace {

TEST(ReceiverModelRecord, ClearingEmptiesTextsAndSatellitesOnly) {
    ReceiverModel status;
    std::memset(&status, 0x5A, sizeof status);
    ClearReceiverModel(status);
    const StatusTexts texts = Texts(status);
    const char16_t* slots[] = {texts.date,          texts.time,          texts.course,
                               texts.speed,         texts.fixState,      texts.hdop,
                               texts.pdop,          texts.latHemisphere, texts.latitude,
                               texts.lonHemisphere, texts.longitude};
    for (const char16_t* slot : slots)
        EXPECT_EQ(slot[0], 0);
    // A fix forgotten: nothing known, not a position at 0/0.
    EXPECT_FALSE(status.fix.timeKnown || status.fix.dateKnown || status.fix.positionKnown ||
                 status.fix.altitude.known || status.fix.qualityKnown || status.fix.hdop.known ||
                 status.fix.speedKnots.known || status.fix.course.known);
    EXPECT_EQ(status.fix.satellitesUsed, -1);
    for (const SatelliteSlot& s : status.satellites) {
        EXPECT_EQ(s.inView | s.used, 0);
        EXPECT_EQ(s.snr | s.skyKnown, 0);
    }
    // The time for "Set Time" and the first-fix clock are not the clearing's business.
    EXPECT_EQ(status.receiverTime.wYear, 0x5A5A);
    EXPECT_EQ(status.receiverTimeSet, 0x5A);
    EXPECT_EQ(status.ttffStartTick, 0x5A5A5A5Au);
    ResetFixClock(status);
    EXPECT_EQ(status.ttffStartTick, 0u);
    EXPECT_EQ(status.ttffDone, 0);
    EXPECT_EQ(status.parseBusy, 0x5A5A5A5A);
    // Nor is what the intake carries across lines: a link opened in the
    // middle of a cycle goes on with it, and the field buffers keep their
    // fields.
    EXPECT_EQ(status.intake.cycleComplete, 0x5A5A5A5A);
    EXPECT_EQ(status.intake.gsvCleared, 0x5A5A5A5A);
    EXPECT_EQ(status.intake.gsaCleared, 0x5A5A5A5A);
    EXPECT_EQ(status.intake.RmcFields[12][47], 0x5A5A);
    EXPECT_EQ(status.intake.VersionFields[3][127], 0x5A5A);
}

}  // namespace
