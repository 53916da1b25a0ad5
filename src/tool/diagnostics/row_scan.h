// The rows of a description as its lines show them, for errors whose cause
// lies in rows the reading never got to: rows after the one it stopped at,
// or rows standing where they are not read. Only a row's keyword and its
// first value are looked at, field by field as the reader splits them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "reader/keywords.h"

namespace scenario::tool {

struct ScannedRow {
    int line = 0;
    const Keyword* keyword = nullptr;
    std::string_view keywordText;
    int keywordColumn = 0;
    int keywordEnd = 0;
    std::optional<std::int64_t> first;  // the first value, when a whole number on the keyword's line
    int firstColumn = 0;
    int firstEnd = 0;
};

// Calls `each` for every line from line `from` on whose first field holds
// one of `keywords` (and no hyphen, which makes a comment), in file order,
// until it returns false.
void scan_rows(std::string_view text, int from, std::span<const Keyword* const> keywords,
               const std::function<bool(const ScannedRow&)>& each);

// The first line from line `from` on whose first field holds both "[" and
// "]" (a section header), and that field; nothing when there is none.
struct ScannedHeader {
    int line = 0;
    std::string_view text;
    int column = 0;
    int end = 0;
};
std::optional<ScannedHeader> next_header(std::string_view text, int from);

}  // namespace scenario::tool
