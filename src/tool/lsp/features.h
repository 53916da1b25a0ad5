// The editor's features, one file each: hover, completion, outline,
// definition and references, quick fixes. Each answers from the latest check
// of the pair (current: the server checks a changed pair before it answers)
// and the document as the editor holds it.
#pragma once

#include <nlohmann/json.hpp>

#include "tool/lsp/checking.h"
#include "tool/lsp/documents.h"
#include "tool/lsp/pairing.h"

namespace scenario::tool::lsp {

// A place in one file of a checked pair.
struct Place {
    const Checked& checked;
    const Workspace& workspace;
    Source source;
    const Document& document;
    Position at;
};

// The row under the cursor explained: a Hover, or null.
nlohmann::json hover(const Place& place);
// The keywords the section at the cursor reads, with their fields as a
// snippet; section headers at a line's start. A CompletionList.
nlohmann::json completion(const Document& document, Role role, Position at);
// The sections, and in them the stations, signals and slowdowns. An array of
// DocumentSymbol.
nlohmann::json document_symbols(const Checked& checked, Source source, const Document& document);
// From a diagnostic's place to its notes' rows; from an item to the row
// that holds its route cell. An array of Location.
nlohmann::json definition(const Place& place);
// From a station to the rows placed in its cells; from any item to the rows
// that share its cells. An array of Location.
nlohmann::json references(const Place& place);
// Quick fixes for the diagnostics within `range`. An array of CodeAction.
nlohmann::json code_actions(const Place& place, const Range& range);

// Shared by the features.
Source source_of(Role role);
// The protocol's Location of a row's field (the keyword when field is null).
nlohmann::json field_location(const Place& place, Source source, const RecordedField& field);

}  // namespace scenario::tool::lsp
