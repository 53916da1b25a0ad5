// scenario-tool compile: the program's compaction of an author's
// descriptions, and everything wrong with them; scenario-tool check: the same
// diagnostics without writing a file.
#include <nlohmann/json.hpp>

#include "tool/base/display_text.h"
#include "tool/base/output_files.h"
#include "tool/base/paths.h"
#include "tool/base/wording.h"
#include "tool/commands/commands.h"
#include "tool/diagnostics/analysis.h"
#include "tool/diagnostics/catalogue.h"
#include "tool/diagnostics/diagnosed.h"
#include "tool/diagnostics/report.h"
#include "tool/diagnostics/run.h"

namespace scenario::tool {

namespace {

using Json = nlohmann::ordered_json;

}  // namespace

AnalysisOptions analysis_options(const DiagnosticOptions& options, bool with_geometry) {
    AnalysisOptions analysis;
    analysis.warningsAreErrors = options.warningsAreErrors;
    analysis.withGeometry = with_geometry;
    for (const std::string& flag : options.warnings) {
        const std::string name = flag.rfind("no-", 0) == 0 ? flag.substr(3) : flag;
        const DiagnosticKind* kind = find_diagnostic(name);
        if (kind == nullptr || kind->severity != Severity::warning) {
            throw UsageError("-W " + flag + ": there is no warning named '" + name +
                             "' (scenario-tool explain lists them all)");
        }
        if (flag.rfind("no-", 0) != 0) {
            throw UsageError("-W " + flag + ": write -W no-" + name + " to silence the warning");
        }
        analysis.silenced.insert(name);
    }
    return analysis;
}

void show_diagnostics(std::ostream& err, const Analysis& analysis, const DiagnosticOptions& options) {
    ReportStyle style;
    style.colour = options.colour;
    err << render_analysis(analysis, style);
}

int status_of(const Analysis& analysis, int stamp) {
    if (stamp != 0) return exit_status::stamp_error;
    return analysis.errors > 0 ? exit_status::scenario_error : exit_status::done;
}

namespace {

// The first error shown, for the single location of the JSON report.
const Diagnostic* first_error(const Analysis& analysis) {
    for (const Diagnostic& d : analysis.diagnostics) {
        if (d.severity == Severity::error) return &d;
    }
    return nullptr;
}

// The JSON report of compile and check: one object, on one line.
void write_report_json(std::ostream& out, const RouteModel& m, int stamp, const Analysis& analysis,
                       const std::string& message, const std::vector<std::string>& written) {
    Json report;
    report["errorCode"] = m.errorCode;
    report["errorPosition"] = m.errorPosition;
    report["stamp"] = stamp != 0 ? Json(stamp) : Json(nullptr);
    const Diagnostic* error = first_error(analysis);
    Analysis just_the_error;
    if (error != nullptr) just_the_error.diagnostics.push_back(*error);
    const Json first = error != nullptr ? diagnostics_json(just_the_error)[0] : Json();
    report["file"] = error != nullptr ? first["file"] : Json(nullptr);
    report["line"] = error != nullptr ? first["line"] : Json(nullptr);
    report["column"] = error != nullptr ? first["column"] : Json(nullptr);
    // The names as they are, in UTF-8 (bytes that are not UTF-8 as the
    // single-byte letters they stand for); only the terminal sees them escaped.
    report["message"] = utf8_text(message);
    Json names = Json::array();
    for (const std::string& name : written) names.push_back(utf8_text(name));
    report["written"] = std::move(names);
    report["diagnostics"] = diagnostics_json(analysis);
    out << report.dump(-1, ' ', false, Json::error_handler_t::replace) << "\n";
}

}  // namespace

int compile_command(const CompileOptions& options, std::ostream& out, std::ostream& err) {
    const AnalysisOptions analysis_opts = analysis_options(options.diagnostics, !options.noGeometry);
    if (options.out.empty()) throw UsageError("--out is empty: give a folder (. for the current one)");
    const std::filesystem::path out_folder = utf8_path(options.out);
    check_names(options.sources, out_folder);
    // Held to the end: the three files are one run's, and a folder this run
    // made goes again when nothing was written into it.
    const OutputFolder folder(out_folder, output_lock_patience);
    require_writable_folder(out_folder, "output folder");
    // The author's files are taken in first: one too large to be a
    // description is refused before anything is compiled.
    const AuthorFiles files(options.sources);
    DiagnoseOptions diagnose;
    diagnose.out = out_folder;
    diagnose.analysis = analysis_opts;
    const Diagnosed diagnosed = compile_and_analyse(options.sources, files, diagnose);
    const Compaction& c = diagnosed.compaction;
    const Analysis& analysis = diagnosed.analysis;
    const RouteModel& m = diagnosed.run->model;

    int status = status_of(analysis, c.stamp);
    if (status == exit_status::done && c.written.empty()) status = exit_status::scenario_error;
    // The one message of the JSON report: the first error, else what was done.
    std::string message = "wrote " + listing(c.written) + " into " + options.out;
    if (const Diagnostic* error = first_error(analysis)) {
        message = error->message;
    } else if (c.written.empty()) {
        message = c.notWritten;
    }

    if (options.json) {
        write_report_json(out, m, c.stamp, analysis, message, c.written);
        return status;
    }
    show_diagnostics(err, analysis, options.diagnostics);
    if (c.stamp != 0) {
        err << " Errore n. " << c.stamp << "\n"
            << program_name << ": the scenario stamp was refused, so no file was written\n";
    } else if (c.written.empty()) {
        err << program_name << ": no file was written: " << terminal_text(c.notWritten) << "\n";
    } else if (analysis.errors > 0) {
        err << program_name << ": the binary files were written all the same, as the program writes them: "
            << terminal_text(listing(c.written)) << "\n";
    } else {
        out << terminal_text("wrote " + listing(c.written) + " into " + options.out) << "\n";
    }
    return status;
}

int check_command(const CheckOptions& options, std::ostream& out, std::ostream& err) {
    const AnalysisOptions analysis_opts = analysis_options(options.diagnostics, !options.noGeometry);
    const AuthorFiles files(options.sources);
    DiagnoseOptions diagnose;
    diagnose.analysis = analysis_opts;
    const Diagnosed diagnosed = compile_and_analyse(options.sources, files, diagnose);
    const Run* first = diagnosed.run.get();
    const Analysis& analysis = diagnosed.analysis;
    int status = status_of(analysis, first->stamp);
    if (status == exit_status::done && first->nothingToWrite) status = exit_status::scenario_error;

    if (options.json) {
        const Diagnostic* error = first_error(analysis);
        const std::string message = error != nullptr ? error->message : summary_line(analysis);
        write_report_json(out, first->model, first->stamp, analysis, message, {});
        return status;
    }
    show_diagnostics(err, analysis, options.diagnostics);
    if (analysis.diagnostics.empty()) out << summary_line(analysis) << "\n";
    return status;
}

int explain_command(const ExplainOptions& options, std::ostream& out, std::ostream& /*err*/) {
    if (options.what.empty()) {
        for (const DiagnosticKind& kind : diagnostic_catalogue()) {
            out << kind.name << (kind.code ? " (" + std::to_string(value_of(*kind.code)) + ")" : std::string()) << ": "
                << kind.summary << "\n";
        }
        return exit_status::done;
    }
    // A code stands for every situation that yields it.
    std::vector<const DiagnosticKind*> kinds;
    const DiagnosticKind* named = find_diagnostic_by_name_or_code(options.what);
    if (named != nullptr && find_diagnostic(options.what) == nullptr && named->code) {
        for (const DiagnosticKind& kind : diagnostic_catalogue()) {
            if (kind.code == named->code) kinds.push_back(&kind);
        }
    } else if (named != nullptr) {
        kinds.push_back(named);
    }
    if (kinds.empty()) {
        throw UsageError("no diagnostic is named or numbered '" + options.what +
                         "'; `scenario-tool explain` lists them all");
    }
    if (kinds.size() == 1) {
        out << explanation_text(*kinds.front());
        return exit_status::done;
    }
    // Several situations give the code: a list of them, then each under a
    // heading of its own.
    out << "error " << value_of(*kinds.front()->code) << " is given in " << kinds.size() << " situations:\n";
    for (const DiagnosticKind* kind : kinds) out << "  " << kind->name << ": " << kind->summary << "\n";
    for (const DiagnosticKind* kind : kinds) {
        out << "\n== " << kind->name << " " << std::string(kind->name.size() < 60 ? 60 - kind->name.size() : 0, '=')
            << "\n"
            << explanation_text(*kind);
    }
    return exit_status::done;
}

}  // namespace scenario::tool
