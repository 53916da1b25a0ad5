// The tool's commands. Each writes its report to `out` and `err` and
// returns the exit status; a command line that cannot be carried out is a
// UsageError, a file that cannot be written a FileError.
#pragma once

#include <ostream>
#include <string>

#include "tool/compaction.h"
#include "tool/view/scenario_input.h"

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

struct CompileOptions {
    Sources sources;
    std::string out = ".";
    bool noGeometry = false;
    bool json = false;
};

struct DumpOptions {
    std::string file;
    bool json = false;
};

struct PlotOptions {
    Sources sources;
    std::string out;  // the SVG file
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
int dump_command(const DumpOptions& options, std::ostream& out, std::ostream& err);
int plot_command(const PlotOptions& options, std::ostream& out, std::ostream& err);
int view_command(const ViewOptions& options, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool
