// Splitting the rows of the embedded descriptions in tests.
#pragma once

#include <string>
#include <vector>

namespace scenario::testing {

// The fields of a row split at its commas, blanks around each field removed.
std::vector<std::string> row_fields(const std::string& row);

// The rows that begin with "keyword,", each as its fields (the keyword first).
std::vector<std::vector<std::string>> keyword_rows(const std::vector<std::string>& lines, const std::string& keyword);

// A number field; an empty field reads 0.
int field_number(const std::string& field);

// The embedded line's kilometre-point breaks in use (position not 0), in
// ascending position: from each position on, the reading is position + offset.
struct KilometreBreak {
    int position;
    int offset;
};
std::vector<KilometreBreak> kilometre_breaks();

// The kilometre reading (in metres) of a route position.
int kilometre_reading(int position);

// Columns from..to (1-based, inclusive) of a line; empty when it starts past
// the line's end.
std::string text_columns(const std::string& line, int from, int to);

}  // namespace scenario::testing
