#include "link/source_address.h"

#include <cstddef>

namespace linkrules {
namespace {

// A DNS name is at most 253 characters; an IPv6 address with a zone fits too.
constexpr size_t kMaxHostUnits = 253;

constexpr char16_t kErrorForm[] =
    u"This is not an address Skyloom can open. Write tcp://HOST:PORT, udp://:PORT "
    u"or gpsd://HOST[:PORT].";
constexpr char16_t kErrorNoHost[] = u"The address has no host: write it before the port.";
constexpr char16_t kErrorNoPort[] = u"The address has no port: write :PORT after the host.";
constexpr char16_t kErrorPort[] = u"The port must be a number from 1 to 65535.";
constexpr char16_t kErrorBrackets[] = u"An IPv6 address is written in brackets, as [::1]:PORT.";
constexpr char16_t kErrorHostCharacter[] = u"The host has a character no host name or address has.";
constexpr char16_t kErrorHostLength[] = u"The host is longer than 253 characters.";
constexpr char16_t kErrorTrailing[] = u"The address has text after its port.";

struct Scheme {
    std::u16string_view prefix;
    SourceKind kind;
};
constexpr Scheme kSchemes[] = {
    {u"tcp://", SourceKind::kTcp},
    {u"udp://", SourceKind::kUdp},
    {u"gpsd://", SourceKind::kGpsd},
};

char16_t Lower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[i]) != prefix[i])
            return false;
    return true;
}

const Scheme* FindScheme(std::u16string_view text) {
    for (const Scheme& s : kSchemes)
        if (StartsWithNoCase(text, s.prefix))
            return &s;
    return nullptr;
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t'))
        text.remove_suffix(1);
    return text;
}

// Letters, digits, '-', '.', '_' for names and IPv4; inside brackets also
// ':' and hex digits, and '%' for a zone ("fe80::1%eth0").
bool HostCharacter(char16_t c, bool bracketed) {
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))
        return true;
    if (c == u'-' || c == u'.' || c == u'_')
        return true;
    return bracketed && (c == u':' || c == u'%');
}

// Digits only, 1..65535; a sign, a space or a sixth digit of a larger
// number is no port.
bool ParsePort(std::u16string_view text, uint16_t* port) {
    if (text.empty() || text.size() > 5)
        return false;
    uint32_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + static_cast<uint32_t>(c - u'0');
    }
    if (value == 0 || value > 65535)
        return false;
    *port = static_cast<uint16_t>(value);
    return true;
}

}  // namespace

bool LooksLikeAddress(std::u16string_view text) {
    return FindScheme(Trim(text)) != nullptr;
}

AddressParse ParseSourceAddress(std::u16string_view text) {
    AddressParse result;
    text = Trim(text);
    const Scheme* scheme = FindScheme(text);
    if (!scheme) {
        result.error = kErrorForm;
        return result;
    }
    std::u16string_view rest = text.substr(scheme->prefix.size());

    // Host: "[v6]" or everything up to the first ':'.
    std::u16string_view host;
    bool bracketed = false;
    if (!rest.empty() && rest.front() == u'[') {
        size_t close = rest.find(u']');
        if (close == std::u16string_view::npos) {
            result.error = kErrorBrackets;
            return result;
        }
        host = rest.substr(1, close - 1);
        rest.remove_prefix(close + 1);
        bracketed = true;
        if (host.find(u':') == std::u16string_view::npos) {
            result.error = kErrorBrackets;  // "[10.0.0.1]" or "[]": brackets are for IPv6
            return result;
        }
    } else {
        size_t colon = rest.find(u':');
        host = rest.substr(0, colon);
        rest.remove_prefix(colon == std::u16string_view::npos ? rest.size() : colon);
        if (!rest.empty() && rest.substr(1).find(u':') != std::u16string_view::npos) {
            // "tcp://::1:4001" or "tcp://fe80::1:4001": which colon starts the port?
            result.error = kErrorBrackets;
            return result;
        }
    }
    if (host.size() > kMaxHostUnits) {
        result.error = kErrorHostLength;
        return result;
    }
    for (char16_t c : host) {
        if (!HostCharacter(c, bracketed)) {
            result.error =
                (c == u'/' || c == u' ') && !host.empty() ? kErrorTrailing : kErrorHostCharacter;
            return result;
        }
    }
    if (host.empty() && scheme->kind != SourceKind::kUdp) {
        result.error = kErrorNoHost;
        return result;
    }

    // Port: ":digits" to the end; gpsd has its default.
    uint16_t port = scheme->kind == SourceKind::kGpsd ? kGpsdDefaultPort : 0;
    if (rest.empty()) {
        if (port == 0) {
            result.error = kErrorNoPort;
            return result;
        }
    } else if (rest.front() != u':') {
        result.error = kErrorTrailing;  // "[::1]x"
        return result;
    } else {
        std::u16string_view digits = rest.substr(1);
        size_t end = 0;
        while (end < digits.size() && digits[end] >= u'0' && digits[end] <= u'9')
            ++end;
        if (end > 0 && end < digits.size() && end <= 5) {
            result.error = kErrorTrailing;  // "tcp://h:4001/x", "tcp://h:4001 x"
            return result;
        }
        if (!ParsePort(digits, &port)) {
            result.error = digits.empty() ? kErrorNoPort : kErrorPort;
            return result;
        }
    }
    result.spec.kind = scheme->kind;
    result.spec.host.assign(host.begin(), host.end());
    result.spec.port = port;
    return result;
}

std::u16string HostPortText(const SourceSpec& spec) {
    std::u16string text;
    bool v6 = spec.host.find(u':') != std::u16string::npos;
    if (v6)
        text += u'[';
    text += spec.host;
    if (v6)
        text += u']';
    text += u':';
    std::string digits = std::to_string(spec.port);
    text.append(digits.begin(), digits.end());
    return text;
}

std::u16string SourceAddressText(const SourceSpec& spec) {
    for (const Scheme& s : kSchemes)
        if (s.kind == spec.kind)
            return std::u16string(s.prefix) + HostPortText(spec);
    return {};
}

}  // namespace linkrules
