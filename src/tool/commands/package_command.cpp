// scenario-tool package: a scenario folder made into a program of its own,
// the runner with the scenario appended (driver/package_layout.h). Its
// diagnostics come first, as `check` gives them for the texts the program
// will write.
#include <array>
#include <optional>

#include "description/fixed_text.h"
#include "driver/package.h"
#include "driver/platform.h"
#include "io/file_system.h"
#include "tool/base/display_text.h"
#include "tool/base/output_files.h"
#include "tool/base/paths.h"
#include "tool/base/scenario_folder.h"
#include "tool/base/scratch_folder.h"
#include "tool/commands/commands.h"
#include "tool/commands/embedded_runner.h"
#include "tool/diagnostics/report.h"
#include "tool/diagnostics/run.h"

namespace scenario::tool {

namespace {

#ifdef _WIN32
constexpr const char* own_target = "windows";
#else
constexpr const char* own_target = "linux";
#endif

// The runner a package for `target` starts with: a runner file beside the
// tool, else the one built into it for its own system.
struct Runner {
    std::string file;  // empty: the embedded one
    std::string bytes;
};

Runner find_runner(const std::string& target) {
    const std::string name = target == "windows" ? "scenario-runner.exe" : "scenario-runner";
    const std::string tool = running_program_file();
    const std::string folder = tool.substr(0, tool.find_last_of("/\\") + 1);
    const std::string beside = (folder.empty() ? std::string("./") : folder) + name;
    if (entry_at(beside) != Entry::none) {
        try {
            return {beside, read_whole_file(beside)};
        } catch (const FileError& unreadable) {
            throw CommandFailure(exit_status::no_input, std::string("runner ") + unreadable.what());
        }
    }
    if (target == own_target) return {{}, std::string(embedded_runner())};
    throw UsageError("--target " + target + " needs the runner '" + beside + "', which is not there: copy " + name +
                     " (from the tool's package for " + target + ", or from a build for it) beside the tool");
}

// The five texts of the folder, as the author wrote them; package needs
// all of them.
std::array<std::string, scenario_text_count> read_texts(const ScenarioFiles& files) {
    const std::pair<std::string, const char*> inputs[] = {{files.line_description(), "line description"},
                                                          {files.train_description(), "train description"},
                                                          {files.notes(), "notes"},
                                                          {files.slowdown_order(), "slowdown order"},
                                                          {files.timetable_sheet(), "timetable sheet"}};
    std::array<std::string, scenario_text_count> texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto& [path, what] = inputs[i];
        if (entry_at(path) == Entry::none) {
            throw CommandFailure(exit_status::no_input,
                                 std::string(what) + " '" + path + "' does not exist: a package needs all five files");
        }
        try {
            const InputFile probe(path);
            if (probe.size() > largest_description) {
                throw CommandFailure(exit_status::bad_data, std::string(what) + " '" + path + "' holds more than " +
                                                                std::to_string(largest_description >> 20) +
                                                                " MiB, more than any text of a scenario");
            }
            texts[i] = read_whole_file(path);
        } catch (const FileError& unreadable) {
            throw CommandFailure(exit_status::no_input, std::string(what) + " " + unreadable.what());
        }
    }
    return texts;
}

// A line equal to the end marker would end a fixed text of the program
// there: each such line is an error of its own, at its place.
std::vector<Diagnostic> end_marker_lines(const std::array<std::string, scenario_text_count>& written,
                                         const ScenarioFiles& files) {
    const std::string paths[] = {files.line_description(), files.train_description(), files.notes(),
                                 files.slowdown_order(), files.timetable_sheet()};
    const std::string marker_line = std::string(end_marker) + "\r\n";
    std::vector<Diagnostic> found;
    for (std::size_t i = 0; i < written.size(); ++i) {
        const std::string& text = written[i];
        int line = 1;
        for (std::size_t at = 0; at < text.size(); ++line) {
            const std::size_t next = text.find("\r\n", at) + 2;
            if (text.compare(at, next - at, marker_line) == 0) {
                Diagnostic d;
                d.at = SourcePoint{paths[i], line, 1, static_cast<int>(end_marker.size()) + 1, std::string(end_marker)};
                d.message = "the line is the end marker of the program's fixed texts, \"" + std::string(end_marker) +
                            "\": it would end the text here";
                found.push_back(std::move(d));
            }
            at = next;
        }
    }
    return found;
}

// The diagnostics of the texts the program will write, the end-marker lines
// among them; they are shown on `err`. Returns the exit status they make.
int judge(const Sources& sources, const std::array<std::string, scenario_text_count>& written,
          const ScenarioFiles& files, const PackageOptions& options, std::ostream& err, bool& markers) {
    const AnalysisOptions analysis_opts = analysis_options(options.diagnostics, true);
    const AuthorFiles author(sources);
    const std::unique_ptr<Run> first =
        read_only(author.text(Source::line_description), author.text(Source::train_description), sources.title,
                  sources.trainCode, true);
    Analysis analysis = analyse(*first, author, sources.title, sources.trainCode, analysis_opts);
    int status = status_of(analysis, first->stamp);
    if (status == exit_status::done && first->nothingToWrite) status = exit_status::scenario_error;
    const std::vector<Diagnostic> marker_errors = end_marker_lines(written, files);
    markers = !marker_errors.empty();
    if (markers) {
        analysis.diagnostics.insert(analysis.diagnostics.end(), marker_errors.begin(), marker_errors.end());
        analysis.errors += marker_errors.size();
        if (status == exit_status::done) status = exit_status::scenario_error;
    }
    show_diagnostics(err, analysis, options.diagnostics);
    return status;
}

}  // namespace

