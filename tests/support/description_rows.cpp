#include "support/description_rows.h"

#include <sstream>

namespace scenario::testing {

std::vector<std::string> row_fields(const std::string& row) {
    std::vector<std::string> fields;
    std::stringstream in(row);
    std::string field;
    while (std::getline(in, field, ',')) {
        const auto first = field.find_first_not_of(' ');
        const auto last = field.find_last_not_of(' ');
        fields.push_back(first == std::string::npos ? "" : field.substr(first, last - first + 1));
    }
    if (!row.empty() && row.back() == ',') fields.push_back("");
    return fields;
}

std::vector<std::vector<std::string>> keyword_rows(const std::vector<std::string>& lines, const std::string& keyword) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : lines) {
        if (line.rfind(keyword + ",", 0) == 0) rows.push_back(row_fields(line));
    }
    return rows;
}

int field_number(const std::string& field) { return field.empty() ? 0 : std::stoi(field); }

}  // namespace scenario::testing
