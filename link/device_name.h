// Which device an entry of the port list stands for: the playback entry, or a
// serial port whose device name is derived from the entry's text.
#pragma once

#include <cstddef>

namespace linkrules {

// The list entry text is fetched into a buffer of this many units.
constexpr size_t kEntryUnits = 256;
// "\\.\" and a port name, terminator included.
constexpr size_t kPortDeviceUnits = 128;

enum class EntryKind {
    kRecording,  // "Log File:": the file dialog chooses the device
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

}  // namespace linkrules
