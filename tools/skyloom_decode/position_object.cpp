#include "tools/skyloom_decode/position_object.h"

#include <cstring>

#include "stats/position_report.h"

void WritePositionObject(JsonWriter& out, const stats::PositionFigures& figures) {
    out.Raw("{\"kind\":\"position\",\"fixes\":");
    out.Unsigned(figures.fixes);
    out.Raw(",\"byQuality\":{");
    for (size_t q = 0; q < stats::kQualityBuckets; ++q) {
        if (q > 0)
            out.Raw(",");
        out.Raw("\"");
        out.Raw(stats::kQualityJsonNames[q], std::strlen(stats::kQualityJsonNames[q]));
        out.Raw("\":");
        out.Unsigned(figures.byQuality[q]);
    }
    if (figures.referenceGiven)
        out.Raw("},\"reference\":\"given\"");
    else
        out.Raw("},\"reference\":\"mean\"");
    for (size_t i = 0; i < stats::kFigureRowCount; ++i) {
        const stats::FigureRow& row = stats::kFigureRows[i];
        out.Raw(",\"");
        out.Raw(row.json, std::strlen(row.json));
        out.Raw("\":");
        char number[64];
        const size_t n =
            stats::FormatFigure(number, sizeof number, figures.*row.value, row.decimals);
        if (n == 0)
            out.Raw("null");
        else
            out.Raw(number, n);
    }
    out.Raw("}\n");
}
