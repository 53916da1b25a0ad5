// scenario-tool plot: the line's plan and profile on one SVG page.
#include <filesystem>

#include "io/file_system.h"
#include "tool/commands.h"
#include "tool/diagnosis.h"
#include "tool/plot.h"

namespace scenario::tool {

int plot_command(const PlotOptions& options, std::ostream& out, std::ostream& err) {
    namespace fs = std::filesystem;
    fs::path folder = fs::path(options.out).parent_path();
    if (folder.empty()) folder = ".";
    require_writable_folder(folder, "output folder");
    // A folder, FIFO or device at the name is refused before the work.
    require_replaceable(options.out);
    // The binary files are written into the scratch folder and go with it.
    const Compaction c = compact(options.sources, folder, true, false);
    const RouteModel& m = c.model;

    int status = exit_status::done;
    if (c.stamp != 0) {
        status = exit_status::stamp_error;
        err << " Errore n. " << c.stamp << "\n" << program_name << ": " << explain_stamp(c) << "\n";
    } else if (m.errorCode != 0) {
        status = exit_status::scenario_error;
        err << render(diagnose(c, options.sources), program_name);
    }
    if (!m.has_cells()) {
        err << "note: nothing to plot: "
            << (c.notWritten.empty() ? std::string("the reading gave no route cells") : c.notWritten) << "\n";
        return exit_status::scenario_error;
    }

    const std::string svg = plot_svg(m);
    replace_and_write(options.out, [&](OutputFile& file) { file.write(svg); });
    if (status != exit_status::done) {
        err << "note: " << options.out << " shows what was read\n";
    } else {
        out << "drew " << options.out << "\n";
    }
    return status;
}

}  // namespace scenario::tool
