// The signalling completion pass: restriction marks of speed 180 around
// slowdowns, placed on free cells only.
#pragma once

#include <cstdint>

#include "model/route_model.h"

namespace scenario {

// The smaller of two values; on a tie, the first.
template <typename T>
T minimo(const T& a, const T& b) {
    return a > b ? b : a;
}

// One forward pass over the cells 1 to cellCount - 2. A mark that cannot be
// placed sets errorCode 11, 12 or 13 and errorPosition, and the pass goes on.
void complete_signalling(RouteModel& model);

}  // namespace scenario
