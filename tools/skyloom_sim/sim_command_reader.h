// Collects the bytes the host writes into command lines, the way a receiver's
// input buffer does: a line ends at its line feed, and a line that grows past
// the buffer is thrown away up to the next line feed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sim {

class CommandReader {
  public:
    static constexpr size_t kMaxLine = 1024;

    // Feeds received bytes; returns the lines they completed, each with its
    // line end as received.
    std::vector<std::string> Feed(const char* data, size_t size);

    size_t discarded() const { return discarded_; }

  private:
    std::string pending_;
    bool overflow_ = false;
    size_t discarded_ = 0;
};

}  // namespace sim
