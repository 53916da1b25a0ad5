// How the stored numbers of the route cells and records read in the author's
// terms. The packing of every field, and where a cell's item stands on the
// route, are the model's (model/packing.h, model/placement.h); this adds
// what the drawings make of them.
#pragma once

#include <cstdint>

#include "model/packing.h"
#include "model/placement.h"
#include "model/route_model.h"

namespace scenario::tool {

inline int gradient_per_mille(const RouteCell& cell) { return unpack_gradient(cell.gradient); }
inline int speed_limit_kmh(const RouteCell& cell) { return unpack_speed_limit(cell.speedLimit); }

// A station's seventh code: the intermediate stops of a timetable carry their
// dwell time in seconds there (60 at the stops of the embedded run, whose
// sheet gives them a departure one minute after the arrival); 0 and 1 mark
// passing, values above 100 are codes of their own.
inline constexpr int shortest_dwell_seconds = 2;
inline constexpr int longest_dwell_seconds = 100;

}  // namespace scenario::tool
