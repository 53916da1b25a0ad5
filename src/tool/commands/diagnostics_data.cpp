#include "tool/commands/diagnostics_data.h"

#include <map>
#include <tuple>

#include "tool/diagnostics/report.h"
#include "tool/diagnostics/rows.h"

namespace scenario::tool {

namespace {

using Json = nlohmann::ordered_json;

ItemSource source_of(const RecordedRow& row, const AuthorFiles& files) {
    return {files.path(row.source), row.keywordField.at.line};
}

// The keyword whose rows give items of a kind.
const Keyword* keyword_of(ItemKind kind) {
    switch (kind) {
        case ItemKind::station:
            return &keyword::station;
        case ItemKind::signal:
            return &keyword::signal;
        case ItemKind::speed_boards:
            return &keyword::speed_boards;
        case ItemKind::slowdown:
        case ItemKind::warning_board:
        case ItemKind::slowdown_approach:
            return &keyword::slowdown;
        case ItemKind::restriction:
            return &keyword::restriction;
        case ItemKind::sign:
            return &keyword::sign;
        case ItemKind::mountain_span:
            return &keyword::mountain;
        case ItemKind::curve:
            return &keyword::curve;
        case ItemKind::gradient:
            return &keyword::gradient;
        case ItemKind::speed:
            return &keyword::speed;
        case ItemKind::adhesion:
            return &keyword::adhesion;
        case ItemKind::kilometre_break:
            return nullptr;
    }
    return nullptr;
}

}  // namespace

Json diagnostics_data(const Analysis& analysis, const Recorder& recorder, const AuthorFiles& files) {
    // The position of each row, by where its keyword stands.
    std::map<std::pair<std::string, int>, std::int64_t> positions;
    for (const RecordedRow& row : recorder.rows) {
        if (const std::optional<std::int64_t> p = number_of(row, 0); p && value_count(*row.keyword) > 1) {
            positions.emplace(std::pair{files.path(row.source), row.keywordField.at.line}, *p);
        }
    }
    Json list = diagnostics_json(analysis);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Diagnostic& d = analysis.diagnostics[i];
        Json at = nullptr;
        if (d.at && d.at->line > 0) {
            if (const auto it = positions.find({d.at->file, d.at->line}); it != positions.end()) at = it->second;
        }
        list[i]["at"] = at;
    }
    return list;
}

void attach_sources(std::vector<RouteItem>& items, const Recorder& recorder, const AuthorFiles& files) {
    // Rows of each keyword by their position, for items no cell names.
    std::map<std::pair<const Keyword*, std::int64_t>, const RecordedRow*> by_position;
    for (const RecordedRow& row : recorder.rows) {
        if (const std::optional<std::int64_t> p = number_of(row, 0))
            by_position.emplace(std::pair{row.keyword, *p}, &row);
    }
    for (RouteItem& item : items) {
        if (item.cell >= 0) {
            if (const std::optional<int> row = recorder.source_row(item.cell)) {
                item.source = source_of(recorder.rows[static_cast<std::size_t>(*row)], files);
                continue;
            }
        }
        const Keyword* keyword = keyword_of(item.kind);
        if (keyword == nullptr) continue;
        if (const auto it = by_position.find({keyword, item.from}); it != by_position.end()) {
            item.source = source_of(*it->second, files);
        }
    }
}

}  // namespace scenario::tool
