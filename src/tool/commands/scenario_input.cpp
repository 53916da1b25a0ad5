#include "tool/commands/scenario_input.h"

#include <filesystem>

#include "tool/base/display_text.h"
#include "tool/base/os.h"
#include "tool/base/output_files.h"
#include "tool/commands/commands.h"
#include "tool/commands/diagnostics_data.h"
#include "tool/diagnostics/report.h"
#include "tool/drawing/compiled_scenario.h"

namespace scenario::tool {

namespace {

std::optional<std::string> given(const std::string& value) {
    return value.empty() ? std::nullopt : std::optional<std::string>(value);
}

void from_descriptions(const ScenarioInput& input, LoadedScenario& s, std::ostream& err) {
    // The binary files go to a scratch folder in the system's temporary
    // folder and leave with it: nothing is written beside the output.
    Run first;
    // Every item is drawn with the row it comes from.
    first.recorder.keepEveryRow = true;
    s.compaction = compact(input.sources, std::filesystem::temp_directory_path(), true, false, &first.recorder);
    Compaction& c = s.compaction;
    s.heading = {given(input.sources.title), given(input.sources.trainCode)};
    s.origin = {"descriptions", {input.sources.line, input.sources.train}};

    // The diagnostics of compile; the model goes back to be drawn.
    first.model = std::move(c.model);
    first.stamp = c.stamp;
    first.nothingToWrite = !c.notWritten.empty();
    s.files = std::make_shared<AuthorFiles>(input.sources);
    const Analysis analysis = analyse(first, *s.files, input.sources.title, input.sources.trainCode, {});
    c.model = std::move(first.model);
    ReportStyle style;
    err << render_analysis(analysis, style);
    s.diagnostics = diagnostics_data(analysis, first.recorder, *s.files);
    s.recorder = std::make_shared<Recorder>(std::move(first.recorder));
    if (c.stamp != 0) {
        s.status = exit_status::stamp_error;
        err << " Errore n. " << c.stamp << "\n";
    } else if (analysis.errors > 0) {
        s.status = exit_status::scenario_error;
    }
    s.drawable = c.model.has_cells();
    if (!s.drawable) {
        err << "note: nothing to draw: "
            << (c.notWritten.empty() ? std::string("the reading gave no route cells") : terminal_text(c.notWritten))
            << "\n";
        s.status = exit_status::scenario_error;
    }
}

void from_compiled(const ScenarioInput& input, LoadedScenario& s, std::ostream& err) {
    s.origin = {"compiled files", {input.records, input.cells}};
    if (!input.geometry.empty()) s.origin.files.push_back(input.geometry);
    try {
        s.compaction.model = read_compiled({input.records, input.cells, input.geometry});
    } catch (const CompiledFileError& bad) {
        err << terminal_text(bad.what()) << "\n";
        s.status = exit_status::bad_data;
        return;
    }
    const RouteModel& m = s.compaction.model;
    s.heading = {given(input.sources.title), given(input.sources.trainCode)};
    if (!s.heading.title) s.heading.title = given(display_text(m.records[record_index::identity].text));
    if (!s.heading.trainCode) s.heading.trainCode = given(display_text(m.records[record_index::repetition].text));
    s.drawable = true;
}

// The same file, however it is named (another spelling, a link, a hard
// link): the drawing would replace the input it is drawn from.
void require_not_an_input(const std::string& path, const ScenarioInput& input) {
    const std::optional<os::Identity> output = os::identity(path);
    if (!output) return;
    // A description read from standard input has no file.
    const std::string none;
    const std::pair<const std::string*, const char*> inputs[] = {
        {input.sources.lineText ? &none : &input.sources.line, "--line"},
        {input.sources.trainText ? &none : &input.sources.train, "--train"},
        {&input.records, "--sim"},
        {&input.cells, "--dat"},
        {&input.geometry, "--geometry"}};
    for (const auto& [name, option] : inputs) {
        if (name->empty() || os::identity(*name) != output) continue;
        throw UsageError("--out '" + path + "' is the file given to " + option + " ('" + *name +
                         "'): the drawing would replace it");
    }
}

}  // namespace

LoadedScenario load_scenario(const ScenarioInput& input, std::ostream& err) {
    const bool descriptions = !input.sources.line.empty() || !input.sources.train.empty();
    const bool compiled = !input.records.empty() || !input.cells.empty() || !input.geometry.empty();
    if (descriptions && compiled) {
        throw UsageError("give either --line and --train, or --sim and --dat (and --geometry), not both");
    }
    if (descriptions && (input.sources.line.empty() || input.sources.train.empty())) {
        throw UsageError("--line and --train go together");
    }
    if (compiled && (input.records.empty() || input.cells.empty())) {
        throw UsageError("--sim and --dat go together (--geometry is optional)");
    }
    if (!descriptions && !compiled) throw UsageError("give --line and --train, or --sim and --dat");

    LoadedScenario s;
    if (descriptions) {
        from_descriptions(input, s, err);
    } else {
        from_compiled(input, s, err);
    }
    return s;
}

void require_drawing_output(const std::string& path, const ScenarioInput& input) {
    if (path == "-") return;
    require_not_an_input(path, input);
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) folder = ".";
    require_writable_folder(folder, "output folder");
    require_output_name(path);
}

int deliver_drawing(const std::string& path, std::string_view bytes, const char* verb, int status, std::ostream& out,
                    std::ostream& err) {
    if (path == "-") {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        return status;
    }
    write_output(path, bytes);
    if (status != exit_status::done) {
        err << "note: " << terminal_text(path) << " shows what was read\n";
    } else {
        out << verb << " " << terminal_text(path) << "\n";
    }
    return status;
}

}  // namespace scenario::tool
