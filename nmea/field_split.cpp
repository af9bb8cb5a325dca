#include "nmea/field_split.h"

size_t SplitFields(const char16_t* line, char16_t* fields, size_t fieldWidth, size_t fieldCount) {
    if (fieldWidth == 0 || fieldCount == 0)
        return 0;
    const char16_t* p = line;
    size_t filled = 0;
    for (;;) {
        char16_t* field = fields + filled * fieldWidth;
        size_t n = 0;
        // A field longer than the width keeps its first width-1 characters: the
        // rest of it is skipped so the following fields keep their numbers.
        for (; !EndsField(*p) && n + 1 < fieldWidth; ++p)
            field[n++] = *p;
        field[n] = 0;
        while (!EndsField(*p))
            ++p;
        ++filled;
        // The carriage return ends the sentence: what follows it (the line
        // feed) is no field of its own.
        if (*p == 0 || *p == u'\r')
            return filled;
        ++p;
        if (*p == 0 || *p == u'\r' || *p == u'*')
            return filled;
        if (filled >= fieldCount)
            return filled;
    }
}
