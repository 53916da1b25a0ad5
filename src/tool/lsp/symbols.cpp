#include "tool/base/display_text.h"
#include "tool/diagnostics/rows.h"
#include "tool/lsp/features.h"
#include "tool/lsp/publish.h"
#include "tool/lsp/row_lookup.h"
#include "tool/lsp/text_encoding.h"

namespace scenario::tool::lsp {

namespace {

// The protocol's symbol kinds used here.
constexpr int module_kind = 2;
constexpr int field_kind = 8;
constexpr int struct_kind = 23;
constexpr int event_kind = 24;

struct Header {
    int line = 0;  // 0-based
    std::string name;
};

std::vector<Header> headers_of(const Document& document) {
    std::vector<Header> headers;
    for (std::size_t l = 0; l < document.line_count(); ++l) {
        std::string_view text = document.line(static_cast<int>(l));
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
        if (text.empty() || text.front() != '[' || text.find(']') == std::string_view::npos) continue;
        headers.push_back({static_cast<int>(l), std::string(text.substr(0, text.find(']') + 1))});
    }
    return headers;
}

int kind_of(const Keyword* k) {
    if (k == &keyword::station) return struct_kind;
    if (k == &keyword::signal) return field_kind;
    if (k == &keyword::slowdown) return event_kind;
    return 0;
}

// "Brenzola" for a station, "signal at 1050 m" for the others.
std::string name_of(const RecordedRow& row) {
    if (row.keyword == &keyword::station && row.values.size() > 16) return latin1_to_utf8(row.values[16].text);
    const std::string noun(item_noun(*row.keyword));
    return row.values.empty() ? noun : noun + " at " + std::to_string(row.values[0].number) + " m";
}

nlohmann::json row_symbol(const Document& document, const RecordedRow& row) {
    const RecordedField& k = row.keywordField;
    const int last = last_line(row);
    nlohmann::json whole = range_json(document, k.at.line, 1, 0);
    whole["end"] = range_json(document, last, 0, 0)["end"];
    return {{"name", name_of(row)},
            {"kind", kind_of(row.keyword)},
            {"range", whole},
            {"selectionRange", range_json(document, k.at.line, k.at.column, k.endColumn)}};
}

}  // namespace

nlohmann::json document_symbols(const Checked& checked, Source source, const Document& document) {
    const std::vector<Header> headers = headers_of(document);
    nlohmann::json sections = nlohmann::json::array();
    for (std::size_t i = 0; i < headers.size(); ++i) {
        const int end = i + 1 < headers.size() ? headers[i + 1].line : static_cast<int>(document.line_count());
        nlohmann::json children = nlohmann::json::array();
        for (const RecordedRow& row : checked.recorder().rows) {
            const int line = row.keywordField.at.line - 1;
            if (row.source != source || line <= headers[i].line || line >= end || kind_of(row.keyword) == 0) continue;
            children.push_back(row_symbol(document, row));
        }
        const int last = std::max(headers[i].line, end - 1);
        nlohmann::json range = range_json(document, headers[i].line + 1, 0, 0);
        range["end"] = range_json(document, last + 1, 0, 0)["end"];
        sections.push_back({{"name", headers[i].name},
                            {"kind", module_kind},
                            {"range", range},
                            {"selectionRange", range_json(document, headers[i].line + 1, 0, 0)},
                            {"children", std::move(children)}});
    }
    return sections;
}

}  // namespace scenario::tool::lsp
