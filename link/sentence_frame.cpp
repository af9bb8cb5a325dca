#include "link/sentence_frame.h"

namespace linkrules {

size_t FrameSentence(const char16_t* text, uint8_t (&out)[kSentenceBufferBytes]) {
    size_t n = 0;
    for (; text[n] != 0; ++n) {
        if (n == kMaxSentenceChars)
            return 0;
        out[n] = static_cast<uint8_t>(text[n] & 0xFF);
    }
    out[n++] = '\r';
    out[n++] = '\n';
    out[n] = 0;
    return n;
}

}  // namespace linkrules
