#include "panels/window_layout.h"

#include <algorithm>

#include "panels/status_geometry.h"

namespace window_layout {

namespace {

// The setup panel's height in the default view: half the client area and 30
// pixels more, truncated, as the window has always split it.
constexpr int32_t SplitOf(int32_t clientHeight) {
    return clientHeight / 2 + 30;
}

}  // namespace

int32_t Scale(int32_t value, int32_t dpi) {
    return status_layout::ScaleLength(value, dpi);
}

Size HomeAt(Size home96, int32_t dpi) {
    return {Scale(home96.width, dpi), Scale(home96.height, dpi)};
}

Layout LayOut(Size client, Size home96, int32_t dpi, int32_t advancedExtra) {
    const Size home = HomeAt(home96, dpi);
    const int32_t split = Scale(SplitOf(home96.height), dpi);
    const int32_t extraWidth = std::max(0, client.width - home.width);
    const int32_t extraHeight = std::max(0, client.height - home.height - advancedExtra);
    const int32_t consoleExtra = extraHeight * kConsoleFifths / 5;

    Layout out{};
    out.consoleHome = {Scale(kConsoleDesign.left, dpi), Scale(kConsoleDesign.top, dpi),
                       Scale(kConsoleDesign.right, dpi) + extraWidth,
                       Scale(kConsoleDesign.bottom, dpi) + consoleExtra};
    const int32_t setupHeight = split + consoleExtra + advancedExtra;
    out.setup = {0, 0, client.width, setupHeight};
    out.statusShown = std::max(0, client.height - setupHeight);
    // In the default view the status panel keeps the whole client height, its
    // lowest part below the window as it always was; a larger window gives it
    // exactly what shows.
    const bool home_size = extraWidth == 0 && extraHeight == 0;
    const int32_t statusHeight = home_size ? home.height : out.statusShown;
    out.status = {0, setupHeight, client.width, setupHeight + statusHeight};
    return out;
}

}  // namespace window_layout
