// Cuts a receiver's byte stream into lines, exactly as the link's reader does:
// bytes widened with their sign to 16-bit units, a line ends at the line feed
// (which it keeps), at most 510 characters before it. A line that grows past
// that, or that a failed read, a timeout or the end of a recording interrupts,
// is dropped whole.
#pragma once

#include <cstddef>
#include <cstdint>

class LineFramer {
  public:
    static constexpr size_t kMaxChars = 510;     // characters before the line feed
    static constexpr size_t kBufferUnits = 512;  // + line feed + terminator

    enum class Result { kMore, kLine, kDropped };

    // Feeds one byte. kLine: line() holds a complete, terminated line until the
    // next call. kDropped: the line in progress was too long and was dropped
    // together with this byte.
    // Inline: it runs once per received byte.
    Result Feed(uint8_t byte);

    // A failed read, a read timeout or the end of the input: the partial line
    // is dropped. Returns true when there was a partial line to drop.
    bool Interrupt();

    const char16_t* line() const { return buffer_; }
    size_t length() const { return count_; }  // units before the terminator
    size_t pending() const { return delivered_ ? 0 : count_; }

  private:
    char16_t buffer_[kBufferUnits] = {};
    size_t count_ = 0;
    bool delivered_ = false;
};

// Sign widening of one received byte: 0x00-0x7F map to themselves, 0x80-0xFF to
// 0xFF80-0xFFFF, as a signed char widened to 16 bits.
inline char16_t WidenByte(uint8_t byte) {
    return static_cast<char16_t>(static_cast<int16_t>(static_cast<int8_t>(byte)));
}

inline LineFramer::Result LineFramer::Feed(uint8_t byte) {
    if (delivered_) {
        count_ = 0;
        delivered_ = false;
    }
    // 511 characters already stored: the line can no longer fit; it is dropped
    // and so is the byte that found it out, line feed or not.
    if (count_ > kMaxChars) {
        count_ = 0;
        buffer_[0] = 0;
        return Result::kDropped;
    }
    if (byte == 0x0A) {
        buffer_[count_++] = 0x000A;
        buffer_[count_] = 0;
        delivered_ = true;
        return Result::kLine;
    }
    buffer_[count_++] = WidenByte(byte);
    return Result::kMore;
}
