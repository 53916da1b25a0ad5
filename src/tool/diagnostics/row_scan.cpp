#include "tool/diagnostics/row_scan.h"

#include <charconv>

namespace scenario::tool {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// A field of a line up to its comma, without the blanks around it: its text
// and its columns (1-based, the end just past it).
struct Field {
    std::string_view text;
    int column = 0;
    int end = 0;
    std::size_t next = 0;  // where the field after it begins
};

Field field_at(std::string_view line, std::size_t from) {
    std::size_t start = from;
    while (start < line.size() && is_blank(line[start])) ++start;
    std::size_t stop = line.find(',', start);
    const std::size_t next = stop == std::string_view::npos ? line.size() : stop + 1;
    if (stop == std::string_view::npos) stop = line.size();
    std::size_t end = stop;
    while (end > start && is_blank(line[end - 1])) --end;
    return {line.substr(start, end - start), static_cast<int>(start) + 1, static_cast<int>(end) + 1, next};
}

// Calls `each` with every line of `text` from line `from` on, numbered as
// the reader numbers them (LF, CR LF or a bare CR end a line), until it
// returns false.
template <typename Each>
void each_line(std::string_view text, int from, Each&& each) {
    int number = 1;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        if (number >= from && !each(number, text.substr(start, end - start))) return;
        if (end >= text.size()) return;
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
        ++number;
    }
}

}  // namespace

void scan_rows(std::string_view text, int from, std::span<const Keyword* const> keywords,
               const std::function<bool(const ScannedRow&)>& each) {
    each_line(text, from, [&](int number, std::string_view line) {
        const Field keyword = field_at(line, 0);
        if (keyword.text.empty() || keyword.text.find('-') != std::string_view::npos) return true;
        for (const Keyword* k : keywords) {
            if (!k->matches(keyword.text)) continue;
            ScannedRow row{number, k, keyword.text, keyword.column, keyword.end, std::nullopt, 0, 0};
            if (keyword.next < line.size()) {
                const Field value = field_at(line, keyword.next);
                std::int64_t n = 0;
                const char* last = value.text.data() + value.text.size();
                const auto [ptr, ec] = std::from_chars(value.text.data(), last, n);
                if (ec == std::errc() && ptr == last && !value.text.empty()) {
                    row.first = n;
                    row.firstColumn = value.column;
                    row.firstEnd = value.end;
                }
            }
            return each(row);
        }
        return true;
    });
}

std::optional<ScannedHeader> next_header(std::string_view text, int from) {
    std::optional<ScannedHeader> found;
    each_line(text, from, [&](int number, std::string_view line) {
        const Field f = field_at(line, 0);
        if (f.text.empty() || f.text.front() == '-' || f.text.find('[') == std::string_view::npos ||
            f.text.find(']') == std::string_view::npos) {
            return true;
        }
        found = ScannedHeader{number, f.text, f.column, f.end};
        return false;
    });
    return found;
}

}  // namespace scenario::tool
