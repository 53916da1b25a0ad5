// Every problem of an author's descriptions in one go: the errors the
// program's own reader, completion pass and stamp report, found one after
// the other by reading the descriptions again with the rows of the errors
// already found taken out, and the warnings.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "tool/diagnostics/diagnostic.h"
#include "tool/diagnostics/run.h"

namespace scenario::tool {

struct AnalysisOptions {
    bool warningsAreErrors = false;  // --werror
    std::set<std::string> silenced;  // warnings not to report, by name
    std::size_t mostErrors = 20;     // reading again stops after this many
    bool withGeometry = true;        // as the first reading was made
};

struct Analysis {
    std::vector<Diagnostic> diagnostics;  // in the order they are shown
    std::size_t errors = 0;
    std::size_t warnings = 0;
    bool stoppedEarly = false;  // further errors may hide behind the last one
    std::string stopReason;     // why the search stopped early
    std::string notShown;       // why some warnings are not shown; empty when all are
};

// `first` is the reading of the descriptions as given (the compile's own);
// the title and the train code are those of the compile.
Analysis analyse(const Run& first, const AuthorFiles& files, const std::string& title, const std::string& train_code,
                 const AnalysisOptions& options);

// The text with one line made blank (its characters become spaces; the line
// ends stay, and so do the numbers of the lines after it).
std::string with_blank_line(std::string text, int line);
// The same with every line of `lines`, in one pass over the text.
std::string with_blank_lines(std::string text, const std::set<int>& lines);

}  // namespace scenario::tool
