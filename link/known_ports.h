// The known-port table behind the "Scan Com Port" rescan. The enumeration
// fills it, one record per port it lists, so a rescan rebuilds exactly the
// ports that discovery found, each in a form the link can open.
#pragma once

#include <cstddef>
#include <cstdint>

namespace linkrules {

constexpr int kKnownPortCapacity = 20;
constexpr size_t kKnownPortTextUnits = 64;
constexpr size_t kRescanEntryUnits = 128;

struct KnownPort {
    char16_t portName[kKnownPortTextUnits];         // "COM7:", cut at its colon by the link
    char16_t portDescription[kKnownPortTextUnits];  // the friendly name without "(COM7)"
};

struct KnownPortTable {
    KnownPort ports[kKnownPortCapacity];
    int32_t listPosition[kKnownPortCapacity];  // selected when the record is the receiver
};

// Records the port whose friendly name (one containing "(COM") is listed at
// position `index`. Returns false, recording nothing, once the table is full.
// A name without a ')' after "(COM" gets an empty portName; its entry then
// stays as unusable as the enumerated one.
bool RecordKnownPort(KnownPortTable& table, int index, const char16_t* friendlyName);

// The rescan's entry for one record: "%s  %s" of name and description, cut
// at the buffer's end. The name comes first and ends in the colon the link
// cuts at, so only the description can be cut short.
void FormatRescanEntry(const KnownPort& port, char16_t (&entry)[kRescanEntryUnits]);

// What the rescan does to the port list, without the combo box.
class PortListSink {
  public:
    virtual ~PortListSink() = default;
    virtual void Clear() = 0;
    virtual void Add(const char16_t* entry) = 0;
    virtual void SetEditText(const char16_t* text) = 0;
    virtual void Select(int32_t position) = 0;
};

// Rebuilds the list from the first `count` records (count is clamped to the
// table): "No Com Port Find!!" for none; the record described as "GPS
// Receiver" selected without a playback entry; else "Log File:" added and
// entry 0 selected.
void RefillPortList(const KnownPortTable& table, int count, PortListSink& list);

}  // namespace linkrules
