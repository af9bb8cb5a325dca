// Splitting a sentence into its comma-separated fields.
#pragma once

#include <cstddef>

// The characters that end a field: ',', '*', CR and the terminator.
inline bool EndsField(char16_t c) {
    return c == u',' || c == u'*' || c == u'\r' || c == 0;
}

// True when a sentence's address field is "$" and a two-letter talker
// followed by the three letters of `kind` ("$GNGST" is "GST"). What stands
// before its '$' (the rest of a line damaged in transit) is no part of it, as
// the sentence table reads it.
inline bool AddressIs(const char16_t* address, const char* kind) {
    const char16_t* dollar = nullptr;
    for (const char16_t* p = address; *p != 0; ++p)
        if (*p == u'$')
            dollar = p;
    if (dollar == nullptr || dollar[1] == 0 || dollar[2] == 0)
        return false;
    for (size_t i = 0; i < 3; ++i)
        if (dollar[3 + i] != static_cast<char16_t>(kind[i]))
            return false;
    return dollar[6] == 0;
}

// Reads over the rest of a field; returns where its stop character stands.
inline const char16_t* SkipField(const char16_t* p) {
    while (!EndsField(*p))
        ++p;
    return p;
}

// Copies the field that starts at p into `field` and returns where its stop
// character stands. A field longer than the buffer keeps its first Width-1
// characters: the rest of it is read over, so the following fields keep their
// numbers.
template <size_t Width>
const char16_t* TakeField(const char16_t* p, char16_t (&field)[Width]) {
    size_t n = 0;
    for (; !EndsField(*p) && n + 1 < Width; ++p)
        field[n++] = *p;
    field[n] = 0;
    return SkipField(p);
}

// Fills the fields from the line, field 0 being the address field with its
// '$'. A field ends at ',', '*' or CR; splitting ends when the next character
// after a stop is CR or '*', at the line's terminator, or when every field is
// filled. Fields the line does not reach keep their old contents. Returns the
// number of fields written.
template <size_t Count, size_t Width>
size_t SplitFields(const char16_t* line, char16_t (&fields)[Count][Width]) {
    const char16_t* p = line;
    size_t filled = 0;
    for (;;) {
        p = TakeField(p, fields[filled]);
        ++filled;
        // The carriage return ends the sentence: what follows it (the line
        // feed) is no field of its own.
        if (*p == 0 || *p == u'\r')
            return filled;
        ++p;
        if (*p == 0 || *p == u'\r' || *p == u'*')
            return filled;
        if (filled >= Count)
            return filled;
    }
}

// Of the `filled` fields SplitFields wrote, those that hold the sentence's
// data: the checksum digits after the '*' become a field of their own there,
// which no number may be read from.
inline size_t DataFields(const char16_t* line, size_t filled) {
    size_t fields = 1;
    for (const char16_t* p = line; *p != 0 && *p != u'*' && *p != u'\r'; ++p)
        fields += *p == u',' ? 1 : 0;
    return fields < filled ? fields : filled;
}
