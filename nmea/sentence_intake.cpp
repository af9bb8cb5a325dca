#include "nmea/sentence_intake.h"

#include <cstring>

#include "nmea/line_marks.h"
#include "nmea/sentence_table.h"
#include "nmea/text16.h"

namespace {

constexpr int kConsoleMaxLines = 2000;

// The reader delivers up to 511 units; the working copy holds 255. An
// over-long line keeps its beginning and its own line ending, so the console
// still shows one line per received line. Returns the copy's length; *cut
// tells whether the line was cut.
size_t MakeWorkingCopy(const char16_t* line, char16_t (&copy)[kWorkingCopyUnits], bool* cut) {
    const size_t length = text16::Length(line);
    if (length < kWorkingCopyUnits) {
        std::memcpy(copy, line, (length + 1) * sizeof(char16_t));  // with the terminator
        *cut = false;
        return length;
    }
    size_t ending = 0;
    if (line[length - 1] == u'\n') {
        ending = 1;
        if (line[length - 2] == u'\r')
            ending = 2;
    }
    const size_t head = kWorkingCopyUnits - 1 - ending;
    for (size_t i = 0; i < head; ++i)
        copy[i] = line[i];
    for (size_t i = 0; i < ending; ++i)
        copy[head + i] = line[length - ending + i];
    copy[kWorkingCopyUnits - 1] = 0;
    *cut = true;
    return kWorkingCopyUnits - 1;
}

// "...Version...: text*hh": the text after the first colon, up to the '*'.
void ShowVersionText(IntakeHost& host, const char16_t* copy, const char16_t* word) {
    const char16_t* start = word;  // without a colon the word itself opens the text
    for (const char16_t* p = copy; *p != 0; ++p) {
        if (*p == u':') {
            start = p + 1;
            break;
        }
    }
    while (*start == u' ')
        ++start;
    char16_t text[256];
    text16::Copy(text, start);
    for (char16_t& c : text) {
        if (c == 0)
            break;
        if (c == u'*')
            c = 0;
    }
    if (text16::Find(copy, "Version2") != nullptr)
        host.SetFirmwareVersion(text);
    else
        host.SetCoreVersion(text);
}

}  // namespace

bool ChecksumPasses(const char16_t* copy, size_t n) {
    // Receivers end their sentences in CR LF; many capture tools store them
    // with LF alone. Either way the line end is no part of the sentence.
    if (n == 0 || copy[n - 1] != u'\n')
        return false;
    size_t end = n - 1;
    if (end > 0 && copy[end - 1] == u'\r')
        --end;
    if (end < 3 || copy[end - 3] != u'*')
        return false;
    const size_t star = end - 3;
    unsigned computed = 0;
    for (size_t i = 1; i < star; ++i)
        computed ^= copy[i] & 0xFFu;
    // Non-hex characters are not rejected: they enter the sum with these values.
    auto digit = [](char16_t unit) -> unsigned {
        const unsigned c = unit & 0xFFu;
        if (c >= 'a')
            return c - 87;
        if (c >= 'A')
            return c - 55;
        if (c >= '0')
            return c - 48;
        return c;
    };
    const unsigned stated = (digit(copy[star + 1]) * 16 + digit(copy[star + 2])) & 0xFFu;
    return computed == stated;
}

int OnLineReceived(IntakeHost& host, ReceiverModel& status, const char16_t* line) {
    char16_t copy[kWorkingCopyUnits];
    bool cut = false;
    const size_t n = MakeWorkingCopy(line, copy, &cut);

    if (resetButtonsPending) {
        host.EnableResetButtons();
        resetButtonsPending = 0;
    }

    // The log keeps what the console shows: the working copy.
    host.WriteLogLine(copy, n);

    // Nothing below writes to the copy, so one scan serves every test on it.
    const LineMarks marks = ScanLine(copy, n);
    if (marks.waasEnable)
        host.SetSbasCheck(true);
    else if (marks.waasDisable)
        host.SetSbasCheck(false);

    const SentenceRow* row = FindSentence(copy);
    if (row != nullptr && row->stage == SentenceStage::kReply)
        row->decode(host, status, copy);
    if (marks.version != nullptr)
        ShowVersionText(host, copy, marks.version);

    // A cut line lost the sum's own digits or part of what they cover: it can
    // never be shown as good, whatever its last characters happen to hold.
    host.SetConsoleColor(!cut && ChecksumPasses(copy, n) ? kColorBlack : kColorRed);

    if (status.parseBusy)
        return 0;
    status.parseBusy = 1;

    if (status.ttffStartTick == 0) {
        // 0 means "not started": a tick count that happens to read 0 starts
        // the clock at 1 ms instead of leaving it stopped.
        const uint32_t now = host.TickCount();
        status.ttffStartTick = now != 0 ? now : 1;
    } else if (row != nullptr && row->stage == SentenceStage::kReport) {
        if (row->decode(host, status, copy) && row->completes == SentenceCompletes::kCycle)
            status.intake.cycleComplete = 1;
    }

    if (host.ConsoleLineCount() > kConsoleMaxLines)
        host.ConsoleClear();
    host.ConsoleInsert(copy);

    if (status.intake.cycleComplete) {
        host.Redraw();
        status.intake.cycleComplete = 0;
    }

    status.parseBusy = 0;
    return 1;
}
