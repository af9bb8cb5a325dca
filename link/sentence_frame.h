// The bytes the sentence writer puts on the wire: the text narrowed to the low
// 8 bits of each unit, then carriage return and line feed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace linkrules {

constexpr size_t kSentenceBufferBytes = 256;
constexpr size_t kMaxSentenceChars = kSentenceBufferBytes - 3;  // + CR LF + terminator

// Frames `text` into out and returns the number of bytes to write, CR LF
// included. Every unit becomes exactly one byte, so a unit
// whose low byte is 0 cannot end the sentence early and drop its line end.
// Returns 0 for a text longer than kMaxSentenceChars: it is not sent at all,
// since any cut of it would reach the receiver as a different sentence.
size_t FrameSentence(const char16_t* text, uint8_t (&out)[kSentenceBufferBytes]);

}  // namespace linkrules
