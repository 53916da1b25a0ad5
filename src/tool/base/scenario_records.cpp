#include "tool/base/scenario_records.h"

#include <string>
#include <type_traits>

#include "compactor/file_layout.h"

namespace scenario::tool {

bool holds_a_number(const ScenarioRecord& record) {
    bool any = false;
    layout::record_fields(record, [&any]<typename Field>(const char*, const Field& field) {
        if constexpr (!std::is_same_v<Field, std::string>) any = any || field != 0;
    });
    return any;
}

std::vector<int> station_records(const RouteModel& model) {
    std::vector<int> records;
    for (int k = record_index::first_station; k < record_index::first_sign; ++k) {
        if (!holds_a_number(model.records[static_cast<std::size_t>(k)])) break;
        records.push_back(k);
    }
    return records;
}

}  // namespace scenario::tool
