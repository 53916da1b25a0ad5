// The train half of the reading.
#pragma once

#include <cstdint>

#include "reader/reading.h"

namespace scenario {

// Stations stand on multiples of 50 m, their lengths are multiples of 100 m,
// and each starts at least 350 m after the previous one ends.
inline constexpr std::int32_t station_position_multiple = 50;
inline constexpr std::int32_t station_length_multiple = 100;
inline constexpr std::int64_t station_gap = 350;
// Station kinds from this one up get no route cells.
inline constexpr int station_kind_without_cells = 25;

// Reads the train description into the model and deletes it. `next_sign` is
// the line half's next free sign record: stations must stay below it.
void read_train_description(Reading& reading, std::int32_t next_sign);

}  // namespace scenario
