#include "tools/skyloom_sim/sim_options.h"

#include <cerrno>
#include <cstdlib>

namespace sim {
namespace {

constexpr long kBaudRates[] = {1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, 230400};

bool ParseLong(const std::string& text, long low, long high, long* value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high)
        return false;
    *value = v;
    return true;
}

bool ParseDouble(const std::string& text, double low, double high, double* value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !(v >= low && v <= high))
        return false;
    *value = v;
    return true;
}

bool ParseInt(const std::string& text, int low, int high, int* value) {
    long v = 0;
    if (!ParseLong(text, low, high, &v))
        return false;
    *value = static_cast<int>(v);
    return true;
}

}  // namespace

std::string UsageText() {
    return "Usage: skyloom-sim [OPTIONS] DEVICE\n"
           "       skyloom-sim [OPTIONS] --tcp-listen PORT\n"
           "       skyloom-sim [OPTIONS] --udp-to HOST:PORT\n"
           "A simulated GPS receiver: writes NMEA 0183 sentences to DEVICE (a tty or\n"
           "pseudo-terminal path on Linux, a COM port such as COM5 on Windows) at the\n"
           "pace of the baud rate, and answers receiver command sentences.\n"
           "\n"
           "Network instead of a device:\n"
           "  --tcp-listen PORT    a TCP server on PORT of 127.0.0.1 (this computer\n"
           "                       only), one client at a time, which gets the sentences\n"
           "                       and whose commands are answered; starts with the\n"
           "                       first client\n"
           "  --udp-to HOST:PORT   the sentences as datagrams to HOST:PORT (an IPv6\n"
           "                       address in brackets); no commands come back\n"
           "\n"
           "Output:\n"
           "  --baud N             pace of the output, 1200 to 230400 (default 4800)\n"
           "  --rate-hz N          reporting cycles per second, 1 to 20 (default 1)\n"
           "  --fix-after S        seconds of search before the 3D fix (default 8)\n"
           "  --fix-spread S       a start's search varies at random by up to S seconds\n"
           "                       either way for a cold start, in proportion for warm\n"
           "                       and hot starts (default 0)\n"
           "  --speed KMH          ground speed in km/h, 0 to 2000 (default 36)\n"
           "  --course DEG         course over ground in degrees (default 45)\n"
           "  --systems LIST       reported systems among GP,GL,GA,BD (default all)\n"
           "  --signals N          1: each satellite on its first signal (L1, E1, B1I);\n"
           "                       2: also on a second one (L5, G2, E5a, B2a) (default 1)\n"
           "  --seed N             choice of the simulated sky, the spread and the wander\n"
           "                       (default 1)\n"
           "  --wander M           the fix wanders as a real one does, M metres east and\n"
           "                       north (standard deviation; up 1.5 M), drifting over\n"
           "                       about 30 s; sends GST with that estimate (default 0)\n"
           "  --quality Q          fix quality: gps, dgps, rtk-float, rtk-fixed (default gps)\n"
           "  --replay FILE        send a recording instead, timed by its RMC/GGA times\n"
           "  --rate N             with --replay: N lines per second instead\n"
           "  --reply-delay S      seconds before a command is answered (default 0.25)\n"
           "\n"
           "Ending:\n"
           "  --cycles N           stop after N reporting cycles have been sent\n"
           "  --duration S         stop after S seconds\n"
           "  (without either, it runs until interrupted or the replay has been sent)\n"
           "\n"
           "Faults (N: every Nth line sent):\n"
           "  --bad-checksum N     one checksum digit wrong\n"
           "  --cut-lines N        line cut in half without its line end\n"
           "  --long-lines N       an extra line of 600 characters before it\n"
           "  --high-bytes N       bytes above 0x7F in it (checksum kept right)\n"
           "  --silence A:S        silent from A seconds after start, for S seconds\n"
           "\n"
           "Other:\n"
           "  --log-received FILE  write every byte received from the host to FILE\n"
           "  --log-sent FILE      write every byte sent to the device to FILE\n"
           "  -q, --quiet          no start and end notes on standard error\n"
           "  -h, --help           this text\n"
           "  --version            the version\n"
           "\n"
           "Commands answered: $PMTK605 (version, replies $PMTK705); $PMTK101, $PMTK102,\n"
           "$PMTK103, $PMTK104 (hot, warm, cold and full cold start: search again for\n"
           "1.5 s but no longer than a warm start, a third of --fix-after, --fix-after,\n"
           "and --fix-after with the factory settings back, each varied by --fix-spread);\n"
           "$PSRF151,01/00 (SBAS, replies WAAS Enable/Disable); $PSRF103 (VTG output);\n"
           "$PSRF150 (power save: one cycle in 5). Lines with a wrong checksum are\n"
           "ignored. The search after switch-on takes --fix-after exactly.\n"
           "\n"
           "Exit status: 0 done, 1 device or file error, 2 usage error.\n";
}

