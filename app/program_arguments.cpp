#include "app/program_arguments.h"

#include <shellapi.h>

#include <string>
#include <vector>

linkrules::CommandLineChoice ReadProgramArguments(const wchar_t* commandLine) {
    std::vector<std::u16string> args;
    int count = 0;
    // An empty text would make CommandLineToArgvW name this executable: the
    // program's name comes first either way, and is skipped.
    if (commandLine && *commandLine) {
        LPWSTR* argv = CommandLineToArgvW(commandLine, &count);
        if (argv) {
            for (int i = 1; i < count; ++i) {
                const wchar_t* a = argv[i];
                args.emplace_back(a, a + lstrlenW(a));
            }
            LocalFree(argv);
        }
    }
    return linkrules::ParseCommandLine(args);
}

void ShowArgumentsRefused(HWND owner, const linkrules::CommandLineChoice& choice) {
    MessageBoxW(owner, reinterpret_cast<const wchar_t*>(choice.error.c_str()), L"Skyloom",
                MB_OK | MB_ICONWARNING);
}
