#include <cctype>

#include "model/packing.h"
#include "reader/keywords.h"
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

bool is_keyword(const std::string& text) {
    const auto any = [&](const auto& table) {
        for (const Keyword* k : table) {
            if (k->matches(text)) return true;
        }
        return false;
    };
    return any(keyword::line_general) || any(keyword::line_items) || any(keyword::train_records);
}

// The suggestion a message ends with: "...; did you mean `X`?".
std::optional<std::string> suggested(const std::string& message) {
    const std::string lead = "did you mean `";
    const std::size_t at = message.rfind(lead);
    if (at == std::string::npos) return std::nullopt;
    const std::size_t end = message.find("`?", at + lead.size());
    if (end == std::string::npos) return std::nullopt;
    return message.substr(at + lead.size(), end - at - lead.size());
}

// The text that certainly mends the field, when there is one.
std::optional<std::string> mended(const Diagnostic& d, const std::string& text) {
    if (text.empty()) return std::nullopt;
    if (d.name == "unknown-keyword") return suggested(d.message);
    if (d.name == "keyword-letter-case") {
        std::string lower = text;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return lower;
    }
    if (d.name == "hyphenated-keyword") {
        for (const char replacement : {'_', ' '}) {
            std::string m = text;
            std::replace(m.begin(), m.end(), '-', replacement);
            if (is_keyword(m)) return m;
        }
        return std::nullopt;
    }
    if (d.name == "speed-not-multiple-of-5") {
        std::int64_t speed = 0;
        for (const char c : text) {
            if (c < '0' || c > '9' || speed > 100000) return std::nullopt;
            speed = speed * 10 + (c - '0');
        }
        const auto stored = speed_limit_byte(speed);
        if (!stored) return std::nullopt;
        return std::to_string(unpack_speed_limit(*stored));
    }
    return std::nullopt;
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
        const std::string text = field_text(place.document, *d.at);
        const std::optional<std::string> fix = mended(d, text);
        if (!fix || *fix == text) continue;
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
