// The errors and warnings of a compaction, and where each item's row stands
// in the descriptions, as the viewer page shows them.
#pragma once

#include <vector>

#include <nlohmann/json.hpp>

#include "tool/compaction.h"
#include "tool/view/route_items.h"

namespace scenario::tool {

// One object per diagnostic: severity, code, name, file, line, column,
// message, notes (each with file, line, column, message), and `at`, the
// route position in metres the diagnostic names, or null.
nlohmann::ordered_json diagnostics_data(const Compaction& compaction, const Sources& sources);

// Gives each item the file and line of the row that placed it, where that is
// known.
void attach_sources(std::vector<RouteItem>& items, const Compaction& compaction, const Sources& sources);

}  // namespace scenario::tool
