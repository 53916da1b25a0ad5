// Warnings: what the reader accepts but an author almost never means. Each
// says what will be stored instead; none changes what is read or written.
#pragma once

#include <vector>

#include "tool/diagnostics/diagnostic.h"
#include "tool/diagnostics/run.h"

namespace scenario::tool {

// The warnings about single rows and fields, which stand whatever else the
// descriptions hold.
std::vector<Diagnostic> row_warnings(const Run& run, const AuthorFiles& files);

// The warnings that compare rows of a keyword with each other: rows out of
// order, overlapping curves.
std::vector<Diagnostic> order_warnings(const Run& run, const AuthorFiles& files);

// The warnings about a profile or a description as a whole: a first line
// speed or adhesion row not at 0, no such row at all, no train header. True
// of a reading only when it reached the end of the train description.
std::vector<Diagnostic> profile_warnings(const Run& run, const AuthorFiles& files);

// Whether a reading went through the whole train description.
bool read_whole_train(const Run& run);

}  // namespace scenario::tool
