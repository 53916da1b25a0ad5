// What the records of a scenario hold: which of them are stations.
#pragma once

#include <vector>

#include "model/route_model.h"

namespace scenario::tool {

// A record holds a number that is not 0. Every station the reader records
// does (its kind, or an end beyond 100 m); a sign's record holds only text.
bool holds_a_number(const ScenarioRecord& record);

// The records of the stations, from 1 upward, up to the first record
// without a number.
std::vector<int> station_records(const RouteModel& model);

}  // namespace scenario::tool
