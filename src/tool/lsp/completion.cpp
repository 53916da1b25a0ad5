#include <algorithm>
#include <span>
#include <vector>

#include "reader/keywords.h"
#include "tool/diagnostics/rows.h"
#include "tool/lsp/features.h"
#include "tool/lsp/text_encoding.h"

namespace scenario::tool::lsp {

namespace {

struct Section {
    std::string_view header;
    std::vector<const Keyword*> keywords;  // none: every keyword of the file's items
};

const std::vector<Section>& sections_of(Role role) {
    static const std::vector<Section> line{{"[generale]", {keyword::line_general.begin(), keyword::line_general.end()}},
                                           {"[curve]", {&keyword::curve}},
                                           {"[pendenze]", {&keyword::gradient}},
                                           {"[montagne]", {&keyword::mountain}},
                                           {"[cartelli]", {&keyword::speed_boards}},
                                           {"[indicazioni]", {&keyword::sign}},
                                           {"[fine]", {}}};
    static const std::vector<Section> train{
        {"[generale]", {&keyword::coaches, &keyword::braked_mass, &keyword::sand, &keyword::clock}},
        {"[aderenze]", {&keyword::adhesion}},
        {"[vel_limite]", {&keyword::speed}},
        {"[stazioni]", {&keyword::station}},
        {"[rallentamenti]", {&keyword::slowdown}},
        {"[segnali]", {&keyword::signal, &keyword::restriction}},
        {"[codici]", {}},
        {"[fine]", {}}};
    return role == Role::train ? train : line;
}

std::string_view trimmed_start(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

// The keywords the section holding `line` reads: by its header, the last one
// above it; a header of no known section reads what its part reads.
std::vector<const Keyword*> keywords_at(const Document& document, Role role, int line) {
    std::string_view header;
    for (int l = line - 1; l >= 0 && header.empty(); --l) {
        const std::string_view text = trimmed_start(document.line(l));
        if (!text.empty() && text.front() == '[' && text.find(']') != std::string_view::npos) {
            header = text.substr(0, text.find(']') + 1);
        }
    }
    for (const Section& s : sections_of(role)) {
        if (s.header == header) return s.keywords;
    }
    if (role == Role::train) return {keyword::train_records.begin(), keyword::train_records.end()};
    if (header.empty()) return {keyword::line_general.begin(), keyword::line_general.end()};
    return {keyword::line_items.begin(), keyword::line_items.end()};
}

// The snippet of a keyword's row: the keyword, then each value a tab stop
// named as the format's table names it.
std::string snippet_of(const Keyword& k) {
    std::string snippet = &k == &keyword::curve ? "curva${1|s,d|}${2|1,2,3,4,5,6|}" : std::string(k.written);
    const int first = &k == &keyword::curve ? 3 : 1;
    for (std::size_t i = 0; i < value_count(k); ++i) {
        snippet += ", ${" + std::to_string(first + static_cast<int>(i)) + ":" + std::string(value_name(k, i)) + "}";
    }
    return snippet;
}

nlohmann::json edit_range(int line, int from, int to) {
    return {{"start", {{"line", line}, {"character", from}}}, {"end", {{"line", line}, {"character", to}}}};
}

}  // namespace

nlohmann::json completion(const Document& document, Role role, Position at) {
    nlohmann::json items = nlohmann::json::array();
    if (role == Role::other) return {{"isIncomplete", false}, {"items", items}};
    const std::string_view line = document.line(at.line);
    const std::string_view before =
        line.substr(0, byte_of_utf16(line, static_cast<std::size_t>(std::max(at.character, 0))));
    const std::string_view typed = trimmed_start(before);
    // Only the first field of a row is a keyword or a header.
    if (typed.find(',') != std::string_view::npos) return {{"isIncomplete", false}, {"items", items}};
    const int from = static_cast<int>(before.size() - typed.size());
    const nlohmann::json range = edit_range(at.line, from, at.character);
    if (typed.empty() || typed.front() == '[') {
        for (const Section& s : sections_of(role)) {
            items.push_back({{"label", s.header},
                             {"kind", 9},
                             {"detail", "section header"},
                             {"textEdit", {{"range", range}, {"newText", s.header}}}});
        }
    }
    if (!typed.empty() && typed.front() == '[') return {{"isIncomplete", false}, {"items", items}};
    for (const Keyword* k : keywords_at(document, role, at.line)) {
        items.push_back({{"label", k == &keyword::curve ? std::string("curva") : std::string(k->written)},
                         {"kind", 14},
                         {"detail", std::string(item_noun(*k))},
                         {"insertTextFormat", 2},
                         {"textEdit", {{"range", range}, {"newText", snippet_of(*k)}}}});
    }
    return {{"isIncomplete", false}, {"items", items}};
}

}  // namespace scenario::tool::lsp
