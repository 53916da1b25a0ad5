#include "tool/view/diagnostics_data.h"

#include "tool/diagnosis.h"

namespace scenario::tool {

namespace {

using Json = nlohmann::ordered_json;

template <typename T>
Json optional_json(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json diagnostic(std::int32_t code, const Json& file, const Json& line, const Json& column, const std::string& message,
                const Json& at) {
    return Json{{"severity", "error"}, {"code", code},       {"name", nullptr},        {"file", file}, {"line", line},
                {"column", column},    {"message", message}, {"notes", Json::array()}, {"at", at}};
}

}  // namespace

Json diagnostics_data(const Compaction& compaction, const Sources& sources) {
    Json list = Json::array();
    if (compaction.stamp != 0) {
        list.push_back(
            diagnostic(compaction.stamp, nullptr, nullptr, nullptr, explain_stamp(compaction), Json(nullptr)));
    }
    if (compaction.model.errorCode != 0) {
        const Diagnosis d = diagnose(compaction, sources);
        list.push_back(diagnostic(d.code, optional_json(d.file), optional_json(d.line), optional_json(d.column),
                                  d.message, optional_json(d.position)));
    }
    return list;
}

void attach_sources(std::vector<RouteItem>&, const Compaction&, const Sources&) {
    // The reader does not tell yet which row placed an item.
}

}  // namespace scenario::tool
