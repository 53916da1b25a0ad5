// The tool's commands. Each writes its report to `out` and `err` and
// returns the exit status; a command line that cannot be carried out is a
// UsageError, a file that cannot be written a FileError.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tool/compaction.h"

namespace scenario::tool {

inline constexpr const char* program_name = "scenario-tool";

namespace exit_status {
inline constexpr int done = 0;
inline constexpr int scenario_error = 1;  // an error code of the reading or the completion pass; a bad file to dump
inline constexpr int stamp_error = 2;     // 1250 or 1251: nothing written
inline constexpr int usage = 64;
inline constexpr int failed = 70;  // anything else that stops the tool
inline constexpr int cannot_write = 74;
}  // namespace exit_status

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

struct DumpOptions {
    std::string file;
    bool json = false;
};

struct PlotOptions {
    Sources sources;
    std::string out;  // the SVG file
};

int compile_command(const CompileOptions& options, std::ostream& out, std::ostream& err);
int check_command(const CheckOptions& options, std::ostream& out, std::ostream& err);
int explain_command(const ExplainOptions& options, std::ostream& out, std::ostream& err);
int dump_command(const DumpOptions& options, std::ostream& out, std::ostream& err);
int plot_command(const PlotOptions& options, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool
