// The lines the reader drops without delivering them: those that run past the
// framer's 510 characters, and a last line the input ends before its line feed.
// The window drops them silently; a decode says so, or a recording of binary
// or garbage would pass for an empty one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "link/line_framer.h"

class DroppedLines {
  public:
    // The same bytes the decode session is fed, in the same order.
    //
    // The framer stores 511 characters and drops them with the byte that comes
    // next, line feed or not, then starts afresh: since its last line or drop,
    // every 512th byte drops. Counting that per run of bytes between line feeds
    // keeps to its rule without a second pass of it over every byte, which
    // would cost a long decode a tenth of its time.
    void Feed(const uint8_t* data, size_t size) {
        const uint8_t* p = data;
        const uint8_t* end = data + size;
        while (p < end) {
            const void* lf = std::memchr(p, 0x0A, static_cast<size_t>(end - p));
            if (lf == nullptr) {
                const uint64_t run = pending_ + static_cast<uint64_t>(end - p);
                tooLong_ += run / kPeriod;
                pending_ = run % kPeriod;
                return;
            }
            const uint8_t* next = static_cast<const uint8_t*>(lf) + 1;
            // Delivered or dropped, the line feed leaves nothing pending.
            tooLong_ += (pending_ + static_cast<uint64_t>(next - p)) / kPeriod;
            pending_ = 0;
            p = next;
        }
    }
    void EndOfInput() { unterminated_ = pending_ > 0 ? 1 : 0; }

    uint64_t tooLong() const { return tooLong_; }
    uint64_t unterminated() const { return unterminated_; }  // 0 or 1

  private:
    static constexpr uint64_t kPeriod = LineFramer::kMaxChars + 2;

    uint64_t pending_ = 0;  // bytes since the last line feed or drop
    uint64_t tooLong_ = 0;
    uint64_t unterminated_ = 0;
};
