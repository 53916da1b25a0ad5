// The tool's commands. Each writes its report to `out` and `err` and
// returns the exit status; a command line that cannot be carried out is a
// UsageError, an input or output that fails a CommandFailure with its exit
// status, a file that cannot be written a FileError.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tool/compaction.h"
#include "tool/view/scenario_input.h"

namespace scenario::tool {

inline constexpr const char* program_name = "scenario-tool";

// The statuses from 64 on are those of the BSD sysexits convention, which
// scripts and other tools already know.
namespace exit_status {
inline constexpr int done = 0;
inline constexpr int scenario_error = 1;  // an error code of the reading or the completion pass
inline constexpr int stamp_error = 2;     // 1250 or 1251: nothing written
inline constexpr int differ = 1;          // diff: the two files differ
inline constexpr int usage = 64;          // a command line that cannot be carried out
inline constexpr int bad_data = 65;       // a compiled file (or standard input) that does not decode
inline constexpr int no_input = 66;       // an input that does not exist, or is not a regular file that can be read
inline constexpr int failed = 70;         // anything else that stops the tool
inline constexpr int cannot_create = 73;  // an output file or folder that cannot be created
inline constexpr int cannot_write = 74;   // a read or write that failed on the way
}  // namespace exit_status

// What --help lists under the commands: every status above.
inline constexpr const char* exit_status_help =
    "Exit status:\n"
    "  0   done\n"
    "  1   the descriptions have an error (compile writes the files all the same); diff: the files differ\n"
    "  2   the scenario stamp was refused (error 1250 or 1251): nothing written\n"
    "  64  a wrong command line\n"
    "  65  a compiled file that does not decode\n"
    "  66  an input that does not exist or cannot be read\n"
    "  70  an unexpected failure\n"
    "  73  an output file or folder that cannot be created\n"
    "  74  a read or write that failed (the reason is named)\n";

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
    std::string file;  // "-" for standard input
    bool json = false;
    bool all = false;                // empty records too
    std::string from;                // metres ("500000") or a kilometre reading ("92.5km"); empty: the start
    std::string to;                  // the same; empty: the end
    std::vector<std::string> kinds;  // record or cell kinds to show; empty: every kind
    std::size_t every = 1;           // the first selected row and every Nth after it
    std::string as;                  // "sim", "dat" or "geometry"; empty: told by the name
    std::string sim;                 // the records whose breaks give kilometre readings of a .dat or _linea.dat
};

struct DiffOptions {
    std::string a;
    std::string b;
    std::string as;  // as for dump
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
int dump_command(const DumpOptions& options, std::ostream& out, std::ostream& err);
int plot_command(const PlotOptions& options, std::ostream& out, std::ostream& err);
int diff_command(const DiffOptions& options, std::ostream& out, std::ostream& err);
int view_command(const ViewOptions& options, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool
