// The position figures as text: one table of them that skyloom-decode's JSON,
// the CSV and the window all read, so each figure has one name and one
// precision everywhere.
#pragma once

#include <cstddef>
#include <functional>

#include "stats/position_stats.h"

namespace stats {

struct FigureRow {
    const char* json;   // skyloom-decode's key
    const char* csv;    // the CSV's name
    const char* label;  // the window's label
    double PositionFigures::*value;
    int decimals;  // 9 for degrees, 3 for metres and seconds
};

extern const FigureRow kFigureRows[];
extern const size_t kFigureRowCount;

// byQuality's keys and the CSV's names, in QualityBucket order.
extern const char* const kQualityJsonNames[kQualityBuckets];
extern const char* const kQualityCsvNames[kQualityBuckets];

// "%.*f" of the value; empty for NaN. Returns the length.
size_t FormatFigure(char* out, size_t cap, double value, int decimals);

// Receives the CSV text piece by piece; false stops the writing (a full disk).
using TextSink = std::function<bool(const char* text, size_t size)>;

// Every kept fix, then an empty line and the figures as name,value lines,
// lines ended by CR LF:
//   utc,latitude,longitude,altitude,quality,satellites,hdop,east,north,up,
//   horizontal_error,gst_sd_lat,gst_sd_lon,gst_sd_alt
//   10:15:42.00,48.117300000,11.516700000,545.400,4,12,0.86,0.000,...
// Empty fields where a value was not sent. False when the sink refused.
bool WritePositionCsv(const PositionSeries& series, const PositionReference& chosen,
                      const TextSink& sink);

}  // namespace stats
