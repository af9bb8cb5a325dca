#include "tools/headless/headless_host.h"

#include "nmea/sentence_table.h"

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
    insertedSentenceName_ = NamesReport(text);
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

bool NamesReport(const char16_t* text) {
    const SentenceRow* row = FindSentence(text);
    return row != nullptr && row->stage == SentenceStage::kReport;
}
