// A recording's bytes run through the link's framer and the sentence intake,
// as a link to the window would deliver them, with a HeadlessHost standing in
// for the window. The session's record holds the intake's cycle flags and
// field buffers too, so every session starts as a freshly started program.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/line_framer.h"
#include "nmea/receiver_model.h"
#include "tools/headless/headless_host.h"

// What became of one delivered line.
struct LineOutcome {
    uint64_t n;            // 1-based number of the delivered line
    const char16_t* text;  // the delivered units, valid during the callback only
    size_t length;         // units up to the first 0 (a received NUL ends the line early)
    uint32_t color;        // as the console shows it
    bool decoded;          // a decoder ran
    bool shown;            // the line reached the console
    bool checksumFailed;   // the intake's checksum verdict was red
    bool redraw;           // the status panel was asked to repaint after it
};

class DecodeSession {
  public:
    // lineMs: how far the virtual clock moves per delivered line.
    DecodeSession(int32_t utcOffsetMinutes, uint32_t lineMs);

    // Feeds received bytes; onLine(const LineOutcome&) runs once per delivered line.
    template <typename OnLine>
    void Feed(const uint8_t* data, size_t size, OnLine&& onLine) {
        for (size_t i = 0; i < size; ++i) {
            if (framer_.Feed(data[i]) == LineFramer::Result::kLine)
                onLine(Deliver());
        }
    }

    // The end of the input: a line without its line feed is never delivered.
    void EndOfInput() { framer_.Interrupt(); }

    const ReceiverModel& status() const { return status_; }
    HeadlessHost& host() { return host_; }
    uint64_t lines() const { return lines_; }
    uint64_t checksumFailures() const { return checksumFailures_; }
    uint64_t redraws() const { return redraws_; }
    bool ttffMeasured() const { return ttffMeasured_; }
    int32_t ttffSeconds() const { return ttffSeconds_; }

  private:
    const LineOutcome& Deliver();

    HeadlessHost host_;
    uint32_t lineMs_;
    LineFramer framer_;
    ReceiverModel status_{};
    LineOutcome outcome_{};
    uint64_t lines_ = 0;
    uint64_t checksumFailures_ = 0;
    uint64_t redraws_ = 0;
    bool ttffMeasured_ = false;
    int32_t ttffSeconds_ = 0;
};
