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
int plot_command(const PlotOptions& options, std::ostream& out, std::ostream& err);
int view_command(const ViewOptions& options, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool
