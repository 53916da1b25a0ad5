#include "support/description_rows.h"

#include <algorithm>
#include <sstream>

#include "description/embedded_scenario.h"

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

std::vector<KilometreBreak> kilometre_breaks() {
    std::vector<KilometreBreak> breaks;
    for (const std::string& line : embedded_line_description()) {
        if (line.rfind("progressiva chilometrica", 0) != 0) continue;
        const auto f = row_fields(line);
        if (field_number(f.at(1)) != 0) breaks.push_back({field_number(f.at(1)), field_number(f.at(2))});
    }
    std::sort(breaks.begin(), breaks.end(), [](KilometreBreak a, KilometreBreak b) { return a.position < b.position; });
    return breaks;
}

int kilometre_reading(int position) {
    int offset = 0;
    for (const KilometreBreak& b : kilometre_breaks()) {
        if (b.position <= position) offset = b.offset;
    }
    return position + offset;
}

std::string text_columns(const std::string& line, int from, int to) {
    if (from < 1 || from > static_cast<int>(line.size())) return "";
    return line.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from + 1));
}

}  // namespace scenario::testing
