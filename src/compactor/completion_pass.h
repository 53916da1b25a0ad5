// The signalling completion pass: restriction marks of speed 180 around
// slowdowns, placed on free cells only.
#pragma once

#include <cstdint>

#include "model/route_model.h"
#include "reader/read_observer.h"

namespace scenario {

// The marks the pass places, and the ceiling it puts on marks before signals.
inline constexpr std::int16_t mark_speed = 180;
// Signals up to 20 cells before a warning board get a mark one or two cells
// before them; signals below cell 3 are not examined.
inline constexpr int warning_look_back = 20;
inline constexpr std::int64_t lowest_signal_cell = 3;
// Three marks before a slowdown start, each on the first free cell of its
// group of cells counted back from the start.
inline constexpr int start_mark_groups[3][3] = {{5, 6, 7}, {11, 12, 13}, {18, 19, 20}};
// Slowdowns slower than this get a mark every 8 cells between start and end.
inline constexpr int slow_slowdown = 110;
inline constexpr int interval_cells = 8;
// The first signal within 12 cells after a slowdown's end gets a mark
// before it.
inline constexpr int signal_search_cells = 12;

// The smaller of two values; on a tie, the first.
template <typename T>
T minimo(const T& a, const T& b) {
    return a > b ? b : a;
}

// One forward pass over the cells 1 to cellCount - 2. A mark that cannot be
// placed sets errorCode 11, 12 or 13 and errorPosition, and the pass goes on.
// The observer, when given, is told of every mark placed and every failure.
void complete_signalling(RouteModel& model, ReadObserver* observer = nullptr);

}  // namespace scenario
