#include "link/known_ports.h"

#include <iterator>

#include "nmea/text16.h"

namespace linkrules {

namespace {

// Copies [begin, end) into a terminated buffer, cut at its capacity.
template <size_t N>
void CopyRange(char16_t (&dst)[N], const char16_t* begin, const char16_t* end) {
    size_t n = 0;
    while (begin + n < end && n + 1 < N) {
        dst[n] = begin[n];
        ++n;
    }
    dst[n] = 0;
}

}  // namespace

bool RecordKnownPort(KnownPortTable& table, int index, const char16_t* friendlyName) {
    if (index < 0 || index >= kKnownPortCapacity)
        return false;
    KnownPort& port = table.ports[index];
    table.listPosition[index] = index;
    port.portName[0] = 0;
    port.portDescription[0] = 0;

    const char16_t* com = text16::Find(friendlyName, "(COM");
    const char16_t* close = com;
    while (close != nullptr && *close != 0 && *close != u')')
        ++close;
    if (com == nullptr || *close == 0) {
        text16::Copy(port.portDescription, friendlyName);
        return true;
    }
    // The name inside the brackets with the colon the link cuts at; a name too
    // long for the record is left empty rather than cut into another port's.
    const char16_t* name = com + 1;
    if (static_cast<size_t>(close - name) + 2 <= std::size(port.portName)) {
        CopyRange(port.portName, name, close);
        text16::Append(port.portName, u":");
    }
    const char16_t* prefixEnd = com;
    while (prefixEnd > friendlyName && prefixEnd[-1] == u' ')
        --prefixEnd;
    CopyRange(port.portDescription, friendlyName, prefixEnd);
    text16::Append(port.portDescription, close + 1);
    return true;
}

void FormatRescanEntry(const KnownPort& port, char16_t (&entry)[kRescanEntryUnits]) {
    entry[0] = 0;
    text16::Append(entry, port.portName);
    text16::Append(entry, u"  ");
    text16::Append(entry, port.portDescription);
}

void RefillPortList(const KnownPortTable& table, int count, PortListSink& list) {
    if (count > kKnownPortCapacity)
        count = kKnownPortCapacity;
    list.Clear();
    if (count <= 0) {
        list.SetEditText(u"No Com Port Find!!");
        return;
    }
    char16_t entry[kRescanEntryUnits];
    for (int i = 0; i < count; ++i) {
        FormatRescanEntry(table.ports[i], entry);
        list.Add(entry);
    }
    for (int i = 0; i < count; ++i) {
        if (text16::Equal(table.ports[i].portDescription, "GPS Receiver")) {
            list.Select(table.listPosition[i]);
            return;
        }
    }
    list.Add(u"Log File:");
    list.Select(0);
}

}  // namespace linkrules
