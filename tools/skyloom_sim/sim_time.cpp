#include "tools/skyloom_sim/sim_time.h"

#include <cctype>
#include <cmath>

namespace sim {

UtcParts SplitUtc(double secondsSince1970) {
    long long centis = std::llround(secondsSince1970 * 100.0);
    if (centis < 0)
        centis = 0;
    long long days = centis / 8640000;
    long long rest = centis % 8640000;
    UtcParts p;
    p.centisecond = static_cast<int>(rest % 100);
    rest /= 100;
    p.second = static_cast<int>(rest % 60);
    p.minute = static_cast<int>(rest / 60 % 60);
    p.hour = static_cast<int>(rest / 3600);
    // Days since 1970 to the proleptic Gregorian calendar (H. Hinnant's algorithm).
    days += 719468;
    const long long era = days / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    p.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    p.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    p.year = static_cast<int>(yoe + era * 400 + (p.month <= 2 ? 1 : 0));
    return p;
}

bool ParseTimeOfDay(const std::string& field, double* seconds) {
    if (field.size() < 6)
        return false;
    for (size_t i = 0; i < 6; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(field[i])))
            return false;
    }
    const int h = (field[0] - '0') * 10 + (field[1] - '0');
    const int m = (field[2] - '0') * 10 + (field[3] - '0');
    const int s = (field[4] - '0') * 10 + (field[5] - '0');
    if (h > 23 || m > 59 || s > 60)
        return false;
    double fraction = 0.0;
    if (field.size() > 6) {
        if (field[6] != '.')
            return false;
        double scale = 0.1;
        for (size_t i = 7; i < field.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(field[i])))
                return false;
            fraction += (field[i] - '0') * scale;
            scale /= 10.0;
        }
    }
    *seconds = h * 3600.0 + m * 60.0 + s + fraction;
    return true;
}

}  // namespace sim
