// The rows of a reading found by the place an editor names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "tool/diagnostics/recorder.h"

namespace scenario::tool::lsp {

// The index of the row of `source` whose text covers the 1-based line; -1
// for none.
int row_at(const Recorder& recorder, Source source, int line);
// The last line a row's fields reach.
int last_line(const RecordedRow& row);

// The field of a row at a 1-based line and byte column: the keyword
// (index none) or a value.
struct FieldAt {
    const RecordedField* field = nullptr;
    std::optional<std::size_t> index;  // none for the keyword
};
std::optional<FieldAt> field_at(const RecordedRow& row, int line, int column);

// The route cells whose item a row placed, in order.
std::vector<std::int64_t> cells_of(const Recorder& recorder, int row, std::int64_t cell_count);

}  // namespace scenario::tool::lsp
