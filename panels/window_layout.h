// Where the main window puts its two panels and the console, free of any
// window API. At the default size and 96 dpi every place is the one the
// window always had; a larger window gives the console part of the extra
// height and all the extra width (more and longer lines), and the status
// panel the rest of the height for its sky chart and grids.
#pragma once

#include <cstdint>

#include "panels/status_layout.h"

namespace window_layout {

using status_layout::Box;

struct Size {
    int32_t width;
    int32_t height;
};

// The client area a 580 x 600 window of the fixed frame had at 96 dpi: the
// default and the least client area, at every DPI scaled from it.
struct Layout {
    Box setup;            // the setup panel, in the main window's client area
    Box consoleHome;      // the console with the advanced controls hidden, in the setup panel
    Box status;           // the status panel, in the main window's client area
    int32_t statusShown;  // how much of the status panel's height the client area shows
};

// The console's place in the default view at 96 dpi.
constexpr Box kConsoleDesign = {20, 100, 550, 290};

// Of the height beyond the default, the console's share in fifths: the
// status panel needs the rest to give the sky chart its size.
constexpr int32_t kConsoleFifths = 2;

// `home96`: the default client area at 96 dpi; `advancedExtra`: how much
// taller than by default the setup panel is with its advanced controls
// (0 when hidden), in pixels at `dpi`.
Layout LayOut(Size client, Size home96, int32_t dpi, int32_t advancedExtra);

// A design length at `dpi`, rounded to the nearest pixel.
int32_t Scale(int32_t value, int32_t dpi);

// The default client area at `dpi`.
Size HomeAt(Size home96, int32_t dpi);

}  // namespace window_layout
