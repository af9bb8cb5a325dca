// gpsd's side of a gpsd source: the request for the receiver's own
// sentences, and the filter that keeps gpsd's JSON reports (VERSION, DEVICES,
// WATCH, ERROR ...) out of what reaches the console as NMEA.
#pragma once

#include <cstddef>
#include <cstdint>

namespace linkrules {

// Sent once after connecting. gpsd then relays each NMEA line as the receiver
// sent it, between JSON objects of its own, each of them one line.
constexpr char kGpsdWatchRequest[] = "?WATCH={\"enable\":true,\"nmea\":true}\n";

// Drops every line that begins with '{' (the JSON objects, each to its line
// feed) and passes every other byte unchanged and in order. Works on any cut
// of the stream: a JSON object split across reads is dropped whole, and
// nothing is held back, so a sentence reaches the framer as soon as it came.
class GpsdStreamFilter {
  public:
    // Filters `count` bytes of `bytes` in place; returns how many remain at
    // the front.
    size_t Filter(uint8_t* bytes, size_t count);

  private:
    bool atLineStart_ = true;
    bool dropping_ = false;
};

}  // namespace linkrules
