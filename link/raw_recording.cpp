#include "link/raw_recording.h"

#include "nmea/text16.h"

namespace linkrules {

bool DefaultRecordingName(const CivilTime& local, char16_t* out, size_t cap) {
    const size_t needed =
        text16::Format(out, cap, "skyloom-%.4d%.2d%.2d-%.2d%.2d%.2d.pgl", local.wYear, local.wMonth,
                       local.wDay, local.wHour, local.wMinute, local.wSecond);
    if (needed < cap)
        return true;
    // A cut name would still look like a name: offer none instead.
    if (cap > 0)
        out[0] = 0;
    return false;
}

}  // namespace linkrules
