#include "tools/skyloom_decode/json_writer.h"

JsonWriter::JsonWriter(std::FILE* out) : out_(out) {
    buffer_.reserve(kFlushBytes + 64 * 1024);
}

void JsonWriter::Raw(const char* text, size_t n) {
    buffer_.append(text, n);
}

void JsonWriter::Unsigned(uint64_t value) {
    char digits[20];
    size_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0)
        buffer_.push_back(digits[--n]);
}

void JsonWriter::Signed(int64_t value) {
    if (value < 0) {
        buffer_.push_back('-');
        // Negating in unsigned arithmetic keeps INT64_MIN defined.
        Unsigned(0 - static_cast<uint64_t>(value));
    } else {
        Unsigned(static_cast<uint64_t>(value));
    }
}

void JsonWriter::Text16(const char16_t* text, size_t n) {
    static const char kHex[] = "0123456789abcdef";
    buffer_.push_back('"');
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = text[i];
        if (c >= 0x20 && c < 0x7F && c != u'"' && c != u'\\') {
            buffer_.push_back(static_cast<char>(c));
            continue;
        }
        switch (c) {
            case u'"':
                buffer_.append("\\\"", 2);
                break;
            case u'\\':
                buffer_.append("\\\\", 2);
                break;
            case u'\r':
                buffer_.append("\\r", 2);
                break;
            case u'\n':
                buffer_.append("\\n", 2);
                break;
            default: {
                const char escape[6] = {'\\',
                                        'u',
                                        kHex[(c >> 12) & 0xF],
                                        kHex[(c >> 8) & 0xF],
                                        kHex[(c >> 4) & 0xF],
                                        kHex[c & 0xF]};
                buffer_.append(escape, 6);
            }
        }
    }
    buffer_.push_back('"');
}

void JsonWriter::Flush() {
    if (!buffer_.empty() && !failed_) {
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size())
            failed_ = true;
    }
    buffer_.clear();
}

bool JsonWriter::Finish() {
    Flush();
    if (std::fflush(out_) != 0 || std::ferror(out_))
        failed_ = true;
    return !failed_;
}
