// The viewer page: one self-contained HTML file holding the page's script,
// style and charting library, and the scenario as JSON data.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "tool/drawing/route_items.h"

namespace scenario::tool {

struct ViewHeading {
    std::optional<std::string> title;
    std::optional<std::string> trainCode;
};

struct ViewOrigin {
    std::string kind;                // "descriptions" or "compiled files"
    std::vector<std::string> files;  // the files it was drawn from, as given
};

// The data the page draws, as JSON text that can stand inside a script
// element (it holds no "<"). Written directly, not through a JSON tree: the
// longest route has tens of thousands of values. `reading_end` says where
// the reading stopped short of rows (null when it did not).
std::string view_data(const RouteData& route, const nlohmann::ordered_json& diagnostics, const ViewHeading& heading,
                      const ViewOrigin& origin, const nlohmann::ordered_json& reading_end = nullptr);

// The page with the data in it. Throws std::logic_error when the tool was
// built without the page.
std::string view_page(std::string_view data);

// The page as built, with one placeholder for the data; empty when the tool
// was built without node and npm.
extern const std::string_view viewer_page_template;

}  // namespace scenario::tool
