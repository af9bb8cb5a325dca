#include "link/port_refresh.h"

#include "link/device_name.h"

namespace linkrules {

const char16_t kPortLostNote[] = u"ComPort LOST!!\r\n";
const char16_t kPortBackNote[] = u"ComPort BACK!!\r\n";
const char16_t kConnectionLostNote[] = u"Connection LOST!!\r\n";
const char16_t kConnectionBackNote[] = u"Connection BACK!!\r\n";
const char16_t kNoCommandsNote[] = u"Commands are not sent to this source: it only receives.\r\n";

namespace {

constexpr size_t kDevicePrefixUnits = 4;  // "\\.\"

// Exactly what the link makes of the entry: two entries that open the same
// device are the same port.
EntryKind Resolve(const std::u16string& entry, std::u16string* key) {
    std::u16string cut = entry;
    CutAtColon(cut.data());
    char16_t device[kPortDeviceUnits];
    const EntryKind kind = ResolveEntry(cut.c_str(), device);
    key->assign(kind == EntryKind::kPort ? device : u"");
    return kind;
}

}  // namespace

std::u16string PortKey(const std::u16string& entry) {
    std::u16string key;
    Resolve(entry, &key);
    return key;
}

bool ListsPort(const std::vector<std::u16string>& entries, const std::u16string& key) {
    if (key.empty())
        return false;
    for (const std::u16string& entry : entries) {
        if (PortKey(entry) == key)
            return true;
    }
    return false;
}

int32_t RefreshedSelection(const std::vector<std::u16string>& before, int32_t selected,
                           const std::vector<std::u16string>& ports) {
    int32_t arrived = -1;
    int arrivals = 0;
    for (size_t i = 0; i < ports.size(); ++i) {
        const std::u16string key = PortKey(ports[i]);
        if (!key.empty() && !ListsPort(before, key)) {
            arrived = static_cast<int32_t>(i);
            ++arrivals;
        }
    }
    if (arrivals == 1)
        return arrived;

    const int32_t network = static_cast<int32_t>(ports.size());
    const int32_t fallback = ports.empty() ? network + 1 : 0;
    if (selected < 0 || static_cast<size_t>(selected) >= before.size())
        return fallback;
    std::u16string key;
    const EntryKind kind = Resolve(before[static_cast<size_t>(selected)], &key);
    if (kind == EntryKind::kNetwork)
        return network;
    if (kind == EntryKind::kRecording)
        return network + 1;
    for (size_t i = 0; i < ports.size(); ++i) {
        if (!key.empty() && PortKey(ports[i]) == key)
            return static_cast<int32_t>(i);
    }
    return fallback;
}

std::u16string PortName(const std::u16string& key) {
    return key.size() > kDevicePrefixUnits ? key.substr(kDevicePrefixUnits) : key;
}

}  // namespace linkrules
