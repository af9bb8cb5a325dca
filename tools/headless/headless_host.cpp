#include "tools/headless/headless_host.h"

HeadlessHost::HeadlessHost(int32_t utcOffsetMinutes) : utcOffsetMinutes_(utcOffsetMinutes) {}

void HeadlessHost::ConsoleClear() {
    consoleLines_ = 1;
    consoleEndsInCr_ = false;
    ++consoleClears_;
}

void HeadlessHost::ConsoleInsert(const char16_t* text) {
    // One pass: RichEdit ends a paragraph at CR LF, at a lone CR and at a
    // lone LF; the dispatched names are looked for on the way.
    bool named = false;
    bool afterCr = consoleEndsInCr_;
    int lines = consoleLines_;
    for (const char16_t* p = text; *p; ++p) {
        const char16_t c = *p;
        if (c == u'\r') {
            ++lines;
            afterCr = true;
            continue;
        }
        if (c == u'\n') {
            if (!afterCr)
                ++lines;
        } else if (!named) {
            // p[2] is read only when p[1] matched, so never past the terminator.
            if (c == u'G')
                named = (p[1] == u'G' && p[2] == u'A') ||
                        (p[1] == u'S' && (p[2] == u'A' || p[2] == u'V'));
            else if (c == u'R')
                named = p[1] == u'M' && p[2] == u'C';
        }
        afterCr = false;
    }
    consoleLines_ = lines;
    consoleEndsInCr_ = afterCr;
    inserted_ = true;
    insertColor_ = color_;
    insertedSentenceName_ = named;
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
