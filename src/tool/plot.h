// One SVG page of a compacted scenario, for print and reports: the plan of
// the line with its stations, kilometre posts and curves, and beneath it the
// profile along the route (elevation, gradient, speed, curves, spans and
// signs, signals, stations) over the kilometre readings.
#pragma once

#include <string>
#include <vector>

#include "model/route_model.h"
#include "tool/view/route_items.h"
#include "tool/view/view_page.h"

namespace scenario::tool {

// The records of the stations, from 1 upward: every station the reader
// recorded has a number that is not 0 (its kind, or an end beyond 100 m).
std::vector<int> station_records(const RouteModel& model);

// The kilometre reading of a route position, as the kilometre-point breaks
// (records 81 to 83) give it, in metres.
std::int64_t kilometre_reading(const RouteModel& model, std::int64_t position);

struct PlotPage {
    ViewHeading heading;    // written at the top when given
    std::int64_t from = 0;  // the stretch drawn, in metres
    std::int64_t to = 0;
};

// The page, for a model with route cells and the items found in it (the plan
// is drawn when the plan geometry exists).
std::string plot_svg(const RouteModel& model, const RouteData& route, const PlotPage& page);

}  // namespace scenario::tool