ParseResult ParseOptions(const std::vector<std::string>& args, SimOptions* o, std::string* error) {
    bool haveDevice = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-h" || a == "--help")
            return ParseResult::kHelp;
        if (a == "--version")
            return ParseResult::kVersion;
        if (a == "-q" || a == "--quiet") {
            o->quiet = true;
            continue;
        }
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            std::string name = a;
            std::string value;
            const size_t eq = a.find('=');
            if (eq != std::string::npos) {
                name = a.substr(0, eq);
                value = a.substr(eq + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                *error = "option " + a + " needs a value";
                return ParseResult::kError;
            }
            bool ok = true;
            if (name == "--baud") {
                ok = false;
                long baud = 0;
                if (ParseLong(value, 1, 10000000, &baud)) {
                    for (long b : kBaudRates)
                        ok = ok || b == baud;
                }
                if (ok)
                    o->baud = baud;
            } else if (name == "--rate-hz") {
                ok = ParseDouble(value, 1, 20, &o->rateHz);
            } else if (name == "--fix-after") {
                ok = ParseDouble(value, 0, 86400, &o->receiver.fixAfterSeconds);
            } else if (name == "--fix-spread") {
                ok = ParseDouble(value, 0, 86400, &o->receiver.fixSpreadSeconds);
            } else if (name == "--speed") {
                ok = ParseDouble(value, 0, 2000, &o->receiver.speedKmh);
            } else if (name == "--course") {
                ok = ParseDouble(value, 0, 359.99, &o->receiver.courseDegrees);
            } else if (name == "--systems") {
                o->receiver.systems = ParseSystems(value);
                ok = o->receiver.systems != 0;
            } else if (name == "--signals") {
                ok = ParseInt(value, 1, 2, &o->receiver.signals);
            } else if (name == "--seed") {
                long seed = 0;
                ok = ParseLong(value, 0, 2147483647L, &seed);
                o->receiver.seed = static_cast<unsigned>(seed);
            } else if (name == "--wander") {
                ok = ParseDouble(value, 0, 10000, &o->receiver.wanderMetres);
            } else if (name == "--quality") {
                o->receiver.quality = ParseQuality(value);
                ok = o->receiver.quality != 0;
                if (!ok)
                    o->receiver.quality = 1;
            } else if (name == "--replay") {
                o->replayPath = value;
                ok = !value.empty();
            } else if (name == "--rate") {
                ok = ParseDouble(value, 0.001, 100000, &o->replayRate);
            } else if (name == "--reply-delay") {
                ok = ParseDouble(value, 0, 60, &o->replyDelay);
            } else if (name == "--cycles") {
                ok = ParseLong(value, 1, 100000000, &o->cycles);
            } else if (name == "--duration") {
                ok = ParseDouble(value, 0.001, 1e7, &o->duration);
            } else if (name == "--bad-checksum") {
                ok = ParseInt(value, 1, 1000000, &o->faults.badChecksumEvery);
            } else if (name == "--cut-lines") {
                ok = ParseInt(value, 1, 1000000, &o->faults.cutEvery);
            } else if (name == "--long-lines") {
                ok = ParseInt(value, 1, 1000000, &o->faults.longEvery);
            } else if (name == "--high-bytes") {
                ok = ParseInt(value, 1, 1000000, &o->faults.highBytesEvery);
            } else if (name == "--silence") {
                const size_t colon = value.find(':');
                ok = colon != std::string::npos &&
                     ParseDouble(value.substr(0, colon), 0, 1e7, &o->faults.silenceAfter) &&
                     ParseDouble(value.substr(colon + 1), 0, 1e7, &o->faults.silenceFor);
            } else if (name == "--tcp-listen") {
                ok = ParseLong(value, 1, 65535, &o->tcpListen);
            } else if (name == "--udp-to") {
                const size_t colon = value.rfind(':');
                long port = 0;
                ok = colon != std::string::npos && colon > 0 &&
                     ParseLong(value.substr(colon + 1), 1, 65535, &port);
                o->udpTo = value;
            } else if (name == "--log-received") {
                o->logReceived = value;
                ok = !value.empty();
            } else if (name == "--log-sent") {
                o->logSent = value;
                ok = !value.empty();
            } else {
                *error = "unknown option " + name;
                return ParseResult::kError;
            }
            if (!ok) {
                *error = "bad value '" + value + "' for " + name;
                return ParseResult::kError;
            }
            continue;
        }
        if (a.size() > 1 && a[0] == '-') {
            *error = "unknown option " + a;
            return ParseResult::kError;
        }
        if (haveDevice) {
            *error = "more than one device given";
            return ParseResult::kError;
        }
        o->device = a;
        haveDevice = true;
    }
    const int outputs = (haveDevice ? 1 : 0) + (o->tcpListen ? 1 : 0) + (o->udpTo.empty() ? 0 : 1);
    if (outputs == 0) {
        *error = "no device given";
        return ParseResult::kError;
    }
    if (outputs > 1) {
        *error = "give one of DEVICE, --tcp-listen and --udp-to";
        return ParseResult::kError;
    }
    if (o->replayRate > 0 && o->replayPath.empty()) {
        *error = "--rate needs --replay";
        return ParseResult::kError;
    }
    return ParseResult::kRun;
}

}  // namespace sim
