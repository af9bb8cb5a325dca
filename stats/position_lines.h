// Received lines into a PositionFeed: the one path by which both
// skyloom-decode --stats and the Position Statistics window take their fixes.
#pragma once

#include <cstddef>

#include "stats/position_feed.h"

namespace stats {

// A line as the link delivers it (16-bit units with its line end, `length`
// units). GGA, GNS and GST whose checksum passes go to the feed; a line with
// a wrong sum is no fix: a flipped digit moves it kilometres. Returns true
// when the line was taken.
bool FeedPositionLine(PositionFeed& feed, const char16_t* line, size_t length);

}  // namespace stats
