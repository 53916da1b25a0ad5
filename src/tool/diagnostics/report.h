// Showing the diagnostics: as compilers do on a terminal, so that editors
// find the files and lines, and as JSON.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "tool/base/display_text.h"
#include "tool/diagnostics/analysis.h"

namespace scenario::tool {

struct ReportStyle {
    bool colour = false;
    int widest_line = widest_source_line;  // longer source lines are cut around the caret
};

// "FILE:LINE:COL: error: MESSAGE [NAME]", the source line and a caret under
// the field, then each note in the same form.
std::string render_diagnostic(const Diagnostic& diagnostic, const ReportStyle& style);

// "2 errors, 5 warnings" (and a word when the search for errors stopped early).
std::string summary_line(const Analysis& analysis);

// Every diagnostic and the summary.
std::string render_analysis(const Analysis& analysis, const ReportStyle& style);

// The diagnostics as a JSON array, in the order shown.
nlohmann::ordered_json diagnostics_json(const Analysis& analysis);

}  // namespace scenario::tool
