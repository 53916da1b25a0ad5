// scenario-tool view: one self-contained HTML page to look at a scenario in
// the browser.
#include "tool/commands/commands.h"
#include "tool/commands/diagnostics_data.h"
#include "tool/commands/scenario_input.h"
#include "tool/drawing/route_items.h"
#include "tool/drawing/view_page.h"

namespace scenario::tool {

int view_command(const ViewOptions& options, std::ostream& out, std::ostream& err) {
    if (options.out.empty()) throw UsageError("--out is required: the HTML file, or - for standard output");
    require_drawing_output(options.out, options.input);
    LoadedScenario s = load_scenario(options.input, err);
    if (!s.drawable) return s.status;

    RouteData route = route_data(s.compaction.model);
    nlohmann::ordered_json ended = nullptr;
    if (s.recorder && s.files) {
        attach_sources(route.items, *s.recorder, *s.files);
        ended = reading_end(*s.recorder, *s.files);
    }
    const std::string page = view_page(view_data(route, s.diagnostics, s.heading, s.origin, ended));
    return deliver_drawing(options.out, page, "wrote", s.status, out, err);
}

}  // namespace scenario::tool
