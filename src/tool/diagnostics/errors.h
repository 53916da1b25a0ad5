// The errors of one reading in the author's words: each at the field of the
// row the author must change, in the metres the author wrote, with a note at
// every other row involved.
#pragma once

#include <optional>
#include <vector>

#include "tool/diagnostics/diagnostic.h"
#include "tool/diagnostics/run.h"

namespace scenario::tool {

// The first error the reading recorded (the one that stopped it), if any.
// An error that stands for further rows of its file (the roadside signs
// past the 80 that fit, say) adds their lines to `folded`: reading again,
// they are taken out with the error's own row.
std::optional<Diagnostic> reading_error(const Run& run, const AuthorFiles& files, std::vector<int>* folded = nullptr);

// Every mark the completion pass could not place.
std::vector<Diagnostic> pass_errors(const Run& run, const AuthorFiles& files);

// The stamp refused: at the row whose item landed in route cell 1.
std::optional<Diagnostic> stamp_error(const Run& run, const AuthorFiles& files);

}  // namespace scenario::tool
