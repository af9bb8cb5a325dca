#include "tools/skyloom_sim/sim_faults.h"

#include "tools/skyloom_sim/sim_sentence.h"

namespace sim {
namespace {

bool Every(long count, int n) {
    return n > 0 && count % n == 0;
}

// Position of the '*' of a framed sentence "$...*HH\r\n", or npos.
size_t StarOf(const std::string& line) {
    const size_t star = line.rfind('*');
    if (star == std::string::npos || star + 3 > line.size())
        return std::string::npos;
    return star;
}

}  // namespace

std::string FaultInjector::Apply(const std::string& line) {
    const long n = ++count_;
    std::string out = line;

    if (Every(n, options_.highBytesEvery)) {
        const size_t star = StarOf(out);
        const size_t comma = out.find(',');
        if (star != std::string::npos && comma != std::string::npos && comma < star &&
            out[0] == '$') {
            // A degree sign and a Latin-1 letter, as some receivers put into text fields.
            std::string body = out.substr(1, star - 1);
            body.insert(comma, "\xB0\xE9");
            out = Frame(body);
        } else {
            out.insert(out.size() > 2 ? 1 : 0, "\xB0\xE9");
        }
    }
    if (Every(n, options_.badChecksumEvery)) {
        const size_t star = StarOf(out);
        if (star != std::string::npos) {
            char& digit = out[star + 2];
            digit = digit == '0' ? '1' : '0';
        }
    }
    if (Every(n, options_.cutEvery)) {
        out.resize(out.size() / 2);
    }
    if (Every(n, options_.longEvery)) {
        std::string body = "GPTXT,01,01,02,";
        body.append(kLongLineChars - body.size() - 6, 'X');
        out = Frame(body) + out;
    }
    return out;
}

bool FaultInjector::Silent(double t) const {
    return options_.silenceAfter >= 0 && t >= options_.silenceAfter &&
           t < options_.silenceAfter + options_.silenceFor;
}

}  // namespace sim
