// The objects skyloom-decode writes, one per JSON line: every delivered line,
// the status record after each redraw request, and the closing summary.
#pragma once

#include <cstdint>

#include "nmea/receiver_model.h"
#include "tools/headless/decode_session.h"
#include "tools/skyloom_decode/dropped_lines.h"
#include "tools/skyloom_decode/json_writer.h"

// {"kind":"line","n":1,"text":"...","color":"black","decoded":false,"shown":true}
void WriteLineObject(JsonWriter& out, const LineOutcome& line);

// {"kind":"status","n":12,"caption":"...","date":"...",...,"satellites":[...]}
void WriteStatusObject(JsonWriter& out, uint64_t n, const std::u16string& caption,
                       const ReceiverModel& status);

// {"kind":"summary","lines":N,"droppedTooLong":L,"droppedUnterminated":U,
//  "checksumFailures":K,"redraws":R,"ttffSeconds":S}
void WriteSummaryObject(JsonWriter& out, DecodeSession& session, const DroppedLines& dropped);
