// scenario-tool view: one self-contained HTML page to look at a scenario in
// the browser.
#include "io/file_system.h"
#include "tool/commands.h"
#include "tool/view/diagnostics_data.h"
#include "tool/view/route_items.h"
#include "tool/view/scenario_input.h"
#include "tool/view/view_page.h"

namespace scenario::tool {

int view_command(const ViewOptions& options, std::ostream& out, std::ostream& err) {
    if (options.out.empty()) throw UsageError("--out is required: the HTML file, or - for standard output");
    LoadedScenario s = load_scenario(options.input, err);
    if (!s.drawable) return s.status;

    RouteData route = route_data(s.compaction.model);
    if (s.recorder && s.files) attach_sources(route.items, *s.recorder, *s.files);
    const std::string page = view_page(view_data(route, s.diagnostics, s.heading, s.origin));
    if (options.out == "-") {
        out.write(page.data(), static_cast<std::streamsize>(page.size()));
        out.flush();
        return s.status;
    }
    replace_and_write(options.out, [&](OutputFile& file) { file.write(page); });
    if (s.status != exit_status::done) {
        err << "note: " << options.out << " shows what was read\n";
    } else {
        out << "wrote " << options.out << "\n";
    }
    return s.status;
}

}  // namespace scenario::tool
