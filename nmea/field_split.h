// Splitting a sentence into its comma-separated fields.
#pragma once

#include <cstddef>

// Fills `fieldCount` fields of `fieldWidth` units each (a flat array, field k
// at fields + k * fieldWidth) from the line, field 0 being the address field
// with its '$'. A field ends at ',', '*' or CR; splitting ends when the next
// character after a stop is CR or '*', at the line's terminator, or when
// `fieldCount` fields are filled. Fields the line does not reach keep their
// old contents. Returns the number of fields written.
size_t SplitFields(const char16_t* line, char16_t* fields, size_t fieldWidth, size_t fieldCount);

// The characters that end a field: ',', '*', CR and the terminator. All lie at
// or below ',', so the digits and letters that make up fields pass the first
// compare.
inline bool EndsField(char16_t c) {
    return c <= u',' && (c == u',' || c == u'*' || c == u'\r' || c == 0);
}
