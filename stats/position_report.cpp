#include "stats/position_report.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace stats {

const FigureRow kFigureRows[] = {
    {"refLat", "ref_lat", "Ref. latitude", &PositionFigures::refLat, 9},
    {"refLon", "ref_lon", "Ref. longitude", &PositionFigures::refLon, 9},
    {"refAlt", "ref_alt_m", "Ref. altitude", &PositionFigures::refAlt, 3},
    {"cep50", "cep50_m", "CEP50", &PositionFigures::cep50, 3},
    {"cep95", "cep95_m", "CEP95", &PositionFigures::cep95, 3},
    {"drms", "drms_m", "DRMS", &PositionFigures::drms, 3},
    {"twoDrms", "2drms_m", "2DRMS", &PositionFigures::twoDrms, 3},
    {"maxH", "max_h_m", "Max. horizontal", &PositionFigures::maxH, 3},
    {"sdEast", "sd_east_m", "SD east", &PositionFigures::sdEast, 3},
    {"sdNorth", "sd_north_m", "SD north", &PositionFigures::sdNorth, 3},
    {"sdUp", "sd_up_m", "SD up", &PositionFigures::sdUp, 3},
    {"altMean", "alt_mean_m", "Alt. mean", &PositionFigures::altMean, 3},
    {"altMin", "alt_min_m", "Alt. min", &PositionFigures::altMin, 3},
    {"altMax", "alt_max_m", "Alt. max", &PositionFigures::altMax, 3},
    {"gstH", "gst_h_m", "GST horizontal", &PositionFigures::gstH, 3},
    {"gstV", "gst_v_m", "GST vertical", &PositionFigures::gstV, 3},
    {"seconds", "seconds", "Time span", &PositionFigures::seconds, 3},
};
const size_t kFigureRowCount = sizeof kFigureRows / sizeof kFigureRows[0];

const char* const kQualityJsonNames[kQualityBuckets] = {"gps",      "dgps",     "pps",
                                                        "rtkFixed", "rtkFloat", "other"};
const char* const kQualityCsvNames[kQualityBuckets] = {"gps",       "dgps",      "pps",
                                                       "rtk_fixed", "rtk_float", "other"};

size_t FormatFigure(char* out, size_t cap, double value, int decimals) {
    if (cap == 0)
        return 0;
    out[0] = 0;
    if (!std::isfinite(value))
        return 0;
    // -0.000 would read as a sign where there is none.
    const double scale = std::pow(10.0, decimals);
    if (std::round(value * scale) == 0.0)
        value = 0.0;
    const int n = std::snprintf(out, cap, "%.*f", decimals, value);
    return n < 0 ? 0 : static_cast<size_t>(n);
}

namespace {

// Collects the text in pieces of about 64 KiB: a full series is some 130 MB.
class Chunks {
  public:
    explicit Chunks(const TextSink& sink) : sink_(sink) {}
    void Add(const char* text) {
        text_ += text;
        if (text_.size() >= 65536)
            Flush();
    }
    void Figure(double value, int decimals) {
        char buf[64];
        FormatFigure(buf, sizeof buf, value, decimals);
        Add(buf);
    }
    bool Flush() {
        if (ok_ && !text_.empty())
            ok_ = sink_(text_.data(), text_.size());
        text_.clear();
        return ok_;
    }

  private:
    const TextSink& sink_;
    std::string text_;
    bool ok_ = true;
};

void Utc(Chunks& out, double seconds) {
    if (!std::isfinite(seconds))
        return;
    const long long centis = std::llround(std::fmod(seconds, 86400.0) * 100.0) % 8640000;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld.%02lld", centis / 360000,
                  centis / 6000 % 60, centis / 100 % 60, centis % 100);
    out.Add(buf);
}

}  // namespace

bool WritePositionCsv(const PositionSeries& series, const PositionReference& chosen,
                      const TextSink& sink) {
    const PositionFigures figures = series.Figures(chosen);
    const PositionReference ref = series.ReferenceFor(chosen);
    const LocalPlane plane = PlaneAt(ref.latitude, ref.longitude);
    Chunks out(sink);
    out.Add(
        "utc,latitude,longitude,altitude,quality,satellites,hdop,east,north,up,"
        "horizontal_error,gst_sd_lat,gst_sd_lon,gst_sd_alt\r\n");
    for (const PositionFix& f : series.fixes()) {
        double east = 0, north = 0;
        plane.Offset(f.latitude, f.longitude, &east, &north);
        char whole[16];
        Utc(out, f.seconds);
        out.Add(",");
        out.Figure(f.latitude, 9);
        out.Add(",");
        out.Figure(f.longitude, 9);
        out.Add(",");
        out.Figure(f.altitude, 3);
        std::snprintf(whole, sizeof whole, ",%u,", unsigned{f.quality});
        out.Add(whole);
        if (f.satellites >= 0) {
            std::snprintf(whole, sizeof whole, "%d", int{f.satellites});
            out.Add(whole);
        }
        out.Add(",");
        out.Figure(f.hdop, 2);
        const double values[] = {
            east,       north,     f.altitude - ref.altitude, std::hypot(east, north), f.gstSdLat,
            f.gstSdLon, f.gstSdAlt};
        for (double v : values) {
            out.Add(",");
            out.Figure(v, 3);
        }
        out.Add("\r\n");
    }
    char count[32];
    std::snprintf(count, sizeof count, "\r\nfixes,%zu\r\n", figures.fixes);
    out.Add(count);
    for (size_t q = 0; q < kQualityBuckets; ++q) {
        std::snprintf(count, sizeof count, ",%zu\r\n", figures.byQuality[q]);
        out.Add(kQualityCsvNames[q]);
        out.Add(count);
    }
    std::snprintf(count, sizeof count, "not_kept,%zu\r\n", series.notKept());
    out.Add(count);
    out.Add(figures.referenceGiven ? "reference,given\r\n" : "reference,mean\r\n");
    for (size_t i = 0; i < kFigureRowCount; ++i) {
        out.Add(kFigureRows[i].csv);
        out.Add(",");
        out.Figure(figures.*kFigureRows[i].value, kFigureRows[i].decimals);
        out.Add("\r\n");
    }
    return out.Flush();
}

}  // namespace stats
