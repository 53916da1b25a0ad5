#include "tool/lsp/row_lookup.h"

#include <algorithm>

namespace scenario::tool::lsp {

int last_line(const RecordedRow& row) {
    int last = row.keywordField.at.line;
    for (const RecordedField& value : row.values) last = std::max(last, value.at.line);
    return last;
}

int row_at(const Recorder& recorder, Source source, int line) {
    // Rows are in file order, the line description's first: the last row
    // that starts at or before the line is the only one that may cover it.
    const auto& rows = recorder.rows;
    const auto after = std::partition_point(rows.begin(), rows.end(), [&](const RecordedRow& r) {
        return r.source != source ? r.source == Source::line_description && source == Source::train_description
                                  : r.keywordField.at.line <= line;
    });
    if (after == rows.begin()) return -1;
    const auto found = std::prev(after);
    if (found->source != source || last_line(*found) < line) return -1;
    return static_cast<int>(found - rows.begin());
}

std::optional<FieldAt> field_at(const RecordedRow& row, int line, int column) {
    const auto covers = [&](const RecordedField& f) {
        return f.at.line == line && column >= f.at.column && column <= std::max(f.endColumn, f.at.column);
    };
    if (covers(row.keywordField)) return FieldAt{&row.keywordField, std::nullopt};
    for (std::size_t i = 0; i < row.values.size(); ++i) {
        if (covers(row.values[i])) return FieldAt{&row.values[i], i};
    }
    return std::nullopt;
}

std::vector<std::int64_t> cells_of(const Recorder& recorder, int row, std::int64_t cell_count) {
    std::vector<std::int64_t> cells;
    for (std::int64_t c = 0; c <= cell_count; ++c) {
        const CellOwner* owner = recorder.owner(c);
        if (owner != nullptr && owner->row == row && !owner->passCause) cells.push_back(c);
    }
    return cells;
}

}  // namespace scenario::tool::lsp
