// Kilometre readings: the kilometre-point breaks of a scenario, the reading
// of a route position, and places on the route as an author writes them on
// the command line (metres from the start or a kilometre reading).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/route_model.h"

namespace scenario::tool {

// One break: from route position `at` onward the kilometre reading is the
// position plus `offset` metres.
struct KilometreBreak {
    std::int64_t at = 0;
    std::int64_t offset = 0;
};
using KilometreBreaks = std::vector<KilometreBreak>;

// The breaks of records 83, 82 and 81, in that order.
KilometreBreaks kilometre_breaks(const ScenarioRecord& uno, const ScenarioRecord& due, const ScenarioRecord& tre);
// The breaks of a model's records.
KilometreBreaks kilometre_breaks(const RouteModel& model);

// The reading of a route position, in metres: the offset of the break with
// the greatest position at or before it applies (the first of equal ones);
// before every break the reading is the position.
std::int64_t reading_at(const KilometreBreaks& breaks, std::int64_t position);

// The kilometre reading of a route position, as the breaks of a model's
// records give it, in metres.
std::int64_t kilometre_reading(const RouteModel& model, std::int64_t position);

// "128.450" for 128450 m.
std::string reading_text(std::int64_t metres);

// One end of a range as the author wrote it: "500000" or "500000m" are
// metres, "92.5km" a kilometre reading (to the metre). A UsageError naming
// `option` when it is neither.
struct RangeEnd {
    std::int64_t metres = 0;
    bool reading = false;
};
RangeEnd parse_range_end(const std::string& text, const std::string& option);

// A stretch of the route, both ends included (metres).
struct Stretch {
    std::int64_t from = 0;
    std::int64_t to = 0;
};

// The route positions whose reading lies from `from` to `to`: where the
// breaks repeat or skip readings, one stretch for each piece of the route.
std::vector<Stretch> positions_reading(const KilometreBreaks& breaks, std::int64_t from, std::int64_t to);

}  // namespace scenario::tool
