#include "tools/skyloom_sim/sim_command_reader.h"

namespace sim {

std::vector<std::string> CommandReader::Feed(const char* data, size_t size) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\n') {
            if (overflow_) {
                ++discarded_;
            } else {
                pending_ += c;
                lines.push_back(pending_);
            }
            pending_.clear();
            overflow_ = false;
            continue;
        }
        if (overflow_)
            continue;
        if (pending_.size() >= kMaxLine) {
            overflow_ = true;
            pending_.clear();
            continue;
        }
        pending_ += c;
    }
    return lines;
}

}  // namespace sim
