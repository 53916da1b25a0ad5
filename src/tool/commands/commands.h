// The tool's commands. Each writes its report to `out` and `err` and
// returns the exit status; a command line that cannot be carried out is a
// UsageError, an input or output that fails a CommandFailure with its exit
// status, a file that cannot be written a FileError.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tool/base/compaction.h"
#include "tool/base/exit_status.h"
#include "tool/binary/diff.h"
#include "tool/binary/dump.h"
#include "tool/commands/scenario_input.h"
#include "tool/diagnostics/analysis.h"

namespace scenario::tool {

// How the diagnostics of compile and check are judged and shown.
struct DiagnosticOptions {
    bool warningsAreErrors = false;     // --werror
    std::vector<std::string> warnings;  // -W no-NAME: NAME is not reported
    bool colour = false;                // resolved from --color
};

struct CompileOptions {
    Sources sources;
    std::string out = ".";
    bool noGeometry = false;
    bool json = false;
    DiagnosticOptions diagnostics;
};

struct CheckOptions {
    Sources sources;
    bool noGeometry = false;
    bool json = false;
    DiagnosticOptions diagnostics;
};

// new: a scenario to start from, written into a folder.
struct NewOptions {
    std::string folder;
    std::string title = {};
    std::string trainCode = {};
    bool example = false;  // the scenario the program carries
};

// package: a scenario folder made into a program of its own.
struct PackageOptions {
    std::string folder;
    std::string title = {};      // chooses among several line descriptions
    std::string trainCode = {};  // chooses among several train descriptions
    std::string target = {};     // "linux" or "windows"; empty: the tool's own system
    std::string out = ".";
    bool allowErrors = false;
    DiagnosticOptions diagnostics = {};
};

struct ExplainOptions {
    std::string what;  // a diagnostic's name or an error code; empty: list them all
};

struct PlotOptions {
    Sources sources;
    std::string out;  // the SVG file, or "-" for standard output
    // Or the compiled scenario's files instead of the descriptions.
    std::string records = {};
    std::string cells = {};
    std::string geometry = {};
    // The stretch drawn: metres ("12500", "12500m") or a kilometre reading
    // ("12.5km"); empty for the whole route.
    std::string from = {};
    std::string to = {};
};

struct ViewOptions {
    ScenarioInput input;
    std::string out;  // the HTML file, or "-" for standard output
};

int compile_command(const CompileOptions& options, std::ostream& out, std::ostream& err);
int check_command(const CheckOptions& options, std::ostream& out, std::ostream& err);
int explain_command(const ExplainOptions& options, std::ostream& out, std::ostream& err);
int new_command(const NewOptions& options, std::ostream& out, std::ostream& err);
int package_command(const PackageOptions& options, std::ostream& out, std::ostream& err);

// How the commands that read descriptions judge and show their diagnostics:
// the options of the analysis (an unknown -W is a UsageError), the
// diagnostics and their summary on `err`, and the exit status they make.
AnalysisOptions analysis_options(const DiagnosticOptions& options, bool with_geometry);
void show_diagnostics(std::ostream& err, const Analysis& analysis, const DiagnosticOptions& options);
int status_of(const Analysis& analysis, int stamp);
int plot_command(const PlotOptions& options, std::ostream& out, std::ostream& err);
int view_command(const ViewOptions& options, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool
