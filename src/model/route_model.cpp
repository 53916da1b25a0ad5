#include "model/route_model.h"

#include <string>

namespace scenario {

void RouteModel::refuse_cell(std::int64_t index) const {
    if (cells.empty())
        throw ReadFault(Fault::no_route_length, "the route cells do not exist yet (no route length was read)");
    throw ReadFault(Fault::cell_outside_route, "route cell " + std::to_string(index) + " is outside cells 0 to " +
                                                   std::to_string(cells.size() - 1));
}

ScenarioRecord& RouteModel::record(std::int64_t index) {
    if (index < 0 || index >= record_count) {
        throw ReadFault(Fault::record_outside_table,
                        "scenario record " + std::to_string(index) + " is outside records 0 to 86");
    }
    return records[static_cast<std::size_t>(index)];
}

void RouteModel::store_text(ScenarioRecord& record, const std::string& text) {
    if (text.size() > longest_record_text) {
        throw ReadFault(Fault::text_too_long, "a text of " + std::to_string(text.size()) +
                                                  " characters is longer than a record holds (" +
                                                  std::to_string(longest_record_text) + ")");
    }
    record.text = text;
}

void RouteModel::create_cells(std::int32_t count) {
    if (count < 0)
        throw ReadFault(Fault::negative_route_length,
                        "the route cells cannot be created with upper bound " + std::to_string(count));
    cells.assign(static_cast<std::size_t>(count) + 1, RouteCell{});
}

void RouteModel::clear_records() {
    for (ScenarioRecord& r : records) r = ScenarioRecord{};
}

}  // namespace scenario
