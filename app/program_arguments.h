// The program's own command line, as Windows hands it over: split the way
// the shell quotes it (a double-clicked recording arrives as one quoted
// path), and a refusal told in a message box over the window.
#pragma once

#include <windows.h>

#include "link/command_line.h"

// `commandLine` is GetCommandLineW()'s text, the program's name first.
linkrules::CommandLineChoice ReadProgramArguments(const wchar_t* commandLine);

// The refusal's text in a message box owned by `owner`; the window goes on
// as if started without arguments.
void ShowArgumentsRefused(HWND owner, const linkrules::CommandLineChoice& choice);
