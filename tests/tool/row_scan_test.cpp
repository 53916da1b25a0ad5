// Rows found by scanning a description's lines, as the errors whose cause
// lies in rows the reading never reached see them: line numbers as the
// reader counts them, columns of the keyword and the first value, comments
// passed over.
#include "tool/diagnostics/row_scan.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace scenario::tool {
namespace {

constexpr std::array<const Keyword*, 5> items = keyword::line_items;

// One row as "LINE keyword@COLUMN-END first@COLUMN-END", the first value
// left out where there is none.
std::vector<std::string> scanned(std::string_view text, int from, std::size_t most = 100) {
    std::vector<std::string> rows;
    scan_rows(text, from, items, [&](const ScannedRow& r) {
        std::string row = std::to_string(r.line) + " " + std::string(r.keywordText) + "@" +
                          std::to_string(r.keywordColumn) + "-" + std::to_string(r.keywordEnd);
        if (r.first) {
            row +=
                " " + std::to_string(*r.first) + "@" + std::to_string(r.firstColumn) + "-" + std::to_string(r.firstEnd);
        }
        rows.push_back(row);
        return rows.size() < most;
    });
    return rows;
}

TEST(RowScan, FindsTheRowsTheReaderWouldRead) {
    struct Case {
        const char* name;
        std::string text;
        int from;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {"lines end in LF, CR LF or a bare CR", "a\nb\r\nc\rpendenza, 5\n", 1, {"4 pendenza@1-9 5@11-12"}},
        {"blanks around the fields are not part of them", "  pendenza ,  120 ,3", 1, {"1 pendenza@3-11 120@15-18"}},
        {"a negative first value", "pendenza,-4,5", 1, {"1 pendenza@1-9 -4@10-12"}},
        {"a first value that is no whole number",
         "pendenza, 12a\npendenza, \npendenza",
         1,
         {"1 pendenza@1-9", "2 pendenza@1-9", "3 pendenza@1-9"}},
        {"a hyphen makes a comment", "- pendenza, 5\npendenza-x, 5\npendenza, 6", 1, {"3 pendenza@1-9 6@11-12"}},
        {"other words are passed over", "[curve]\nlunghezza percorso, 20\npendenza, 7", 1, {"3 pendenza@1-9 7@11-12"}},
        {"lines before `from` are not looked at",
         "pendenza, 1\npendenza, 2\npendenza, 3",
         2,
         {"2 pendenza@1-9 2@11-12", "3 pendenza@1-9 3@11-12"}},
        {"an empty text", "", 1, {}},
        {"a text that ends with its line end", "pendenza, 1\r\n", 1, {"1 pendenza@1-9 1@11-12"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scanned(c.text, c.from), c.rows) << c.name;
    }
}

TEST(RowScan, StopsWhenAsked) {
    EXPECT_EQ(scanned("pendenza, 1\npendenza, 2\npendenza, 3", 1, 1),
              std::vector<std::string>{"1 pendenza@1-9 1@11-12"});
}

TEST(RowScan, FindsTheNextSectionHeader) {
    struct Case {
        const char* name;
        std::string text;
        int from;
        std::string header;  // "LINE text@COLUMN-END", or empty for none
    };
    const std::vector<Case> cases = {
        {"the first header from the line on", "[generale]\r\nx, 1\r\n [curve] , 2\r\n[fine]", 2, "3 [curve]@2-9"},
        {"a header on the line itself", "[generale]\n[curve]", 1, "1 [generale]@1-11"},
        {"a field with only one bracket is no header", "[curve\ncurve]\n[fine]", 1, "3 [fine]@1-7"},
        {"a commented header is passed over", "-[curve]\n[fine]", 1, "2 [fine]@1-7"},
        {"no header at all", "pendenza, 1\npendenza, 2", 1, ""},
        {"none after the last", "[generale]\npendenza, 1", 2, ""},
    };
    for (const Case& c : cases) {
        const std::optional<ScannedHeader> h = next_header(c.text, c.from);
        const std::string shown = h ? std::to_string(h->line) + " " + std::string(h->text) + "@" +
                                          std::to_string(h->column) + "-" + std::to_string(h->end)
                                    : std::string();
        EXPECT_EQ(shown, c.header) << c.name;
    }
}

}  // namespace
}  // namespace scenario::tool
