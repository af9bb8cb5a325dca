#include <gtest/gtest.h>

#include <string>

#include "link/device_name.h"

using linkrules::EntryKind;

namespace {

struct EntryCase {
    std::u16string entry;
    EntryKind kind;
    std::u16string device;
};

EntryCase Resolve(std::u16string entry) {
    char16_t buffer[linkrules::kEntryUnits] = {};
    entry.copy(buffer, linkrules::kEntryUnits - 1);
    linkrules::CutAtColon(buffer);
    char16_t device[linkrules::kPortDeviceUnits];
    device[0] = u'?';
    EntryKind kind = linkrules::ResolveEntry(buffer, device);
    return {entry, kind, device};
}

}  // namespace

TEST(DeviceName, EntriesResolveToTheirDevices) {
    const EntryCase cases[] = {
        {u"Log File:", EntryKind::kRecording, u""},
        {u"Log File", EntryKind::kRecording, u""},
        {u"Network:", EntryKind::kNetwork, u""},
        {u"network:", EntryKind::kPort, u"\\\\.\\network"},
        {u"log file:", EntryKind::kPort, u"\\\\.\\log file"},
        {u"Log Files:", EntryKind::kPort, u"\\\\.\\Log Files"},
        {u"USB-to-Serial Comm Port (COM3)", EntryKind::kPort, u"\\\\.\\COM3"},
        {u"USB Serial Port (COM12)", EntryKind::kPort, u"\\\\.\\COM12"},
        {u"COM4", EntryKind::kPort, u"\\\\.\\COM4"},
        // Cut at the first colon before anything else: the rescan's entries.
        {u"COM7:  GPS Receiver", EntryKind::kPort, u"\\\\.\\COM7"},
        {u"COM7:  Adapter (COM9)", EntryKind::kPort, u"\\\\.\\COM7"},
        // Text after the bracket, and a second bracket, do not matter.
        {u"A (COM5) extra (COM6)", EntryKind::kPort, u"\\\\.\\COM5"},
        // Case-sensitive: "(com" is not a port part, the whole text is used.
        {u"x (com8)", EntryKind::kPort, u"\\\\.\\x (com8)"},
        // "(COM" and no ')': a cut name ("(COM1" of "(COM12)") must not open COM1.
        {u"USB Serial Port (COM1", EntryKind::kUnusable, u""},
        {u"(COM", EntryKind::kUnusable, u""},
        {u"", EntryKind::kUnusable, u""},
        {u":Log File", EntryKind::kUnusable, u""},
        {u"Port (COM)", EntryKind::kPort, u"\\\\.\\COM"},
        // 4 units of "\\.\" + 123 + terminator = 128: the longest name that fits.
        {std::u16string(123, u'A'), EntryKind::kPort, u"\\\\.\\" + std::u16string(123, u'A')},
        {std::u16string(124, u'A'), EntryKind::kUnusable, u""},
        {u"x (COM" + std::u16string(121, u'1') + u")", EntryKind::kUnusable, u""},
    };
    for (const EntryCase& c : cases) {
        EntryCase got = Resolve(c.entry);
        EXPECT_EQ(got.kind, c.kind) << std::string(c.entry.begin(), c.entry.end());
        EXPECT_EQ(got.device, c.device) << std::string(c.entry.begin(), c.entry.end());
    }
}

TEST(DeviceName, ResolveNeverWritesPastTheBuffer) {
    struct {
        char16_t device[9];
        char16_t guard = u'#';
    } small;
    for (char16_t& u : small.device)
        u = u'#';
    EXPECT_EQ(linkrules::ResolveEntry(u"A (COM1)", small.device), EntryKind::kPort);
    EXPECT_EQ(std::u16string(small.device), u"\\\\.\\COM1");
    EXPECT_EQ(small.guard, u'#');
    EXPECT_EQ(linkrules::ResolveEntry(u"A (COM12)", small.device), EntryKind::kUnusable);
    EXPECT_EQ(small.device[0], 0);
    EXPECT_EQ(small.guard, u'#');
}

TEST(DeviceName, EntriesBecomeTypedSources) {
    using linkrules::SourceKind;
    struct Case {
        std::u16string entry;
        int baudIndex;
        SourceKind kind;
        std::u16string device;
        uint32_t baud;
    };
    const Case cases[] = {
        // Playback needs no rate, and its recording is chosen later.
        {u"Log File:", 2, SourceKind::kRecording, u"", 0},
        {u"Log File:", -1, SourceKind::kRecording, u"", 0},
        {u"USB Serial Port (COM12)", 0, SourceKind::kPort, u"\\\\.\\COM12", 1200},
        {u"USB Serial Port (COM12)", 8, SourceKind::kPort, u"\\\\.\\COM12", 115200},
        {u"USB Serial Port (COM12)", 11, SourceKind::kPort, u"\\\\.\\COM12", 921600},
        // The network entry: a TCP source whose address is still to be asked.
        {u"Network:", 2, SourceKind::kTcp, u"", 0},
        {u"Network:", -1, SourceKind::kTcp, u"", 0},
        {u"COM7:  GPS Receiver", 2, SourceKind::kPort, u"\\\\.\\COM7", 4800},
        // A port without a rate, or past the list's end, opens nothing.
        {u"USB Serial Port (COM12)", -1, SourceKind::kNone, u"", 0},
        {u"USB Serial Port (COM12)", 12, SourceKind::kNone, u"", 0},
        {u"USB Serial Port (COM1", 2, SourceKind::kNone, u"", 0},
        {u"", 2, SourceKind::kNone, u"", 0},
    };
    for (const Case& c : cases) {
        const linkrules::SourceSpec spec = linkrules::SourceForEntry(c.entry, c.baudIndex);
        const std::string what =
            std::string(c.entry.begin(), c.entry.end()) + " at " + std::to_string(c.baudIndex);
        EXPECT_EQ(spec.kind, c.kind) << what;
        EXPECT_EQ(spec.device, c.device) << what;
        EXPECT_EQ(spec.baud, c.baud) << what;
        EXPECT_TRUE(spec.host.empty()) << what;
    }
}
