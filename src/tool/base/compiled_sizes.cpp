#include "tool/base/compiled_sizes.h"

#include <cstdint>

#include "compactor/binary_decoding.h"
#include "compactor/file_layout.h"
#include "model/placement.h"
#include "model/rounding.h"
#include "reader/line_reader.h"

namespace scenario::tool {

std::optional<std::size_t> route_cells_of(const ScenarioRecord& sizes) {
    const std::int32_t length = sizes.long2;
    if (length > longest_route) return std::nullopt;
    // As the line reader makes them when it reads the route length; fewer
    // than two cells are never written.
    const std::int64_t track_length = std::int64_t{length} + geometry_beyond_route;
    const double cells = round_half_even(static_cast<double>(track_length) / cell_length) + 1;
    if (cells < 2) return std::nullopt;
    return static_cast<std::size_t>(cells);
}

void require_route_cells(std::size_t cells, const ScenarioRecord& sizes, const std::string& records_name) {
    const std::optional<std::size_t> needed = route_cells_of(sizes);
    if (!needed || cells >= *needed) return;
    const std::int32_t length = sizes.long2;
    throw DecodeError(cells * layout::cell_size, "the file holds " + std::to_string(cells) +
                                                     " route cells, and the route length of " + std::to_string(length) +
                                                     " m in " + records_name + " needs " + std::to_string(*needed));
}

}  // namespace scenario::tool
