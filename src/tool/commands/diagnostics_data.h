// The errors and warnings of a compaction, and where each item's row stands
// in the descriptions, as the viewer page shows them.
#pragma once

#include <vector>

#include <nlohmann/json.hpp>

#include "tool/diagnostics/analysis.h"
#include "tool/diagnostics/recorder.h"
#include "tool/diagnostics/run.h"
#include "tool/drawing/route_items.h"

namespace scenario::tool {

// One object per diagnostic as `compile --json` gives them (severity, code,
// name, file, line, column, message, notes), with `at`: the route position
// in metres of the row it stands at, or null; each note has its `at` too.
// `recorder` is the first reading's: a row it never got to (one of an error
// found by reading again) gives its place from its own text.
nlohmann::ordered_json diagnostics_data(const Analysis& analysis, const Recorder& recorder, const AuthorFiles& files);

// Where the first reading stopped short of rows that would be drawn: null,
// or {"file", "line", "message"}, the message one line such as "signals
// after train row 79 are not shown: the reading ended there".
nlohmann::ordered_json reading_end(const Recorder& recorder, const AuthorFiles& files);

// Gives each item the file and line of the row that placed it: the row that
// put the item in its cell, or the row of its kind at its position.
void attach_sources(std::vector<RouteItem>& items, const Recorder& recorder, const AuthorFiles& files);

}  // namespace scenario::tool
