#include "link/device_name.h"

#include "nmea/text16.h"

namespace linkrules {

void CutAtColon(char16_t* entry) {
    for (; *entry != 0; ++entry) {
        if (*entry == u':') {
            *entry = 0;
            return;
        }
    }
}

EntryKind ResolveEntry(const char16_t* cutEntry, char16_t* deviceName, size_t cap) {
    if (cap > 0)
        deviceName[0] = 0;
    if (text16::Equal(cutEntry, "Log File"))
        return EntryKind::kRecording;
    if (text16::Equal(cutEntry, "Network"))
        return EntryKind::kNetwork;

    // The name to open: what the "(COM...)" part holds, or else the whole text.
    const char16_t* name = cutEntry;
    size_t length = text16::Length(cutEntry);
    if (const char16_t* com = text16::Find(cutEntry, "(COM")) {
        name = com + 1;
        const char16_t* close = name;
        while (*close != 0 && *close != u')')
            ++close;
        if (*close == 0)
            return EntryKind::kUnusable;
        length = static_cast<size_t>(close - name);
    }
    if (length == 0)
        return EntryKind::kUnusable;

    static const char kPrefix[] = "\\\\.\\";
    const size_t prefixLength = sizeof kPrefix - 1;
    if (prefixLength + length + 1 > cap)
        return EntryKind::kUnusable;
    text16::CopyNarrow(deviceName, cap, kPrefix);
    for (size_t i = 0; i < length; ++i)
        deviceName[prefixLength + i] = name[i];
    deviceName[prefixLength + length] = 0;
    return EntryKind::kPort;
}

SourceSpec SourceForEntry(const std::u16string& entry, int baudIndex) {
    SourceSpec spec;
    // Every entry of the list ends its name at its first colon: "Log File:",
    // the rescan's "COMn:  description"; the system's friendly names have
    // none before their "(COMn)" part.
    std::u16string cut = entry;
    CutAtColon(cut.data());
    char16_t device[kPortDeviceUnits];
    const EntryKind kind = ResolveEntry(cut.c_str(), device);
    if (kind == EntryKind::kRecording) {
        spec.kind = SourceKind::kRecording;
        return spec;
    }
    if (kind == EntryKind::kNetwork) {
        spec.kind = SourceKind::kTcp;
        return spec;
    }
    if (kind != EntryKind::kPort || baudIndex < 0 || baudIndex >= kBaudRateCount)
        return spec;
    spec.kind = SourceKind::kPort;
    spec.device = device;
    spec.baud = kBaudRates[baudIndex];
    return spec;
}

}  // namespace linkrules
