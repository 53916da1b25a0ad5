// The placement rules: how a route position becomes a cell index, and how
// far along the cells an item may stand.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/read_fault.h"
#include "model/rounding.h"

namespace scenario {

// A route cell covers this many metres: cell i from 50 i to 50 i + 50.
inline constexpr std::int64_t cell_metres = 50;
inline constexpr double cell_length = static_cast<double>(cell_metres);

// An item at p must satisfy (p + margin) / 50 <= cellCount: items and rows of
// running properties with this margin ...
inline constexpr std::int64_t item_margin = 100;
// ... and stations with this one.
inline constexpr std::int64_t station_margin = 800;

// round(value) as an index; a value beyond 32 bits is a ReadFault.
inline std::int64_t rounded_index(double value) {
    auto rounded = rounded_to_int32(value);
    if (!rounded) {
        throw ReadFault(Fault::value_out_of_range, "a cell index computed from a position does not fit 32 bits");
    }
    return *rounded;
}

// The cell of a point item at position p: round(p / 50 + 1).
inline std::int64_t point_cell(std::int64_t p) { return rounded_index(static_cast<double>(p) / cell_length + 1.0); }

// The cell from which a running property changing at p takes effect:
// round(p / 50). A restriction mark of the train description goes there too.
inline std::int64_t property_cell(std::int64_t p) { return rounded_index(static_cast<double>(p) / cell_length); }

// True when a position lies beyond the cells: (p + margin) / 50 > cellCount.
inline bool beyond_cells(std::int64_t p, std::int32_t cellCount, std::int64_t margin = item_margin) {
    return static_cast<double>(p + margin) / cell_length > static_cast<double>(cellCount);
}

// The last position accepted with a margin: 50 cellCount - margin.
inline std::int64_t last_position(std::int32_t cellCount, std::int64_t margin = item_margin) {
    return static_cast<std::int64_t>(cellCount) * cell_metres - margin;
}

// Back from a cell to the route, to the nearest 50 m: the first metre of
// cell i, where a running property taking effect there or a restriction mark
// in it stands ...
inline std::int64_t cell_start(std::int64_t cell) { return cell_metres * cell; }
// ... and where a point item in cell i stands.
inline std::int64_t point_item_metres(std::int64_t cell) { return cell_metres * (cell - 1); }

// A value that must fit a 16-bit field.
inline std::int16_t fit_int16(double value, const char* what) {
    if (!(value >= -32768.0 && value <= 32767.0)) {
        throw ReadFault(Fault::value_out_of_range, std::string(what) + " does not fit a 16-bit field");
    }
    return static_cast<std::int16_t>(value);
}

// round(value) for a 32-bit field.
inline std::int32_t fit_int32(double value, const char* what) {
    const std::optional<std::int32_t> fitted = rounded_to_int32(value);
    if (!fitted) throw ReadFault(Fault::value_out_of_range, std::string(what) + " does not fit a 32-bit field");
    return *fitted;
}

}  // namespace scenario
