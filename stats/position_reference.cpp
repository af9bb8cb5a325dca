#include "stats/position_reference.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace stats {
namespace {

// A whole decimal number and nothing else: "48.1", " 48.1 " and "-0" pass;
// "48,1", "48.1N", "1e999", "nan" and "" do not.
bool Number(const char* text, double* value) {
    while (*text == ' ')
        ++text;
    if (*text == 0)
        return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text, &end);
    if (end == text || errno == ERANGE || !std::isfinite(v))
        return false;
    while (*end == ' ')
        ++end;
    if (*end != 0)
        return false;
    // strtod also reads hexadecimal and "inf"; a coordinate is plain decimal.
    for (const char* p = text; p < end; ++p)
        if (*p == 'x' || *p == 'X' || *p == 'n' || *p == 'N' || *p == 'i' || *p == 'I')
            return false;
    *value = v;
    return true;
}

bool Blank(const char* text) {
    while (*text == ' ')
        ++text;
    return *text == 0;
}

}  // namespace

bool CheckReference(const char* lat, const char* lon, const char* alt, PositionReference* out,
                    const char** message) {
    PositionReference ref;
    ref.given = true;
    if (!Number(lat, &ref.latitude) || ref.latitude < -90.0 || ref.latitude > 90.0) {
        *message = "The latitude must be a number of degrees from -90 to 90.";
        return false;
    }
    if (!Number(lon, &ref.longitude) || ref.longitude < -180.0 || ref.longitude > 180.0) {
        *message = "The longitude must be a number of degrees from -180 to 180.";
        return false;
    }
    if (!Blank(alt) && (!Number(alt, &ref.altitude) || std::fabs(ref.altitude) > 100000.0)) {
        *message = "The altitude must be empty or a number of metres from -100000 to 100000.";
        return false;
    }
    *out = ref;
    return true;
}

bool ParseReference(const char* text, PositionReference* out, const char** message) {
    const std::string all = text;
    const size_t first = all.find(',');
    if (first == std::string::npos) {
        *message = "The reference must be LAT,LON or LAT,LON,ALT.";
        return false;
    }
    const size_t second = all.find(',', first + 1);
    const std::string lat = all.substr(0, first);
    const std::string lon =
        all.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    const std::string alt = second == std::string::npos ? "" : all.substr(second + 1);
    if (second != std::string::npos && Blank(alt.c_str())) {
        *message = "The reference must be LAT,LON or LAT,LON,ALT.";
        return false;
    }
    return CheckReference(lat.c_str(), lon.c_str(), alt.c_str(), out, message);
}

}  // namespace stats
