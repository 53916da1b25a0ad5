// The line half of the reading.
#pragma once

#include <cstdint>
#include <optional>

#include "reader/reading.h"

namespace scenario {

// Reads the line description into the model and deletes it. Returns the next
// free sign record when the train description is to be read next, nothing
// when the reading was abandoned.
std::optional<std::int32_t> read_line_description(Reading& reading);

}  // namespace scenario
