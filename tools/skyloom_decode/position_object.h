// skyloom-decode --stats: the position figures of the whole recording as one
// object before the summary.
#pragma once

#include "stats/position_stats.h"
#include "tools/skyloom_decode/json_writer.h"

// {"kind":"position","fixes":N,"byQuality":{"gps":..,"dgps":..,"pps":..,
//  "rtkFixed":..,"rtkFloat":..,"other":..},"reference":"mean"|"given",
//  "refLat":..,"refLon":..,"refAlt":..,"cep50":..,...,"seconds":..}
// Metres and seconds with 3 decimals, degrees with 9, null where there is
// nothing to compute.
void WritePositionObject(JsonWriter& out, const stats::PositionFigures& figures);
