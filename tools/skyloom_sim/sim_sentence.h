// Framing of the sentences the simulated receiver sends: '$', the body, '*',
// two upper-case hexadecimal digits of the exclusive-or of the body, CR LF.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

// Exclusive-or of every byte of body (the text between '$' and '*').
uint8_t Checksum(const std::string& body);

// "$" + body + "*HH\r\n".
std::string Frame(const std::string& body);

// True when line is "$...*HH" with the right sum, optionally followed by CR
// and/or LF. Digits may be either case, as receivers accept both.
bool HasValidChecksum(const std::string& line);

}  // namespace sim
