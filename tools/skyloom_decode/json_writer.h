// A buffered writer of JSON Lines: formatting goes into memory and reaches
// the stream in large blocks, because a long recording yields hundreds of
// megabytes of objects. A failed write is remembered, never ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

class JsonWriter {
  public:
    explicit JsonWriter(std::FILE* out);
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    void Raw(const char* text, size_t n);
    template <size_t N>
    void Raw(const char (&text)[N]) {
        Raw(text, N - 1);
    }
    void Unsigned(uint64_t value);
    void Signed(int64_t value);
    // A JSON string of 16-bit units: quotes, backslash, CR, LF escaped by name,
    // every other unit below 0x20 or above 0x7E as \uXXXX (received bytes
    // 0x80-0xFF arrive as the units 0xFF80-0xFFFF and are written as such).
    void Text16(const char16_t* text, size_t n);

    // Hands the buffered text to the stream when enough has gathered.
    void MaybeFlush() {
        if (buffer_.size() >= kFlushBytes)
            Flush();
    }
    // Writes out everything buffered and flushes the stream. False when any
    // write so far failed.
    bool Finish();
    // Drops what is still buffered: a failed run must not add to its output.
    void Discard() { buffer_.clear(); }
    bool failed() const { return failed_; }

  private:
    static constexpr size_t kFlushBytes = 1 << 20;
    void Flush();

    std::FILE* out_;
    std::string buffer_;
    bool failed_ = false;
};
