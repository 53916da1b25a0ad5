#include <algorithm>
#include <optional>
#include <string>

#include "tool/base/display_text.h"
#include "tool/lsp/features.h"
#include "tool/lsp/publish.h"
#include "tool/lsp/text_encoding.h"

namespace scenario::tool::lsp {

namespace {

// The field a diagnostic points at, as the Latin-1 file holds it.
std::string field_text(const Document& document, const SourcePoint& at) {
    const std::string line = latin1_of_utf8(document.line(at.line - 1));
    const auto from = static_cast<std::size_t>(std::max(at.column - 1, 0));
    if (from >= line.size() || at.endColumn <= at.column) return {};
    return line.substr(from, static_cast<std::size_t>(at.endColumn - at.column));
}

bool overlaps(const SourcePoint& at, int first_line, int last_line) {
    return at.line >= first_line && at.line <= last_line;
}

}  // namespace

nlohmann::json code_actions(const Place& place, const Range& range) {
    nlohmann::json actions = nlohmann::json::array();
    const std::string path = place.checked.path(place.source);
    const int first_line = range.start.line + 1;
    const int last_line = range.end.line + 1;
    for (const Diagnostic& d : place.checked.analysis.diagnostics) {
        if (!d.at || d.at->file != path || d.at->line <= 0 || !overlaps(*d.at, first_line, last_line)) continue;
        // Only a diagnostic that carries its mending offers a fix: the
        // check that found the fault knows it for certain.
        if (!d.replacement) continue;
        const std::string text = field_text(place.document, *d.at);
        const std::optional<std::string>& fix = d.replacement;
        if (text.empty() || *fix == text) continue;
        const nlohmann::json field_range = range_json(place.document, d.at->line, d.at->column, d.at->endColumn);
        const std::string now = latin1_to_utf8(text);
        const std::string then = latin1_to_utf8(*fix);
        actions.push_back(
            {{"title", "Replace `" + now + "` with `" + then + "`"},
             {"kind", "quickfix"},
             {"isPreferred", true},
             {"diagnostics",
              {{{"range", field_range},
                {"severity", d.severity == Severity::error ? 1 : 2},
                {"code", d.name},
                {"source", "scenario-tool"},
                {"message", d.message}}}},
             {"edit", {{"changes", {{place.document.uri(), {{{"range", field_range}, {"newText", then}}}}}}}}});
    }
    return actions;
}

}  // namespace scenario::tool::lsp
