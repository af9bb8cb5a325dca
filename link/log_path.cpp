#include "link/log_path.h"

#include <iterator>

#include "nmea/text16.h"

namespace linkrules {

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

    static const char16_t kSuffix[] = u"_log.txt";
    const size_t needed = directory + 1 + text16::Length(name) + (std::size(kSuffix) - 1) + 1;
    if (needed > cap)
        return LogPathResult::kTooLong;
    for (size_t i = 0; i < directory; ++i)
        out[i] = exePath[i];
    out[directory] = 0;
    text16::Append(out, cap, u"\\");
    text16::Append(out, cap, name);
    text16::Append(out, cap, kSuffix);
    return LogPathResult::kOk;
}

}  // namespace linkrules
