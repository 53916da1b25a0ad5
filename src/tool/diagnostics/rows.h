// The rows of the descriptions as an author sees them: what each value of a
// keyword's row is called and what the row stands for.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "reader/keywords.h"
#include "tool/diagnostics/recorder.h"

namespace scenario::tool {

// How many values a keyword's row reads, and the name of each.
std::size_t value_count(const Keyword& keyword);
std::string_view value_name(const Keyword& keyword, std::size_t index);

// What a row stands for: "signal", "slowdown", "roadside sign", ...
std::string_view item_noun(const Keyword& keyword);

// A value of a row as read, when the row got that far.
const RecordedField* value_of(const RecordedRow& row, std::size_t index);
std::optional<std::int64_t> number_of(const RecordedRow& row, std::size_t index);

// "the signal at 12300 m", "station Brenzola", "the roadside sign (Cippo ) at
// 10950 m": the row's item in the author's words.
std::string item_words(const RecordedRow& row);

// An author's text as a message shows it: control characters escaped and,
// past 60 characters, cut with "..." (only what is shown of a long text is
// converted). `quoted` puts it in backquotes.
std::string shown_text(std::string_view text);
std::string quoted(std::string_view text);
// The same of a field, which may keep only the start of its text.
std::string shown_text(const RecordedField& field);
std::string quoted(const RecordedField& field);

// "12300 m"
std::string metres(std::int64_t m);

// The keywords of every table, for suggestions.
std::span<const Keyword* const> line_general_keywords();
std::span<const Keyword* const> line_item_keywords();
std::span<const Keyword* const> train_keywords();

}  // namespace scenario::tool
