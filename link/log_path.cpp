#include "link/log_path.h"

#include <iterator>

#include "nmea/text16.h"

namespace linkrules {

namespace {

// folder[0, length) + "\" + name + "_log.txt", refused whole when it does not fit.
LogPathResult Join(const char16_t* folder, size_t length, const char16_t* name, char16_t* out,
                   size_t cap) {
    static const char16_t kSuffix[] = u"_log.txt";
    const size_t needed = length + 1 + text16::Length(name) + (std::size(kSuffix) - 1) + 1;
    if (needed > cap)
        return LogPathResult::kTooLong;
    for (size_t i = 0; i < length; ++i)
        out[i] = folder[i];
    out[length] = 0;
    text16::Append(out, cap, u"\\");
    text16::Append(out, cap, name);
    text16::Append(out, cap, kSuffix);
    return LogPathResult::kOk;
}

}  // namespace

LogPathResult BuildLogPath(const char16_t* exePath, const char16_t* name, char16_t* out,
                           size_t cap) {
    if (cap > 0)
        out[0] = 0;
    size_t directory = 0;
    bool found = false;
    for (size_t i = 0; exePath[i] != 0; ++i) {
        if (exePath[i] == u'\\') {
            directory = i;
            found = true;
        }
    }
    if (!found)
        return LogPathResult::kNoDirectory;
    return Join(exePath, directory, name, out, cap);
}

LogPathResult BuildLogPathIn(const char16_t* folder, const char16_t* name, char16_t* out,
                             size_t cap) {
    if (cap > 0)
        out[0] = 0;
    if (folder[0] == 0)
        return LogPathResult::kNoDirectory;
    return Join(folder, text16::Length(folder), name, out, cap);
}

}  // namespace linkrules
