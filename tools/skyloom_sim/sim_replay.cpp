#include "tools/skyloom_sim/sim_replay.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "tools/skyloom_sim/sim_time.h"

namespace sim {
namespace {

// The time field of "$xxGGA,hhmmss..." or "$xxRMC,hhmmss...", if the line is one.
bool LineTime(const std::string& line, double* seconds) {
    if (line.size() < 8 || line[0] != '$' || line[6] != ',')
        return false;
    const std::string name = line.substr(3, 3);
    if (name != "GGA" && name != "RMC")
        return false;
    const size_t end = line.find_first_of(",*\r\n", 7);
    return ParseTimeOfDay(line.substr(7, end == std::string::npos ? end : end - 7), seconds);
}

}  // namespace

std::vector<ReplayLine> ScheduleReplay(const std::string& recording, double linesPerSecond) {
    std::vector<ReplayLine> lines;
    size_t start = 0;
    while (start < recording.size()) {
        size_t end = recording.find('\n', start);
        end = end == std::string::npos ? recording.size() : end + 1;
        lines.push_back({recording.substr(start, end - start), 0.0});
        start = end;
    }
    if (linesPerSecond > 0) {
        for (size_t i = 0; i < lines.size(); ++i) {
            lines[i].due = static_cast<double>(i) / linesPerSecond;
        }
        return lines;
    }
    double offset = 0.0;
    bool haveLast = false;
    double last = 0.0;
    for (ReplayLine& line : lines) {
        double t = 0.0;
        if (LineTime(line.bytes, &t)) {
            if (haveLast && t != last) {
                double delta = t - last;
                if (delta < -43200.0)
                    delta += 86400.0;  // past midnight
                if (delta < 0.0)
                    delta = 0.0;
                offset += delta > kMaxReplayGap ? kMaxReplayGap : delta;
            }
            last = t;
            haveLast = true;
        }
        line.due = offset;
    }
    return lines;
}

bool ReadFile(const std::string& path, std::string* contents, std::string* error) {
    errno = 0;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        *error = std::strerror(errno);
        return false;
    }
    // A directory opens on POSIX and fails only at the read: the read's error
    // is the verdict, not the open's success.
    std::string data;
    char chunk[1 << 16];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0)
        data.append(chunk, got);
    const int err = errno;
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) {
        *error = err != 0 ? std::strerror(err) : "read error";
        return false;
    }
    *contents = std::move(data);
    return true;
}

}  // namespace sim
