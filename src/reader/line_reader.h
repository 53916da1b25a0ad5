// The line half of the reading.
#pragma once

#include <cstdint>
#include <optional>

#include "reader/reading.h"

namespace scenario {

// The longest route a line description may give (metres).
inline constexpr std::int32_t longest_route = 1000000;
// The plan geometry and the cells reach this far beyond the route length.
inline constexpr std::int32_t geometry_beyond_route = 7000;
// Building curves may not go past this metre of the plan geometry.
inline constexpr std::int64_t last_metre_of_curves = 1000000;
// Kilometre-point breaks (position and offset) and the signal-repetition
// positions stand on multiples of this many metres.
inline constexpr std::int32_t break_multiple = 50;
inline constexpr std::int32_t repetition_multiple = 50;

// Reads the line description into the model and deletes it. Returns the next
// free sign record when the train description is to be read next, nothing
// when the reading was abandoned.
std::optional<std::int32_t> read_line_description(Reading& reading);

}  // namespace scenario
