#include "tools/headless/headless_host.h"

HeadlessHost::HeadlessHost(int32_t utcOffsetMinutes) : utcOffsetMinutes_(utcOffsetMinutes) {}

void HeadlessHost::ConsoleClear() {
    consoleLines_ = 1;
    consoleEndsInCr_ = false;
    ++consoleClears_;
}

void HeadlessHost::ConsoleInsert(const char16_t* text) {
    // RichEdit ends a paragraph at CR LF, at a lone CR and at a lone LF.
    bool afterCr = consoleEndsInCr_;
    int lines = consoleLines_;
    for (const char16_t* p = text; *p; ++p) {
        if (*p == u'\r') {
            ++lines;
            afterCr = true;
        } else {
            if (*p == u'\n' && !afterCr)
                ++lines;
            afterCr = false;
        }
    }
    consoleLines_ = lines;
    consoleEndsInCr_ = afterCr;
    inserted_ = true;
    insertColor_ = color_;
    // A name contains no CR or LF, so looking for it apart from the breaks
    // finds the same; a sentence names itself within its first units.
    insertedSentenceName_ = HoldsDispatchedName(text);
}

void HeadlessHost::SetConsoleColor(uint32_t colorref) {
    color_ = colorref;
    if (!verdictSet_) {
        verdictSet_ = true;
        verdictColor_ = colorref;
    }
}

bool HeadlessHost::UtcToLocal(const CivilTime& utc, CivilTime* local) {
    return ShiftCivilTime(utc, utcOffsetMinutes_, local);
}

void HeadlessHost::BeginLine() {
    inserted_ = false;
    insertedSentenceName_ = false;
    verdictSet_ = false;
    redrawsThisLine_ = 0;
}

bool HoldsDispatchedName(const char16_t* text, size_t starts) {
    for (const char16_t* p = text; p[0] && p[1] && p[2] && starts > 0; ++p, --starts) {
        if (p[0] == u'G') {
            if ((p[1] == u'G' && p[2] == u'A') || (p[1] == u'S' && (p[2] == u'A' || p[2] == u'V')))
                return true;
        } else if (p[0] == u'R' && p[1] == u'M' && p[2] == u'C') {
            return true;
        }
    }
    return false;
}
