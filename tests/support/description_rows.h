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

}  // namespace scenario::testing
