// skyloom-driver: drives a running skyloom.exe from a second process, for the
// end-to-end tests and for the main-job script on a display without a user.
//   skyloom-driver [--desktop NAME] COMMAND [ARGS...]   one command
//   skyloom-driver [--desktop NAME] --serve             commands from stdin
// See driver_commands.h for the language.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "tests/e2e/driver/driver_commands.h"

namespace {

// Windows of a Wine virtual desktop ("explorer /desktop=NAME") are found only
// from a thread of that desktop. The desktop may still be coming up.
bool JoinDesktop(const char* name) {
    wchar_t wide[256] = {};
    MultiByteToWideChar(CP_UTF8, 0, name, -1, wide, 255);
    for (int attempt = 0; attempt < 300; ++attempt) {
        HDESK desk = OpenDesktopW(wide, 0, FALSE, GENERIC_ALL);
        if (desk != nullptr)
            return SetThreadDesktop(desk) != FALSE;
        Sleep(100);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--desktop") == 0) {
        if (!JoinDesktop(argv[2])) {
            std::fprintf(stderr, "skyloom-driver: no desktop %s\n", argv[2]);
            return 2;
        }
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr,
                     "usage: skyloom-driver [--desktop NAME] (--serve | COMMAND ARGS...)\n");
        return 2;
    }
    driver::Session session;
    bool quit = false;
    if (std::strcmp(argv[first], "--serve") == 0) {
        std::string line;
        while (!quit && std::getline(std::cin, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const std::string answer = session.Execute(line, &quit);
            std::fputs((answer + "\n").c_str(), stdout);
            std::fflush(stdout);
        }
        return 0;
    }
    std::string line;
    for (int i = first; i < argc; ++i) {
        if (i > first)
            line += ' ';
        line += argv[i];
    }
    const std::string answer = session.Execute(line, &quit);
    std::puts(answer.c_str());
    return answer.compare(0, 2, "ok") == 0 ? 0 : 1;
}
