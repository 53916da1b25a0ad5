#include <set>

#include "tool/lsp/features.h"
#include "tool/lsp/row_lookup.h"

namespace scenario::tool::lsp {

namespace {

constexpr std::int64_t cell_length = 50;

bool covers(const SourcePoint& at, int line, int column) {
    return at.line == line && column >= at.column && column <= std::max(at.endColumn, at.column);
}

nlohmann::json point_location(const Place& place, const SourcePoint& at) {
    const Source source =
        at.file == place.checked.pair.trainPath ? Source::train_description : Source::line_description;
    RecordedField field;
    field.at = {at.line, at.column};
    field.endColumn = at.endColumn;
    return field_location(place, source, field);
}

// The rows that placed the items of cells first to last (for a mark the
// completion pass put, the row of the item it was put for), but `self`.
std::set<int> rows_in(const Recorder& recorder, std::int64_t first, std::int64_t last, int self) {
    std::set<int> rows;
    for (std::int64_t c = std::max<std::int64_t>(first, 0); c <= last; ++c) {
        if (const auto row = recorder.source_row(c); row && *row != self) rows.insert(*row);
    }
    return rows;
}

nlohmann::json row_locations(const Place& place, const std::set<int>& rows) {
    nlohmann::json out = nlohmann::json::array();
    const std::vector<RecordedRow>& kept = place.checked.recorder().rows;
    for (const int r : rows) {
        if (r < 0 || static_cast<std::size_t>(r) >= kept.size()) continue;
        const RecordedRow& row = kept[static_cast<std::size_t>(r)];
        out.push_back(field_location(place, row.source, row.keywordField));
    }
    return out;
}

}  // namespace

nlohmann::json definition(const Place& place) {
    const auto [line, column] = place.document.column_of(place.at);
    const std::string path = place.checked.path(place.source);
    nlohmann::json out = nlohmann::json::array();
    // On a diagnostic's field: the rows its notes name.
    for (const Diagnostic& d : place.checked.analysis.diagnostics) {
        if (!d.at || d.at->file != path || !covers(*d.at, line, column)) continue;
        for (const Note& note : d.notes) {
            if (note.at && note.at->line > 0) out.push_back(point_location(place, *note.at));
        }
    }
    if (!out.empty()) return out;
    // On an item: the row whose item holds its route cell.
    const Recorder& recorder = place.checked.recorder();
    const int self = row_at(recorder, place.source, line);
    if (self < 0) return out;
    const RecordedRow& row = recorder.rows[static_cast<std::size_t>(self)];
    if (row.values.empty() || !row.values[0].isNumber) return out;
    const std::int64_t cell = row.values[0].number / cell_length;
    return row_locations(place, rows_in(recorder, cell, cell, self));
}

nlohmann::json references(const Place& place) {
    const int line = place.document.column_of(place.at).first;
    const Recorder& recorder = place.checked.recorder();
    const int self = row_at(recorder, place.source, line);
    if (self < 0) return nlohmann::json::array();
    const RecordedRow& row = recorder.rows[static_cast<std::size_t>(self)];
    if (row.values.empty() || !row.values[0].isNumber) return nlohmann::json::array();
    std::int64_t first = row.values[0].number / cell_length;
    std::int64_t last = first;
    // A station reaches over its platform's length.
    if (row.keyword == &keyword::station && row.values.size() > 2 && row.values[2].isNumber) {
        last = (row.values[0].number + row.values[2].number) / cell_length;
    }
    for (const std::int64_t c : cells_of(recorder, self, place.checked.run->model.cellCount)) {
        first = std::min(first, c);
        last = std::max(last, c);
    }
    return row_locations(place, rows_in(recorder, first, last, self));
}

}  // namespace scenario::tool::lsp
