// wchar_t is a 16-bit UTF-16 unit on Windows: the portable rules' char16_t
// texts and the Win32 wide texts are the same bytes.
#pragma once

#include <windows.h>

#include <cstddef>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

inline const char16_t* AsText16(const wchar_t* text) {
    return reinterpret_cast<const char16_t*>(text);
}
inline char16_t* AsText16(wchar_t* text) {
    return reinterpret_cast<char16_t*>(text);
}
inline const wchar_t* AsWide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* AsWide(char16_t* text) {
    return reinterpret_cast<wchar_t*>(text);
}

// A whole wide array as a 16-bit one, so that writers taking their capacity
// from the array's type still see it through the conversion.
template <size_t N>
char16_t (&AsText16Array(wchar_t (&text)[N]))[N] {
    return reinterpret_cast<char16_t(&)[N]>(text);
}
