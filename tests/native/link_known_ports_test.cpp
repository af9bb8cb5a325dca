#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/device_name.h"
#include "link/known_ports.h"

using linkrules::KnownPortTable;

namespace {

// Records the list operations as text, one string per operation.
class FakeList : public linkrules::PortListSink {
  public:
    void Clear() override { ops.push_back(u"clear"); }
    void Add(const char16_t* entry) override { ops.push_back(u"add " + std::u16string(entry)); }
    void SetEditText(const char16_t* text) override {
        ops.push_back(u"edit " + std::u16string(text));
    }
    void Select(int32_t position) override {
        ops.push_back(u"select " + std::u16string(1, static_cast<char16_t>(u'0' + position)));
    }
    std::vector<std::u16string> ops;
};

KnownPortTable TableOf(const std::vector<std::u16string>& names) {
    KnownPortTable table{};
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_TRUE(linkrules::RecordKnownPort(table, static_cast<int>(i), names[i].c_str()));
    return table;
}

}  // namespace

TEST(KnownPorts, EnumeratedNamesBecomeRecordsWhoseEntriesOpenTheSamePort) {
    struct Case {
        std::u16string friendly;
        std::u16string name;
        std::u16string description;
        std::u16string device;  // what the rescan entry opens; empty: refused
    };
    const Case cases[] = {
        {u"USB Serial Port (COM12)", u"COM12:", u"USB Serial Port", u"\\\\.\\COM12"},
        {u"GPS Receiver (COM5)", u"COM5:", u"GPS Receiver", u"\\\\.\\COM5"},
        {u"Prolific (COM3) port", u"COM3:", u"Prolific port", u"\\\\.\\COM3"},
        {u"(COM9)", u"COM9:", u"", u"\\\\.\\COM9"},
        // No ')' after "(COM": the entry stays as unusable as the enumerated one.
        {u"Broken (COM4", u"", u"Broken (COM4", u""},
    };
    for (const Case& c : cases) {
        KnownPortTable table = TableOf({c.friendly});
        EXPECT_EQ(std::u16string(table.ports[0].portName), c.name);
        EXPECT_EQ(std::u16string(table.ports[0].portDescription), c.description);

        char16_t entry[linkrules::kRescanEntryUnits];
        linkrules::FormatRescanEntry(table.ports[0], entry);
        linkrules::CutAtColon(entry);
        char16_t device[linkrules::kPortDeviceUnits];
        auto kind = linkrules::ResolveEntry(entry, device);
        if (c.device.empty()) {
            EXPECT_EQ(kind, linkrules::EntryKind::kUnusable);
        } else {
            EXPECT_EQ(kind, linkrules::EntryKind::kPort);
            EXPECT_EQ(std::u16string(device), c.device);
        }
    }
}

TEST(KnownPorts, LongNamesAreCutAtTheRecordAndEntryButStillOpen) {
    std::u16string friendly = std::u16string(150, u'D') + u" (COM21)";
    KnownPortTable table = TableOf({friendly});
    EXPECT_EQ(std::u16string(table.ports[0].portDescription), std::u16string(63, u'D'));

    char16_t entry[linkrules::kRescanEntryUnits];
    linkrules::FormatRescanEntry(table.ports[0], entry);
    EXPECT_EQ(std::u16string(entry), u"COM21:  " + std::u16string(63, u'D'));

    // A record whose name and description fill both fields: the entry buffer
    // cuts the description's tail, never the name in front.
    linkrules::KnownPort full{};
    for (size_t i = 0; i < 63; ++i) {
        full.portName[i] = u'N';
        full.portDescription[i] = u'D';
    }
    linkrules::FormatRescanEntry(full, entry);
    EXPECT_EQ(std::u16string(entry), std::u16string(63, u'N') + u"  " + std::u16string(62, u'D'));

    // A bracketed name too long for the record is left empty, not cut.
    KnownPortTable longName = TableOf({u"x (COM" + std::u16string(70, u'9') + u")"});
    EXPECT_EQ(longName.ports[0].portName[0], 0);
}

TEST(KnownPorts, TheTableHoldsTwentyRecords) {
    KnownPortTable table{};
    for (int i = 0; i < linkrules::kKnownPortCapacity; ++i)
        EXPECT_TRUE(linkrules::RecordKnownPort(table, i, u"P (COM1)"));
    EXPECT_FALSE(linkrules::RecordKnownPort(table, linkrules::kKnownPortCapacity, u"P (COM2)"));
    EXPECT_FALSE(linkrules::RecordKnownPort(table, -1, u"P (COM2)"));
}

TEST(KnownPorts, RefillRebuildsTheList) {
    struct Case {
        const char* what;
        std::vector<std::u16string> ports;
        int count;
        std::vector<std::u16string> ops;
    };
    const Case cases[] = {
        {"no port", {}, 0, {u"clear", u"edit No Com Port Find!!"}},
        {"two adapters",
         {u"A (COM3)", u"B (COM4)"},
         2,
         {u"clear", u"add COM3:  A", u"add COM4:  B", u"add Log File:", u"select 0"}},
        {"the receiver selected, no playback entry",
         {u"A (COM3)", u"GPS Receiver (COM4)", u"GPS Receiver (COM5)"},
         3,
         {u"clear", u"add COM3:  A", u"add COM4:  GPS Receiver", u"add COM5:  GPS Receiver",
          u"select 1"}},
        {"description must match whole and in case",
         {u"GPS Receiver 2 (COM3)", u"gps receiver (COM4)"},
         2,
         {u"clear", u"add COM3:  GPS Receiver 2", u"add COM4:  gps receiver", u"add Log File:",
          u"select 0"}},
        {"only the first count records",
         {u"A (COM3)", u"B (COM4)"},
         1,
         {u"clear", u"add COM3:  A", u"add Log File:", u"select 0"}},
    };
    for (const Case& c : cases) {
        KnownPortTable table = TableOf(c.ports);
        FakeList list;
        linkrules::RefillPortList(table, c.count, list);
        EXPECT_EQ(list.ops, c.ops) << c.what;
    }
}

TEST(KnownPorts, RefillNeverReadsBeyondTheTable) {
    KnownPortTable table{};
    for (int i = 0; i < linkrules::kKnownPortCapacity; ++i)
        linkrules::RecordKnownPort(table, i, u"P (COM1)");
    FakeList list;
    linkrules::RefillPortList(table, 127, list);
    // clear, 20 entries, "Log File:", select.
    EXPECT_EQ(list.ops.size(), 23u);
}
