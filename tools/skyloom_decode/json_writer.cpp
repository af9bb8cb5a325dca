#include "tools/skyloom_decode/json_writer.h"

JsonWriter::JsonWriter(std::FILE* out) : out_(out), buffer_(kFlushBytes + (64 << 10)) {
    cur_ = buffer_.data();
    end_ = buffer_.data() + buffer_.size();
}

void JsonWriter::Grow(size_t n) {
    const size_t used = static_cast<size_t>(cur_ - buffer_.data());
    buffer_.resize(used + n + (64 << 10));
    cur_ = buffer_.data() + used;
    end_ = buffer_.data() + buffer_.size();
}

const char JsonWriter::kDigitPairs[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

void JsonWriter::LongUnsigned(uint64_t value) {
    char digits[20];
    size_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0)
        *cur_++ = digits[--n];
}

void JsonWriter::Text16(const char16_t* text, size_t n) {
    static const char kHex[] = "0123456789abcdef";
    Room(2 + 6 * n);
    char* p = cur_;
    *p++ = '"';
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = text[i];
        if (c >= 0x20 && c <= 0x7E && c != u'"' && c != u'\\') {
            *p++ = static_cast<char>(c);
            continue;
        }
        *p++ = '\\';
        switch (c) {
            case u'"':
                *p++ = '"';
                break;
            case u'\\':
                *p++ = '\\';
                break;
            case u'\r':
                *p++ = 'r';
                break;
            case u'\n':
                *p++ = 'n';
                break;
            default:
                p[0] = 'u';
                p[1] = kHex[(c >> 12) & 0xF];
                p[2] = kHex[(c >> 8) & 0xF];
                p[3] = kHex[(c >> 4) & 0xF];
                p[4] = kHex[c & 0xF];
                p += 5;
        }
    }
    *p++ = '"';
    cur_ = p;
}

void JsonWriter::Flush() {
    const size_t n = static_cast<size_t>(cur_ - buffer_.data());
    if (n > 0 && !failed_ && std::fwrite(buffer_.data(), 1, n, out_) != n)
        failed_ = true;
    cur_ = buffer_.data();
}

bool JsonWriter::Finish() {
    Flush();
    if (std::fflush(out_) != 0 || std::ferror(out_))
        failed_ = true;
    return !failed_;
}
