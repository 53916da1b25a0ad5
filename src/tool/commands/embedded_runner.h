// The runner of the tool's own platform, built with the tool and embedded in
// it (cmake/EmbedRunner.cmake): `package` appends a scenario to a copy.
#pragma once

#include <cstddef>
#include <string_view>

namespace scenario::tool {

std::string_view embedded_runner();

}  // namespace scenario::tool
