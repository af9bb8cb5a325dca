// Fixed-capacity 16-bit text: every display text and sentence field of the
// program is a zero-terminated char16_t buffer of known capacity. These are the
// only routines that write into such buffers; each takes the capacity and
// always terminates, so no caller can run past a buffer's end.
//
// A buffer that is an array hands over its capacity with its type: each writer
// has a form that takes the array itself, so a capacity never has to be
// repeated beside it. The forms with a pointer and a capacity are for
// destinations that are only a pointer (a buffer the Win32 side lends).
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace text16 {

// Length up to the terminator.
size_t Length(const char16_t* s);

// Copies src into dst (capacity `cap` units, terminator included), cutting it
// when it does not fit. Returns the number of units copied. cap 0 writes nothing.
size_t Copy(char16_t* dst, size_t cap, const char16_t* src);

// Copies an ASCII/UTF-8-free narrow text (7-bit characters) widened.
size_t CopyNarrow(char16_t* dst, size_t cap, const char* src);

// Appends src behind the text already in dst, cutting it when it does not fit.
size_t Append(char16_t* dst, size_t cap, const char16_t* src);

// printf-style formatting of ASCII formats ("%.2d", "%d", "%s" of narrow text)
// into a 16-bit buffer. Output that does not fit is cut; the result is always
// terminated. Returns the number of units the full output would have needed
// (so `Format(...) >= cap` tells the caller the text was cut).
size_t Format(char16_t* dst, size_t cap, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
size_t FormatList(char16_t* dst, size_t cap, const char* format, va_list args)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 0)))
#endif
    ;

// The decoders' per-line formats ("%d", "%.2d", "%.4d" and fixed text),
// built without vsnprintf, which would cost about a sixth of a line's intake.
// Store() gives exactly what Format() gives for the printf format that the
// same pieces spell.
class NarrowBuilder {
  public:
    // printf's "%.<minDigits>d": the sign, then at least minDigits digits.
    NarrowBuilder& Int(int32_t value, int minDigits = 1);
    NarrowBuilder& Text(const char* text);
    // Characters appended so far (also those past the internal capacity).
    size_t length() const { return length_; }
    // Copies the text into dst like Format: cut to fit, always terminated;
    // returns the full length.
    size_t Store(char16_t* dst, size_t cap) const;
    template <size_t N>
    size_t Store(char16_t (&dst)[N]) const {
        return Store(dst, N);
    }

  private:
    void Put(char c) {
        if (length_ < sizeof text_)
            text_[length_] = c;
        ++length_;
    }
    char text_[64];  // three whole numbers and a unit; a longer text is cut on Store
    size_t length_ = 0;
};

// First occurrence of needle (a narrow ASCII text) in s, or nullptr.
const char16_t* Find(const char16_t* s, const char* needle);

// True when the two texts are equal up to their terminators.
bool Equal(const char16_t* a, const char* b);

// Reads a decimal integer the way "%d" of the C library does: leading blanks
// skipped, an optional sign, digits up to the first non-digit. Returns false
// (and leaves *value untouched) when no digit follows. Saturates instead of
// overflowing.
bool ScanInt(const char16_t* s, int32_t* value);

// ScanInt that yields 0 where no number stands, the value the decoders use.
inline int32_t IntOrZero(const char16_t* s) {
    int32_t v = 0;
    return ScanInt(s, &v) ? v : 0;
}

// IntOrZero of the text from character position `pos` on; 0 when the text is
// shorter than that, so a short field never yields digits left behind it in
// its buffer by an earlier, longer one.
int32_t IntAt(const char16_t* s, size_t pos);

// The same writers into an array whose capacity the compiler knows.
template <size_t N>
size_t Copy(char16_t (&dst)[N], const char16_t* src) {
    return Copy(dst, N, src);
}
template <size_t N>
size_t CopyNarrow(char16_t (&dst)[N], const char* src) {
    return CopyNarrow(dst, N, src);
}
template <size_t N>
size_t Append(char16_t (&dst)[N], const char16_t* src) {
    return Append(dst, N, src);
}
template <size_t N>
size_t Format(char16_t (&dst)[N], const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
template <size_t N>
size_t Format(char16_t (&dst)[N], const char* format, ...) {
    va_list args;
    va_start(args, format);
    const size_t needed = FormatList(dst, N, format, args);
    va_end(args);
    return needed;
}

}  // namespace text16
