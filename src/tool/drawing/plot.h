// One SVG page of a compacted scenario, for print and reports: the plan of
// the line with its stations, kilometre posts and curves, and beneath it the
// profile along the route (elevation, gradient, speed, curves, spans and
// signs, signals, stations) over the kilometre readings.
#pragma once

#include <string>
#include <vector>

#include "model/route_model.h"
#include "tool/drawing/route_items.h"
#include "tool/drawing/view_page.h"

namespace scenario::tool {

struct PlotPage {
    ViewHeading heading;    // written at the top when given
    std::int64_t from = 0;  // the stretch drawn, in metres
    std::int64_t to = 0;
};

// The page, for a model with route cells and the items found in it (the plan
// is drawn when the plan geometry exists).
std::string plot_svg(const RouteModel& model, const RouteData& route, const PlotPage& page);

}  // namespace scenario::tool
