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
    // Every format the program uses yields short ASCII text; 512 bytes is far
    // more than any 16-bit slot holds, and vsnprintf cuts safely beyond it.
    char narrow[512];
    va_list args;
    va_start(args, format);
    int needed = vsnprintf(narrow, sizeof narrow, format, args);
    va_end(args);
    if (needed < 0) {
        if (cap > 0)
            dst[0] = 0;
        return 0;
    }
    CopyNarrow(dst, cap, narrow);
    return static_cast<size_t>(needed);
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
    // isspace() of the C locale: what "%d" skips.
    while (*s == u' ' || *s == u'\t' || *s == u'\n' || *s == u'\v' || *s == u'\f' || *s == u'\r')
        ++s;
    bool negative = false;
    if (*s == u'+' || *s == u'-') {
        negative = (*s == u'-');
        ++s;
    }
    if (*s < u'0' || *s > u'9')
        return false;
    int64_t v = 0;
    for (; *s >= u'0' && *s <= u'9'; ++s) {
        if (v <= INT32_MAX)
            v = v * 10 + (*s - u'0');
    }
    if (negative)
        v = -v;
    if (v > INT32_MAX)
        v = INT32_MAX;
    if (v < INT32_MIN)
        v = INT32_MIN;
    *value = static_cast<int32_t>(v);
    return true;
}

int32_t IntOrZero(const char16_t* s) {
    int32_t v = 0;
    return ScanInt(s, &v) ? v : 0;
}

int32_t IntAt(const char16_t* s, size_t pos) {
    for (size_t i = 0; i < pos; ++i)
        if (s[i] == 0)
            return 0;
    return IntOrZero(s + pos);
}

}  // namespace text16
