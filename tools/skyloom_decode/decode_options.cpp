#include "tools/skyloom_decode/decode_options.h"

#include "stats/position_reference.h"

namespace {

// Whole decimal numbers only: an optional sign, then digits, nothing after.
bool ParseInteger(const std::string& text, int64_t min, int64_t max, int64_t* value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return false;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
        if (v > (int64_t{1} << 40))
            return false;  // far outside every range asked for
    }
    if (negative)
        v = -v;
    if (v < min || v > max)
        return false;
    *value = v;
    return true;
}

// "--name=VALUE" or "--name VALUE"; advances i past a separate value.
bool TakeValue(const std::vector<std::string>& args, size_t* i, const std::string& name,
               std::string* value, bool* matched, std::string* error) {
    const std::string& arg = args[*i];
    *matched = false;
    if (arg == name) {
        *matched = true;
        if (*i + 1 >= args.size()) {
            *error = "option " + name + " needs a value";
            return false;
        }
        *value = args[++*i];
        return true;
    }
    if (arg.compare(0, name.size() + 1, name + "=") == 0) {
        *matched = true;
        *value = arg.substr(name.size() + 1);
        return true;
    }
    return true;
}

}  // namespace

const char kDecodeUsage[] =
    "usage: skyloom-decode [--utc-offset=MINUTES] [--line-ms=N]\n"
    "                      [--stats [--reference=LAT,LON[,ALT]]] FILE\n"
    "\n"
    "Decodes a receiver recording (FILE, or - for standard input) as Skyloom's\n"
    "window would, and writes JSON Lines to standard output: one \"line\" object\n"
    "per received line, a \"status\" object after each line that redraws the\n"
    "status panel, and a closing \"summary\" object. The summary also counts the\n"
    "lines the reader drops: those longer than 510 characters (droppedTooLong) and\n"
    "a last line without its line feed (droppedUnterminated).\n"
    "\n"
    "  --utc-offset=MINUTES  local time zone as minutes east of UTC\n"
    "                        (default: this computer's current offset)\n"
    "  --line-ms=N           milliseconds the virtual clock advances per line\n"
    "                        (default 125)\n"
    "  --stats               before the summary, a \"position\" object: the fixes\n"
    "                        (GGA, or GNS without GGA, quality 1 to 5) by quality,\n"
    "                        CEP50, CEP95, DRMS, 2DRMS, the largest horizontal\n"
    "                        error, the deviations east, north and up, altitude\n"
    "                        mean/min/max, GST's own estimate and the time spanned\n"
    "  --reference=LAT,LON[,ALT]  with --stats: measure from this point (decimal\n"
    "                        degrees, metres above mean sea level) instead of the\n"
    "                        fixes' mean\n"
    "  --help                this text\n"
    "  --version             the program's version\n"
    "\n"
    "Exit status: 0 when the whole input was decoded, 1 when the input could not\n"
    "be read or the output not written (the output then has no summary), 2 for\n"
    "a usage error.\n";

bool ParseDecodeOptions(const std::vector<std::string>& args, DecodeOptions* options,
                        std::string* error) {
    DecodeOptions o;
    bool haveInput = false;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (arg == "--") {
                optionsEnded = true;
                continue;
            }
            if (arg == "--help" || arg == "-h") {
                o.action = DecodeOptions::Action::kHelp;
                *options = o;
                return true;
            }
            if (arg == "--version") {
                o.action = DecodeOptions::Action::kVersion;
                *options = o;
                return true;
            }
            std::string value;
            bool matched = false;
            if (!TakeValue(args, &i, "--utc-offset", &value, &matched, error))
                return false;
            if (matched) {
                int64_t v = 0;
                if (!ParseInteger(value, -kMaxUtcOffsetMinutes, kMaxUtcOffsetMinutes, &v)) {
                    *error = "bad number for --utc-offset: '" + value +
                             "' (whole minutes from -1440 to 1440)";
                    return false;
                }
                o.utcOffsetGiven = true;
                o.utcOffsetMinutes = static_cast<int32_t>(v);
                continue;
            }
            if (!TakeValue(args, &i, "--line-ms", &value, &matched, error))
                return false;
            if (matched) {
                int64_t v = 0;
                if (!ParseInteger(value, 0, UINT32_MAX, &v)) {
                    *error = "bad number for --line-ms: '" + value +
                             "' (whole milliseconds from 0 to 4294967295)";
                    return false;
                }
                o.lineMs = static_cast<uint32_t>(v);
                continue;
            }
            if (arg == "--stats") {
                o.positionStats = true;
                continue;
            }
            if (!TakeValue(args, &i, "--reference", &value, &matched, error))
                return false;
            if (matched) {
                const char* message = "";
                if (!stats::ParseReference(value.c_str(), &o.reference, &message)) {
                    *error = "bad --reference '" + value + "': " + message;
                    return false;
                }
                continue;
            }
            *error = "unknown option '" + arg + "'";
            return false;
        }
        if (haveInput) {
            *error = "more than one input file ('" + o.input + "', '" + arg + "')";
            return false;
        }
        o.input = arg;
        haveInput = true;
    }
    if (!haveInput) {
        *error = "no input file (use - for standard input)";
        return false;
    }
    if (o.reference.given && !o.positionStats) {
        *error = "--reference needs --stats";
        return false;
    }
    *options = o;
    return true;
}
