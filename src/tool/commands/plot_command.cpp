// scenario-tool plot: the line's plan and profile on one SVG page, from the
// descriptions or from the compiled files.
#include <algorithm>

#include "tool/commands/commands.h"
#include "tool/commands/scenario_input.h"
#include "tool/drawing/plot.h"
#include "tool/drawing/route_range.h"

namespace scenario::tool {

int plot_command(const PlotOptions& options, std::ostream& out, std::ostream& err) {
    if (options.out.empty()) throw UsageError("--out is required: the SVG file, or - for standard output");
    // A folder, FIFO or device at the name is refused before the work.
    const ScenarioInput input{options.sources, options.records, options.cells, options.geometry};
    require_drawing_output(options.out, input);
    LoadedScenario s = load_scenario(input, err);
    if (!s.drawable) return s.status;

    const RouteModel& m = s.compaction.model;
    RouteData route = route_data(m);
    PlotPage page;
    page.heading = s.heading;
    page.from = 0;
    page.to = route.extent;
    if (!options.from.empty()) page.from = route_position(options.from, route, "--from");
    if (!options.to.empty()) page.to = route_position(options.to, route, "--to");
    if (page.to <= page.from) {
        throw UsageError("--to (" + std::to_string(page.to) + " m) must lie beyond --from (" +
                         std::to_string(page.from) + " m)");
    }
    // Only the route is drawn: a stretch reaching beyond it is cut to it.
    page.from = std::max<std::int64_t>(page.from, 0);
    page.to = std::min(page.to, route.extent);
    if (page.to <= page.from) {
        throw UsageError("the stretch from --from to --to lies outside the route (0 to " +
                         std::to_string(route.extent) + " m)");
    }
    return deliver_drawing(options.out, plot_svg(m, route, page), "drew", s.status, out, err);
}

}  // namespace scenario::tool
