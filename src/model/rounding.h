// Rounding of exact quotients to whole numbers, halves to the even neighbour.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

namespace scenario {

// Rounds to the nearest integer with ties going to the even neighbour
// (140.5 -> 140, 79.5 -> 80). Every cell index and every rounded extent of
// the route model is computed with this one helper.
inline double round_half_even(double value) {
    double floor_value = std::floor(value);
    double fraction = value - floor_value;
    if (fraction > 0.5) return floor_value + 1.0;
    if (fraction < 0.5) return floor_value;
    return std::fmod(floor_value, 2.0) == 0.0 ? floor_value : floor_value + 1.0;
}

// round_half_even(value) as a 32-bit integer, or nothing when the rounded
// value does not fit (or is not a number).
inline std::optional<std::int32_t> rounded_to_int32(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    double rounded = round_half_even(value);
    if (rounded < -2147483648.0 || rounded > 2147483647.0) return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

}  // namespace scenario
