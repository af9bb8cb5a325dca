// Which device an entry of the port list stands for: the playback entry, or a
// serial port whose device name is derived from the entry's text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/baud_rates.h"
#include "link/chosen_source.h"

namespace linkrules {

// The list entry text is fetched into a buffer of this many units.
constexpr size_t kEntryUnits = 256;
// "\\.\" and a port name, terminator included.
constexpr size_t kPortDeviceUnits = 128;

enum class EntryKind {
    kRecording,  // "Log File:": the file dialog chooses the device
    kNetwork,    // "Network:": the address dialog chooses the source
    kPort,       // deviceName holds "\\.\" and the port's name
    kUnusable,   // nothing can be opened for this entry
};

// Cuts the entry at its first ':' (in place); an entry without one stays whole.
void CutAtColon(char16_t* entry);

// Resolves an entry that has already been cut at its colon. For a port the
// device name is written into deviceName (capacity cap, terminator included).
// kUnusable: "(COM" without a ')' behind it (a name cut short could otherwise
// open the wrong port: "(COM1" of "(COM12)"), an empty name, or a device name
// that does not fit.
EntryKind ResolveEntry(const char16_t* cutEntry, char16_t* deviceName, size_t cap);
template <size_t N>
EntryKind ResolveEntry(const char16_t* cutEntry, char16_t (&deviceName)[N]) {
    return ResolveEntry(cutEntry, deviceName, N);
}

// The source an entry of the port list stands for, at the rate of the baud
// list's selection `baudIndex`, as ResolveEntry reads the entry: "Log File:"
// is playback of a recording still to be chosen (its device empty),
// "Network:" a network source whose address is still to be asked (kTcp with
// no host: AsksForAddress), a port
// entry the port it names; an unusable entry, or a port without a rate (-1:
// none selected), is kNone. The port list's texts are read here and nowhere
// after: the link opens the typed value.
SourceSpec SourceForEntry(const std::u16string& entry, int baudIndex);

}  // namespace linkrules
