#include "tool/drawing/view_page.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <variant>

#include "model/placement.h"
#include "tool/base/display_text.h"

namespace scenario::tool {

namespace {

constexpr std::string_view data_placeholder = "\"@@SCENARIO_DATA@@\"";

// Whole centimetres: integers are written faster and shorter than decimals.
std::int64_t centimetres(double metres) { return std::llround(metres * 100); }

// JSON text, written as it goes. Strings are UTF-8 (other bytes are taken as
// single-byte text); "<" is written as \u003c, so that the text can stand
// inside a script element.
class JsonText {
public:
    std::string text;

    JsonText& raw(std::string_view s) {
        text += s;
        return *this;
    }
    JsonText& key(std::string_view name) {
        comma();
        quoted(name);
        text += ':';
        fresh_ = true;
        return *this;
    }
    JsonText& open(char bracket) {
        comma();
        text += bracket;
        fresh_ = true;
        return *this;
    }
    JsonText& close(char bracket) {
        text += bracket;
        fresh_ = false;
        return *this;
    }
    JsonText& number(std::int64_t n) {
        comma();
        char buffer[24];
        text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, n).ptr);
        return *this;
    }
    JsonText& real(double v) {
        comma();
        if (!std::isfinite(v)) {
            text += "null";
            return *this;
        }
        char buffer[32];
        text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
        return *this;
    }
    JsonText& null() {
        comma();
        text += "null";
        return *this;
    }
    JsonText& string(std::string_view s) {
        comma();
        quoted(s);
        return *this;
    }
    JsonText& optional(const std::optional<std::string>& s) { return s ? string(*s) : null(); }
    // A small tree (the diagnostics), through the same escaping.
    JsonText& tree(const nlohmann::ordered_json& value) {
        comma();
        const std::string dumped = value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
        for (char c : dumped) {
            if (c == '<') {
                text += "\\u003c";
            } else {
                text += c;
            }
        }
        return *this;
    }

private:
    void quoted(std::string_view s) {
        const std::string shown = utf8_text(s);
        text += '"';
        for (char c : shown) {
            switch (c) {
                case '"':
                    text += "\\\"";
                    break;
                case '\\':
                    text += "\\\\";
                    break;
                case '<':
                    text += "\\u003c";
                    break;
                default:
                    if (static_cast<unsigned char>(c) < 0x20) {
                        char buffer[8];
                        std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
                        text += buffer;
                    } else {
                        text += c;
                    }
            }
        }
        text += '"';
    }
    // A value after another in the same array or object needs a comma.
    void comma() {
        if (!fresh_) text += ',';
        fresh_ = false;
    }
    bool fresh_ = true;
};

void item_json(JsonText& j, std::size_t id, const RouteItem& item, const std::vector<KilometreBreak>& breaks) {
    j.open('{');
    j.key("id").number(static_cast<std::int64_t>(id));
    j.key("kind").string(kind_key(item.kind));
    j.key("at").number(item.at);
    if (item.from != item.at || item.to != item.at) {
        j.key("from").number(item.from);
        j.key("to").number(item.to);
    }
    j.key("reading").number(reading_at(breaks, item.at));
    j.key("cell");
    item.cell >= 0 ? j.number(item.cell) : j.null();
    j.key("value").real(item.value);
    if (item.side != 0) j.key("side").number(item.side);
    j.key("label").string(item.label);
    j.key("fields").open('{');
    for (const ItemField& f : item.fields) {
        j.key(f.name);
        std::visit(
            [&j](const auto& v) {
                using V = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<V, std::int64_t>) {
                    j.number(v);
                } else if constexpr (std::is_same_v<V, double>) {
                    j.real(v);
                } else {
                    j.string(v);
                }
            },
            f.value);
    }
    j.close('}');
    j.key("source");
    if (item.source) {
        j.open('{').key("file").string(item.source->file).key("line").number(item.source->line).close('}');
    } else {
        j.null();
    }
    j.close('}');
}

}  // namespace

std::string view_data(const RouteData& route, const nlohmann::ordered_json& diagnostics, const ViewHeading& heading,
                      const ViewOrigin& origin, const nlohmann::ordered_json& reading_end) {
    JsonText j;
    j.text.reserve(route.items.size() * 400 + route.elevation.size() * 8 + route.plan.size() * 24 + 4096);
    j.open('{');
    j.key("version").number(1);
    j.key("heading").open('{');
    j.key("title").optional(heading.title).key("trainCode").optional(heading.trainCode);
    j.close('}');
    j.key("origin").open('{').key("kind").string(origin.kind).key("files").open('[');
    for (const std::string& file : origin.files) j.string(file);
    j.close(']').close('}');
    j.key("route").open('{');
    j.key("length").number(route.routeLength).key("extent").number(route.extent);
    j.key("cellMetres").number(cell_metres).key("trackMetres").number(route.trackMetres);
    j.key("title").string(route.title).key("trainCode").string(route.trainCode);
    j.close('}');
    j.key("breaks").open('[');
    for (const KilometreBreak& b : route.breaks)
        j.open('{').key("at").number(b.at).key("offset").number(b.offset).close('}');
    j.close(']');
    j.key("elevationCm").open('[');
    for (double e : route.elevation) j.number(centimetres(e));
    j.close(']');
    j.key("plan").open('{').key("metre").open('[');
    for (const PlanPoint& p : route.plan) j.number(p.metre);
    j.close(']').key("xCm").open('[');
    for (const PlanPoint& p : route.plan) j.number(centimetres(p.x));
    j.close(']').key("yCm").open('[');
    for (const PlanPoint& p : route.plan) j.number(centimetres(p.y));
    j.close(']').close('}');
    j.key("items").open('[');
    for (std::size_t i = 0; i < route.items.size(); ++i) item_json(j, i, route.items[i], route.breaks);
    j.close(']');
    j.key("diagnostics").tree(diagnostics);
    j.key("readingEnd").tree(reading_end);
    j.close('}');
    return std::move(j.text);
}

std::string view_page(std::string_view data) {
    if (viewer_page_template.empty()) {
        throw std::logic_error("this scenario-tool was built without the viewer page (node and npm were missing)");
    }
    const std::size_t at = viewer_page_template.find(data_placeholder);
    if (at == std::string_view::npos) throw std::logic_error("the viewer page has no place for the data");
    std::string page;
    page.reserve(viewer_page_template.size() + data.size());
    page.append(viewer_page_template.substr(0, at));
    page.append(data);
    page.append(viewer_page_template.substr(at + data_placeholder.size()));
    return page;
}

}  // namespace scenario::tool
