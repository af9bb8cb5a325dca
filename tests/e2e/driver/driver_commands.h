// The driver's command language: one command a line, words separated by
// blanks, texts escaped (\\, \s for a blank, \r, \n, \t, \uXXXX). Every answer
// is one line, "ok" with an escaped payload or "err" with a reason. A control
// is a setup panel id, "console", "main", "setup", or "ttff:ID" and
// "position:ID" for one of the TTFF test and Position Statistics windows.
#pragma once

#include <string>

#include "tests/e2e/driver/driver_window.h"

namespace driver {

std::string Escape(const std::wstring& text);
std::wstring Unescape(const std::string& text);

class Session {
  public:
    // Runs one command line; sets *quit for "quit".
    std::string Execute(const std::string& line, bool* quit);

    ~Session();

  private:
    bool EnsureTarget(std::string* error);
    std::string FileCommand(const std::string& cmd, const std::string& path);
    Target target_;
    HANDLE held_ = INVALID_HANDLE_VALUE;  // a file kept open for writing ("hold")
};

}  // namespace driver
