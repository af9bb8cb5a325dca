// The port list as it follows the system: which entry a rebuilt list selects,
// and which port an entry stands for, so that a port is recognised again
// whatever the system calls it now or where it lists it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/known_ports.h"

namespace linkrules {

// The entries one enumeration adds, in the system's order.
class FoundPorts : public PortListSink {
  public:
    void Clear() override { names.clear(); }
    void Add(const char16_t* entry) override { names.emplace_back(entry); }
    void SetEditText(const char16_t*) override {}
    void Select(int32_t) override {}

    std::vector<std::u16string> names;
};

// The device an entry opens ("\\.\COM7" for "USB Serial (COM7)" and for the
// rescan's "COM7:  USB Serial"); empty for the playback entry and for an
// entry nothing can be opened for.
std::u16string PortKey(const std::u16string& entry);

// Whether one of `entries` opens the device `key`.
bool ListsPort(const std::vector<std::u16string>& entries, const std::u16string& key);

// The entry to select once the list is rebuilt from `ports` followed by the
// network and playback entries, given the entries it held before and the one
// selected then (-1 for none). A single port that was not there before is
// the one the user has just plugged in; otherwise the selected port stays
// selected wherever it now is (the network and playback entries too), and
// anything else falls back to the first port, or playback when none is left.
int32_t RefreshedSelection(const std::vector<std::u16string>& before, int32_t selected,
                           const std::vector<std::u16string>& ports);

// The port name of a device ("COM7" of "\\.\COM7"), for the user's eyes.
std::u16string PortName(const std::u16string& key);

// Console notes when the open port goes away and when it has been opened again.
extern const char16_t kPortLostNote[];
extern const char16_t kPortBackNote[];
// The same for a TCP or gpsd connection that dropped and came back.
extern const char16_t kConnectionLostNote[];
extern const char16_t kConnectionBackNote[];
// Said once when a source that only receives (UDP, gpsd) is opened.
extern const char16_t kNoCommandsNote[];

}  // namespace linkrules
