#include "nmea/text16.h"

#include <climits>
#include <cstdarg>
#include <cstdio>

namespace text16 {

size_t Length(const char16_t* s) {
    size_t n = 0;
    while (s[n] != 0)
        ++n;
    return n;
}

size_t Copy(char16_t* dst, size_t cap, const char16_t* src) {
    if (cap == 0)
        return 0;
    size_t n = 0;
    while (n + 1 < cap && src[n] != 0) {
        dst[n] = src[n];
        ++n;
    }
    dst[n] = 0;
    return n;
}

size_t CopyNarrow(char16_t* dst, size_t cap, const char* src) {
    if (cap == 0)
        return 0;
    size_t n = 0;
    while (n + 1 < cap && src[n] != 0) {
        dst[n] = static_cast<char16_t>(static_cast<unsigned char>(src[n]));
        ++n;
    }
    dst[n] = 0;
    return n;
}

size_t Append(char16_t* dst, size_t cap, const char16_t* src) {
    if (cap == 0)
        return 0;
    size_t used = 0;
    while (used < cap && dst[used] != 0)
        ++used;
    if (used == cap) {  // not terminated: repair rather than run on
        dst[cap - 1] = 0;
        return 0;
    }
    return Copy(dst + used, cap - used, src);
}

size_t Format(char16_t* dst, size_t cap, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const size_t needed = FormatList(dst, cap, format, args);
    va_end(args);
    return needed;
}

size_t FormatList(char16_t* dst, size_t cap, const char* format, va_list args) {
    // Every format the program uses yields short ASCII text; 512 bytes is far
    // more than any 16-bit slot holds, and vsnprintf cuts safely beyond it.
    char narrow[512];
    const int needed = vsnprintf(narrow, sizeof narrow, format, args);
    if (needed < 0) {
        if (cap > 0)
            dst[0] = 0;
        return 0;
    }
    CopyNarrow(dst, cap, narrow);
    return static_cast<size_t>(needed);
}

NarrowBuilder& NarrowBuilder::Int(int32_t value, int minDigits) {
    // The magnitude in unsigned arithmetic keeps INT32_MIN defined.
    uint32_t magnitude = static_cast<uint32_t>(value);
    if (value < 0) {
        magnitude = 0u - magnitude;
        Put('-');
    }
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    for (int i = count; i < minDigits; ++i)
        Put('0');
    while (count > 0)
        Put(digits[--count]);
    return *this;
}

NarrowBuilder& NarrowBuilder::Text(const char* text) {
    for (; *text != 0; ++text)
        Put(*text);
    return *this;
}

size_t NarrowBuilder::Store(char16_t* dst, size_t cap) const {
    if (cap == 0)
        return length_;
    size_t n = length_ < sizeof text_ ? length_ : sizeof text_;
    if (n > cap - 1)
        n = cap - 1;
    for (size_t i = 0; i < n; ++i)
        dst[i] = static_cast<char16_t>(static_cast<unsigned char>(text_[i]));
    dst[n] = 0;
    return length_;
}

const char16_t* Find(const char16_t* s, const char* needle) {
    if (needle[0] == 0)
        return s;
    for (; *s != 0; ++s) {
        size_t i = 0;
        while (needle[i] != 0 &&
               s[i] == static_cast<char16_t>(static_cast<unsigned char>(needle[i])))
            ++i;
        if (needle[i] == 0)
            return s;
    }
    return nullptr;
}

bool Equal(const char16_t* a, const char* b) {
    size_t i = 0;
    for (; a[i] != 0 && b[i] != 0; ++i)
        if (a[i] != static_cast<char16_t>(static_cast<unsigned char>(b[i])))
            return false;
    return a[i] == 0 && b[i] == 0;
}

bool ScanInt(const char16_t* s, int32_t* value) {
    // isspace() of the C locale: what "%d" skips (the blank and \t \n \v \f \r).
    while (*s == u' ' || (*s >= u'\t' && *s <= u'\r'))
        ++s;
    bool negative = false;
    if (*s == u'+' || *s == u'-') {
        negative = (*s == u'-');
        ++s;
    }
    if (*s < u'0' || *s > u'9')
        return false;
    int64_t v = 0;
    // Digits after the value passed INT32_MAX change nothing: it saturates below.
    for (; *s >= u'0' && *s <= u'9' && v <= INT32_MAX; ++s)
        v = v * 10 + (*s - u'0');
    if (negative)
        v = -v;
    if (v > INT32_MAX)
        v = INT32_MAX;
    if (v < INT32_MIN)
        v = INT32_MIN;
    *value = static_cast<int32_t>(v);
    return true;
}

int32_t IntAt(const char16_t* s, size_t pos) {
    for (size_t i = 0; i < pos; ++i)
        if (s[i] == 0)
            return 0;
    return IntOrZero(s + pos);
}

}  // namespace text16
