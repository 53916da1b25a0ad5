// A place on the route as an author writes it on the command line: metres
// from the start ("12500", "12500m") or a kilometre reading ("12.5km"),
// which the kilometre breaks turn into a route position.
#pragma once

#include <cstdint>
#include <string>

#include "tool/drawing/route_items.h"

namespace scenario::tool {

// The route position of `text`; a UsageError naming `option` when it is
// neither form. A reading that occurs twice (the count restarts at a break)
// names its first place; one that never occurs is a UsageError.
std::int64_t route_position(const std::string& text, const RouteData& route, const std::string& option);

}  // namespace scenario::tool
