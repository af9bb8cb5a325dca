// Where the log file goes: a folder, and a name made of the typed text.
#pragma once

#include <cstddef>

namespace linkrules {

constexpr size_t kLogPathUnits = 260;  // MAX_PATH, terminator included

enum class LogPathResult {
    kOk,
    kNoDirectory,  // the executable's path has no backslash
    kTooLong,      // directory, "\", name and "_log.txt" exceed the buffer
};

// Builds directory-of(exePath) + "\" + name + "_log.txt" into out (cap units).
// Nothing is cut: a path that does not fit is refused whole, since a cut
// name would create or overwrite some other file.
LogPathResult BuildLogPath(const char16_t* exePath, const char16_t* name, char16_t* out,
                           size_t cap);
template <size_t N>
LogPathResult BuildLogPath(const char16_t* exePath, const char16_t* name, char16_t (&out)[N]) {
    return BuildLogPath(exePath, name, out, N);
}

// The same in a folder given without its trailing backslash.
LogPathResult BuildLogPathIn(const char16_t* folder, const char16_t* name, char16_t* out,
                             size_t cap);
template <size_t N>
LogPathResult BuildLogPathIn(const char16_t* folder, const char16_t* name, char16_t (&out)[N]) {
    return BuildLogPathIn(folder, name, out, N);
}

// The byte-order mark that opens every log file (UTF-16 little-endian).
constexpr unsigned char kLogByteOrderMark[2] = {0xFF, 0xFE};

}  // namespace linkrules
