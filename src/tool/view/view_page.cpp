#include "tool/view/view_page.h"

#include <cmath>
#include <stdexcept>

namespace scenario::tool {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view data_placeholder = "\"@@SCENARIO_DATA@@\"";

double centimetres(double metres) { return std::round(metres * 100) / 100; }

Json value_json(const ItemValue& value) {
    return std::visit([](const auto& v) { return Json(v); }, value);
}

Json item_json(std::size_t id, const RouteItem& item, const std::vector<KilometreBreak>& breaks) {
    Json j;
    j["id"] = id;
    j["kind"] = kind_key(item.kind);
    j["at"] = item.at;
    if (item.from != item.at || item.to != item.at) {
        j["from"] = item.from;
        j["to"] = item.to;
    }
    j["reading"] = reading_at(breaks, item.at);
    j["cell"] = item.cell >= 0 ? Json(item.cell) : Json(nullptr);
    j["value"] = item.value;
    if (item.side != 0) j["side"] = item.side;
    j["label"] = item.label;
    Json fields = Json::object();
    for (const ItemField& f : item.fields) fields[f.name] = value_json(f.value);
    j["fields"] = std::move(fields);
    j["source"] = item.source ? Json{{"file", item.source->file}, {"line", item.source->line}} : Json(nullptr);
    return j;
}

}  // namespace

Json view_data(const RouteData& route, const Json& diagnostics, const ViewHeading& heading, const ViewOrigin& origin) {
    Json data;
    data["version"] = 1;
    data["heading"] = {{"title", heading.title ? Json(*heading.title) : Json(nullptr)},
                       {"trainCode", heading.trainCode ? Json(*heading.trainCode) : Json(nullptr)}};
    data["origin"] = {{"kind", origin.kind}, {"files", origin.files}};
    data["route"] = {{"length", route.routeLength},      {"extent", route.extent}, {"cellMetres", 50},
                     {"trackMetres", route.trackMetres}, {"title", route.title},   {"trainCode", route.trainCode}};
    Json breaks = Json::array();
    for (const KilometreBreak& b : route.breaks) breaks.push_back({{"at", b.at}, {"offset", b.offset}});
    data["breaks"] = std::move(breaks);
    data["elevation"] = route.elevation;
    Json metre = Json::array();
    Json x = Json::array();
    Json y = Json::array();
    for (const PlanPoint& p : route.plan) {
        metre.push_back(p.metre);
        x.push_back(centimetres(p.x));
        y.push_back(centimetres(p.y));
    }
    data["plan"] = {{"metre", std::move(metre)}, {"x", std::move(x)}, {"y", std::move(y)}};
    Json items = Json::array();
    for (std::size_t i = 0; i < route.items.size(); ++i) items.push_back(item_json(i, route.items[i], route.breaks));
    data["items"] = std::move(items);
    data["diagnostics"] = diagnostics;
    return data;
}

std::string view_page(const Json& data) {
    if (viewer_page_template.empty()) {
        throw std::logic_error("this scenario-tool was built without the viewer page (node and npm were missing)");
    }
    const std::size_t at = viewer_page_template.find(data_placeholder);
    if (at == std::string_view::npos) throw std::logic_error("the viewer page has no place for the data");
    // Inside a script element "<" may only appear escaped; in JSON it stands
    // only inside strings, where \u003c reads back the same.
    const std::string text = data.dump(-1, ' ', false, Json::error_handler_t::replace);
    std::string page;
    page.reserve(viewer_page_template.size() + text.size() + text.size() / 16);
    page.append(viewer_page_template.substr(0, at));
    for (char c : text) {
        if (c == '<') {
            page += "\\u003c";
        } else {
            page += c;
        }
    }
    page.append(viewer_page_template.substr(at + data_placeholder.size()));
    return page;
}

}  // namespace scenario::tool