int package_command(const PackageOptions& options, std::ostream& out, std::ostream& err) {
    const std::string target = options.target.empty() ? own_target : options.target;
    if (target != "linux" && target != "windows") {
        throw UsageError("--target: '" + target + "' is none of linux and windows");
    }
    if (options.out.empty()) throw UsageError("--out is empty: give a folder (. for the current one)");
    static_cast<void>(analysis_options(options.diagnostics, true));  // an unknown -W is told before the work
    const Runner runner = find_runner(target);
    const ScenarioFolder scenario = find_scenario(options.folder, options.title, options.trainCode);
    PackageContents contents{scenario.title, scenario.trainCode, read_texts(scenario.files)};
    Sources sources{scenario.files.line_description(), scenario.files.train_description(), scenario.title,
                    scenario.trainCode};
    check_names(sources, utf8_path(options.out));

    std::array<std::string, scenario_text_count> written;
    for (std::size_t i = 0; i < written.size(); ++i) written[i] = with_crlf_line_ends(contents.texts[i]);
    sources.lineText = written[0];
    sources.trainText = written[1];
    bool markers = false;
    const int status = judge(sources, written, scenario.files, options, err, markers);
    if (markers || (status != exit_status::done && !options.allowErrors)) {
        err << program_name << ": nothing was packaged: "
            << (markers ? "a text holds the end marker as a line"
                        : "the scenario has errors (--allow-errors packages it as the program would run it)")
            << "\n";
        return status;
    }

    const std::string name = scenario.title + "_" + scenario.trainCode + (target == "windows" ? ".exe" : "");
    const OutputFolder folder(utf8_path(options.out), output_lock_patience);
    require_writable_folder(utf8_path(options.out), "output folder");
    const std::string path = (options.out.ends_with('/') ? options.out : options.out + "/") + name;
    require_output_name(path);
    const std::string payload = package_payload(contents);
    std::optional<OutputFile> file;
    try {
        file.emplace(path, FileMode::program);
    } catch (const FileError& refused) {
        throw CommandFailure(exit_status::cannot_create, refused.what());
    }
    file->write(runner.bytes);
    file->write(payload);
    file->write(package_trailer(runner.bytes.size(), payload));
    file->commit();
    if (status != exit_status::done) {
        err << program_name << ": packaged all the same, as the program will run it: " << terminal_text(path) << "\n";
    } else {
        out << terminal_text("wrote " + name + " into " + options.out) << "\n";
    }
    return status;
}

}  // namespace scenario::tool
