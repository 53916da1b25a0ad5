// A check's diagnostics as the protocol publishes them: for each file of the
// pair, its diagnostics with the name as the code, a link to the name's
// entry in the reference page, the field's exact range, and the notes as
// related information (a note in the other file also shows there, as a hint
// that leads back).
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tool/lsp/checking.h"

namespace scenario::tool::lsp {

struct Published {
    std::string uri;
    nlohmann::json diagnostics;  // an array
};

// `reference` is the address of the reference page, to which "#name" is
// added.
std::vector<Published> published_diagnostics(const Checked& checked, const Workspace& workspace,
                                             const std::string& reference);

// The protocol's range of a field at a diagnostic's place (1-based line,
// byte columns of the Latin-1 file, end 0 when only a point is known).
nlohmann::json range_json(const Document& document, int line, int column, int end_column);

}  // namespace scenario::tool::lsp
