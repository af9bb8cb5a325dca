// Reading the simulated receiver's sentences in tests.
#pragma once

#include <string>
#include <vector>

// The comma-separated fields of a sentence up to its '*', the address first.
inline std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> out(1);
    for (char c : line.substr(0, line.find('*'))) {
        if (c == ',') {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

inline std::vector<std::string> WithPrefix(const std::vector<std::string>& lines,
                                           const std::string& p) {
    std::vector<std::string> out;
    for (const std::string& l : lines) {
        if (l.compare(0, p.size(), p) == 0)
            out.push_back(l);
    }
    return out;
}
