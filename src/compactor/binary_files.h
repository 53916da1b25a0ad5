// The simulator's three binary files: the plan geometry ("_linea.dat"), the
// scenario records (".sim") and the route cells (".dat").
#pragma once

#include <string>

#include "model/route_model.h"

namespace scenario {

// Encodings of the tables, little-endian, no header and no padding.
std::string encode_records(const RouteModel& model);
std::string encode_cells(const RouteModel& model);
void encode_record(std::string& out, const ScenarioRecord& record);
void encode_cell(std::string& out, const RouteCell& cell);

// Replace-and-write of each file.
void write_line_geometry(const Track& track, const std::string& path);
void write_scenario_records(const RouteModel& model, const std::string& path);
void write_route_cells(const RouteModel& model, const std::string& path);

}  // namespace scenario
