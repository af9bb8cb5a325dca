// The status panel at any size and DPI. The default panel at 96 dpi is the
// one the program always painted (status_layout.h); at another DPI it is
// that panel scaled; a larger panel gives the sky chart what its height
// allows and the signal grid the width right of the texts, each system in
// rows of its own. Every text's box grows to what the font needs, within the
// room its neighbours leave.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "panels/sky_projection.h"
#include "panels/status_layout.h"

namespace status_layout {

// The panel's visible size in pixels and its monitor's DPI. A zero size
// stands for the default panel.
struct View {
    int32_t width = 0;
    int32_t height = 0;
    int32_t dpi = 96;
};

// The default panel's visible size at 96 dpi (574 x 248 under Wine, a few
// pixels less on Windows): up to a little more than that, a panel stays the
// default one.
constexpr int32_t kDefaultWidth = 574;
constexpr int32_t kDefaultHeight = 248;
constexpr int32_t kDefaultSlack = 24;

enum class TextFont {
    kPanel,  // the labels and values, and the classic grids' numbers
    kLabel,  // the small font of the grid by system and the markers
};

struct Extent {
    int32_t width;
    int32_t height;
};

// How large a text comes out in one of the panel's fonts at the panel's DPI.
class TextMeter {
  public:
    virtual Extent Measure(const char16_t* text, TextFont font) const = 0;

  protected:
    ~TextMeter() = default;
};

// More of the fix, which only a panel larger than the default has room for.
struct FixDetails {
    bool altitudeKnown = false;
    double altitude = 0;          // metres above mean sea level
    int32_t satellitesUsed = -1;  // -1: not known
    int32_t satellitesInView = 0;
    bool qualityKnown = false;
    int32_t quality = 0;  // as GGA numbers it, 0 to 8
};

// GGA's fix quality in words: "No fix", "GPS", "DGPS", "PPS", "RTK fixed",
// "RTK float", "Dead reckoning", "Manual", "Simulated"; null for any other.
const char16_t* FixQualityWords(int32_t quality);

// Altitude, satellites used / in view, fix quality: labels and values.
constexpr size_t kDetailRows = 3;
constexpr size_t kDetailCapacity = 24;

// A system's rows in the larger grid begin with its letter.
struct SystemRow {
    Box letterBox;
    char16_t letter[2];
};

struct PanelPlan {
    PanelPlan() = default;
    PanelPlan(const PanelPlan&) = delete;
    PanelPlan& operator=(const PanelPlan&) = delete;

    bool large = false;
    int32_t dpi = 96;
    Box chart{0, 0, kSkySize, kSkySize};  // the sky chart's square
    // The 155-pixel picture as it is: the default panel at 96 dpi. Anywhere
    // else it would be stretched, and the chart is drawn instead.
    bool pictureChart = true;
    // The panel's texts made from the model; `texts` points into them, as
    // `details` points into detailTexts, so a plan is never copied.
    StatusTexts shown{};
    std::array<TextItem, kTextItems> texts{};
    std::array<SystemRow, kGnssSystems> rows{};
    size_t rowCount = 0;
    // The details' labels and values where the panel has room for them.
    std::array<TextItem, 2 * kDetailRows> details{};
    size_t detailCount = 0;
    char16_t detailTexts[kDetailRows][kDetailCapacity] = {};
    Plan satellites;
};

// A design length (96 dpi) at `dpi`, rounded half away from zero.
int32_t ScaleLength(int32_t value, int32_t dpi);
Box ScaleBox(const Box& b, int32_t dpi);

// True when `view` shows the default panel (scaled to its DPI).
bool IsDefaultView(const View& view);

void PlanPanel(const ReceiverModel& status, bool logOpen, int32_t snrOffset, const View& view,
               const TextMeter& meter, PanelPlan* plan, const FixDetails& details = {});

// The chart's geometry inside its square: the zenith and the horizon's
// radius, where the picture has them (77 and 63 of 155 pixels).
struct ChartCircle {
    int32_t centerX;
    int32_t centerY;
    int32_t radius;
};
ChartCircle ChartCircleOf(const Box& chart);

}  // namespace status_layout
