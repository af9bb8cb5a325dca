#include "link/command_line.h"

#include <string_view>

#include "link/baud_rates.h"
#include "link/source_address.h"

namespace linkrules {
namespace {

constexpr char16_t kAccepted[] =
    u"Skyloom is started as: skyloom.exe [SOURCE] [--baud N]\n"
    u"SOURCE: a serial port (COM5), a recording (a .pgl, .nmea, .txt or .log file), "
    u"or an address: tcp://HOST:PORT, udp://:PORT or gpsd://HOST[:PORT]\n"
    u"N: 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, 230400, 460800 or 921600";

// The extensions the open dialog's filters offer.
constexpr std::u16string_view kRecordingExtensions[] = {u".pgl", u".nmea", u".txt", u".log"};

char16_t Upper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

bool EndsWithNoCase(std::u16string_view text, std::u16string_view suffix) {
    if (text.size() <= suffix.size())
        return false;  // ".pgl" alone is no file name
    std::u16string_view tail = text.substr(text.size() - suffix.size());
    for (size_t i = 0; i < suffix.size(); ++i)
        if (Upper(tail[i]) != Upper(suffix[i]))
            return false;
    return true;
}

// "COM1".."COM255", in any case, also written as the device "\\.\COM5".
bool ParsePortName(std::u16string_view text, std::u16string* device) {
    if (text.substr(0, 4) == u"\\\\.\\")
        text.remove_prefix(4);
    if (text.size() < 4 || text.size() > 6 || Upper(text[0]) != u'C' || Upper(text[1]) != u'O' ||
        Upper(text[2]) != u'M')
        return false;
    unsigned number = 0;
    for (char16_t c : text.substr(3)) {
        if (c < u'0' || c > u'9')
            return false;
        number = number * 10 + static_cast<unsigned>(c - u'0');
    }
    if (number < 1 || number > 255 || text[3] == u'0')
        return false;
    *device = u"\\\\.\\COM";
    device->append(text.substr(3));
    return true;
}

bool IsRecordingPath(std::u16string_view text) {
    if (text.empty() || text.front() == u'-')
        return false;
    for (std::u16string_view ext : kRecordingExtensions)
        if (EndsWithNoCase(text, ext))
            return true;
    return false;
}

CommandLineChoice Refuse(std::u16string_view arg, const char16_t* reason) {
    CommandLineChoice choice;
    choice.baudIndex = kDefaultBaudIndex;
    choice.error = u"Skyloom cannot open \"";
    choice.error.append(arg);
    choice.error += u"\".\n";
    if (reason) {
        choice.error += reason;
        choice.error += u'\n';
    }
    choice.error += u'\n';
    choice.error += kAccepted;
    return choice;
}

}  // namespace

CommandLineChoice ParseCommandLine(const std::vector<std::u16string>& args) {
    CommandLineChoice choice;
    choice.baudIndex = kDefaultBaudIndex;
    bool haveSource = false;
    bool haveBaud = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        if (arg == u"--baud") {
            if (haveBaud)
                return Refuse(arg, u"--baud is given twice.");
            if (i + 1 == args.size())
                return Refuse(arg, u"--baud needs a rate after it.");
            const std::u16string& value = args[++i];
            uint32_t rate = 0;
            bool digits = !value.empty() && value.size() <= 7;
            for (char16_t c : value) {
                digits = digits && c >= u'0' && c <= u'9';
                rate = rate * 10 + static_cast<uint32_t>(c - u'0');
            }
            int index = digits ? BaudIndex(rate) : kBaudRateCount;
            if (index == kBaudRateCount)
                return Refuse(value, u"That is not one of the rates in the baud list.");
            choice.baudIndex = index;
            haveBaud = true;
            continue;
        }
        if (haveSource)
            return Refuse(arg, u"Only one source can be opened.");
        haveSource = true;
        SourceSpec& source = choice.source;
        if (LooksLikeAddress(arg)) {
            AddressParse parsed = ParseSourceAddress(arg);
            if (parsed.error)
                return Refuse(arg, parsed.error);
            source = parsed.spec;
        } else if (ParsePortName(arg, &source.device)) {
            source.kind = SourceKind::kPort;
        } else if (IsRecordingPath(arg)) {
            source.kind = SourceKind::kRecording;
            source.device = arg;
        } else {
            return Refuse(arg, nullptr);
        }
    }
    if (choice.source.kind == SourceKind::kPort)
        choice.source.baud = kBaudRates[choice.baudIndex];
    return choice;
}

}  // namespace linkrules
