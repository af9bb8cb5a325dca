#include "tools/headless/decode_session.h"

#include "nmea/sentence_intake.h"
#include "nmea/text16.h"

DecodeSession::DecodeSession(int32_t utcOffsetMinutes, uint32_t lineMs)
    : host_(utcOffsetMinutes), lineMs_(lineMs) {
    // The state of a freshly started program that has just opened a link.
    ClearReceiverModel(status_);
    ResetFixClock(status_);
}

const LineOutcome& DecodeSession::Deliver() {
    const char16_t* line = framer_.line();
    host_.BeginLine();
    const bool clockRunning = status_.ttffStartTick != 0;
    const bool busy = status_.parseBusy != 0;
    OnLineReceived(host_, status_, line);

    LineOutcome& o = outcome_;
    o.n = ++lines_;
    o.text = line;
    o.length = text16::Length(line);
    o.shown = host_.inserted();
    o.color = o.shown ? host_.insertColor() : host_.consoleColor();
    // The intake runs one decoder when the clock was already running and the
    // line, as it went to the console, names a decoded sentence.
    o.decoded = o.shown && !busy && clockRunning && host_.insertedSentenceName();
    o.checksumFailed = !host_.verdictSet() || host_.verdictColor() != kColorBlack;
    o.redraw = host_.redrawsThisLine() > 0;

    if (o.checksumFailed)
        ++checksumFailures_;
    if (o.redraw)
        ++redraws_;
    if (!ttffMeasured_ && status_.ttffDone) {
        ttffMeasured_ = true;
        // The measurement is what the caption shows: "Skyloom  %d Sec".
        int32_t seconds = 0;
        const char16_t* caption = status_.ttffCaption;
        if (text16::Find(caption, "Skyloom") == caption)
            text16::ScanInt(caption + 7, &seconds);
        ttffSeconds_ = seconds;
    }
    host_.AdvanceClock(lineMs_);
    return o;
}
