// The program's arguments, `skyloom.exe [SOURCE] [--baud N]`: SOURCE is a
// port ("COM5"), a recording's path (what a double-click on a .pgl hands
// over) or a network address; it is opened at start as if chosen and
// started by hand.
#pragma once

#include <string>
#include <vector>

#include "link/chosen_source.h"

namespace linkrules {

struct CommandLineChoice {
    SourceSpec source;     // kNone: nothing to open (no SOURCE, or an error)
    int baudIndex = 0;     // into kBaudRates: --baud, else the preselected rate
    std::u16string error;  // the message box's text; empty when the arguments are sound
};

// `args` without the program's own name. Any error leaves the source kNone
// and the preselected rate, so the window starts as without arguments.
CommandLineChoice ParseCommandLine(const std::vector<std::u16string>& args);

}  // namespace linkrules
