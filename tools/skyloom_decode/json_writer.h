// A buffered writer of JSON Lines: formatting goes into memory and reaches
// the stream in large blocks, because a long recording yields hundreds of
// megabytes of objects. A failed write is remembered, never ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

class JsonWriter {
  public:
    explicit JsonWriter(std::FILE* out);
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    void Raw(const char* text, size_t n) {
        Room(n);
        std::memcpy(cur_, text, n);
        cur_ += n;
    }
    template <size_t N>
    void Raw(const char (&text)[N]) {
        Raw(text, N - 1);
    }
    // Small numbers (satellite ids, sky positions, signal levels) are the
    // bulk of the output: they take the short paths, which save about an
    // eighth of skyloom-decode's time.
    void Unsigned(uint64_t value) {
        Room(20);
        if (value < 10) {
            *cur_++ = static_cast<char>('0' + value);
        } else if (value < 100) {
            std::memcpy(cur_, kDigitPairs + 2 * value, 2);
            cur_ += 2;
        } else if (value < 1000) {
            *cur_++ = static_cast<char>('0' + value / 100);
            std::memcpy(cur_, kDigitPairs + 2 * (value % 100), 2);
            cur_ += 2;
        } else {
            LongUnsigned(value);
        }
    }
    void Signed(int64_t value) {
        if (value < 0) {
            Room(1);
            *cur_++ = '-';
            // Negating in unsigned arithmetic keeps INT64_MIN defined.
            Unsigned(0 - static_cast<uint64_t>(value));
        } else {
            Unsigned(static_cast<uint64_t>(value));
        }
    }

    // A JSON string of 16-bit units: quotes, backslash, CR, LF escaped by name,
    // every other unit below 0x20 or above 0x7E as \uXXXX (received bytes
    // 0x80-0xFF arrive as the units 0xFF80-0xFFFF and are written as such).
    void Text16(const char16_t* text, size_t n);

    // Hands the buffered text to the stream when enough has gathered.
    void MaybeFlush() {
        if (static_cast<size_t>(cur_ - buffer_.data()) >= kFlushBytes)
            Flush();
    }
    // Writes out everything buffered and flushes the stream. False when any
    // write so far failed.
    bool Finish();
    // Drops what is still buffered: a failed run must not add to its output.
    void Discard() { cur_ = buffer_.data(); }
    bool failed() const { return failed_; }

  private:
    static constexpr size_t kFlushBytes = 1 << 20;
    static const char kDigitPairs[201];

    void LongUnsigned(uint64_t value);

    // Every append first makes room for its worst case, so the formatting
    // itself writes through a plain pointer.
    void Room(size_t n) {
        if (static_cast<size_t>(end_ - cur_) < n)
            Grow(n);
    }
    void Grow(size_t n);
    void Flush();

    std::FILE* out_;
    std::vector<char> buffer_;
    char* cur_;
    char* end_;
    bool failed_ = false;
};
