// What the records of a compiled scenario say of its other files: how many
// route cells its route length makes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "model/route_model.h"

namespace scenario::tool {

// How many route cells the ".dat" written beside a ".sim" holds, from the
// route length in its sizes record (record 84): the route and the stretch
// the cells reach beyond it, in cells of 50 m, and cell 0. Nothing when no
// compile writes cells for that length (none, or beyond the longest route).
std::optional<std::size_t> route_cells_of(const ScenarioRecord& sizes);

// Refuses `cells` route cells when they are fewer than the sizes record of
// the ".sim" named `records_name` says the route has: a DecodeError at the
// end of the cells, naming both counts.
void require_route_cells(std::size_t cells, const ScenarioRecord& sizes, const std::string& records_name);

}  // namespace scenario::tool
