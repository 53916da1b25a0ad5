// One SVG page of a compacted scenario: the plan of the line from the plan
// geometry, with its stations, and beneath it the profile along the route.
#pragma once

#include <string>
#include <vector>

#include "model/route_model.h"

namespace scenario::tool {

// The records of the stations, from 1 upward: every station the reader
// recorded has a number that is not 0 (its kind, or an end beyond 100 m).
std::vector<int> station_records(const RouteModel& model);

// The kilometre reading of a route position, as the kilometre-point breaks
// (records 81 to 83) give it, in metres.
std::int64_t kilometre_reading(const RouteModel& model, std::int64_t position);

// The page, for a model with route cells (the plan is drawn when the plan
// geometry exists).
std::string plot_svg(const RouteModel& model);

}  // namespace scenario::tool
