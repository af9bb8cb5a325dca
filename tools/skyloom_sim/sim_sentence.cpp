#include "tools/skyloom_sim/sim_sentence.h"

namespace sim {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

uint8_t Checksum(const std::string& body) {
    uint8_t sum = 0;
    for (char c : body)
        sum = static_cast<uint8_t>(sum ^ static_cast<uint8_t>(c));
    return sum;
}

std::string Frame(const std::string& body) {
    static const char kDigits[] = "0123456789ABCDEF";
    const uint8_t sum = Checksum(body);
    std::string line;
    line.reserve(body.size() + 6);
    line += '$';
    line += body;
    line += '*';
    line += kDigits[sum >> 4];
    line += kDigits[sum & 0x0F];
    line += "\r\n";
    return line;
}

bool HasValidChecksum(const std::string& line) {
    size_t end = line.size();
    while (end > 0 && (line[end - 1] == '\n' || line[end - 1] == '\r'))
        --end;
    if (end < 4 || line[0] != '$' || line[end - 3] != '*')
        return false;
    const int high = HexValue(line[end - 2]);
    const int low = HexValue(line[end - 1]);
    if (high < 0 || low < 0)
        return false;
    return Checksum(line.substr(1, end - 4)) == static_cast<uint8_t>(high * 16 + low);
}

}  // namespace sim
