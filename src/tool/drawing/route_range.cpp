#include "tool/drawing/route_range.h"

#include "tool/base/compaction.h"

namespace scenario::tool {

std::int64_t route_position(const std::string& text, const RouteData& route, const std::string& option) {
    const RangeEnd end = parse_range_end(text, option);
    if (!end.reading) return end.metres;
    // The first place on the route with that reading.
    for (const Stretch& s : positions_reading(route.breaks, end.metres, end.metres)) {
        if (s.from >= 0 && s.from <= route.extent) return s.from;
    }
    throw UsageError(option + " '" + text + "': no place on the route has the kilometre reading " +
                     reading_text(end.metres));
}

}  // namespace scenario::tool
