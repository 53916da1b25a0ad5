// Everything a compacted scenario holds along its route, as items an author
// recognises (stations, signals, boards, slowdowns, curves, spans, signs, the
// gradient, speed and adhesion steps) with their positions in metres and
// every stored value: the common ground of the viewer page and the SVG plot,
// whether the model came from descriptions or from the binary files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "model/route_model.h"
#include "tool/base/kilometres.h"

namespace scenario::tool {

enum class ItemKind {
    station,
    signal,
    speed_boards,
    slowdown,
    warning_board,
    slowdown_approach,
    restriction,
    sign,
    mountain_span,
    curve,
    gradient,
    speed,
    adhesion,
    kilometre_break,
};

// The item's name in the page's data and in messages: "signal",
// "speed-boards", "mountain-span".
const char* kind_key(ItemKind kind);

using ItemValue = std::variant<std::int64_t, double, std::string>;

struct ItemField {
    std::string name;
    ItemValue value;
};

// Where the row of an item stands in the author's descriptions.
struct ItemSource {
    std::string file;
    int line = 0;
};

struct RouteItem {
    ItemKind kind = ItemKind::signal;
    std::int64_t at = 0;    // where its mark stands, metres from the start of the route
    std::int64_t from = 0;  // the stretch it covers; both equal `at` for an item at one place
    std::int64_t to = 0;
    std::int64_t cell = -1;         // the route cell that holds it; -1 when none does
    double value = 0;               // the number drawn: a speed, a gradient, a type or class
    int side = 0;                   // curves and boards: -1 left-hand, 1 right-hand
    std::string label;              // the short text written beside its mark (UTF-8)
    std::vector<ItemField> fields;  // every stored value, then what follows from them
    std::optional<ItemSource> source;
};

struct PlanPoint {
    std::int64_t metre = 0;
    double x = 0;
    double y = 0;
};

struct RouteData {
    std::int64_t routeLength = 0;  // as recorded; 0 when the records give none
    std::int64_t extent = 0;       // the metres shown: the route and any item beyond it
    KilometreBreaks breaks;
    // Ordered by position, then by kind.
    std::vector<RouteItem> items;
    // Height at the start of every cell of the route and at the end of the
    // last, in metres above the start, from the gradients.
    std::vector<double> elevation;
    // The plan geometry thinned to what the eye can tell apart: the ends of
    // every straight and every curve, and points along the curves.
    std::vector<PlanPoint> plan;
    std::string title;  // as the records hold them (UTF-8)
    std::string trainCode;
    std::int64_t trackMetres = 0;  // metres of plan geometry; 0 without it
};

RouteData route_data(const RouteModel& model);

// Curves found in the plan geometry, metre by metre: a step that turns the
// direction by k per metre belongs to a curve of curvature k.
std::vector<RouteItem> curves_of(const Track& track, std::int64_t last_metre);

// The plan thinned to within `tolerance` metres of every built metre.
std::vector<PlanPoint> thinned_plan(const Track& track, const std::vector<RouteItem>& curves, std::int64_t last_metre,
                                    double tolerance);

}  // namespace scenario::tool
