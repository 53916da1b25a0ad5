// What the diagnostics keep of a reading instead of the reading itself: the
// lines of an author's file found without an index of every line, fields
// kept past their row with only the start of a long text, and the warnings
// kept for showing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool/authoring.h"
#include "tool/diagnostics/recorder.h"
#include "tool/diagnostics/rows.h"
#include "tool/diagnostics/run.h"
#include "tool/diagnostics/shown_warnings.h"

namespace scenario::tool {
namespace {

using testing::TempFolder;
using testing::write_file;

TEST(DiagnosticRecords, ALineIsFoundInAFileOfAnyShape) {
    // Short lines across the blocks the lines are found from, a line longer
    // than a block, and every kind of line end.
    std::string text;
    for (int i = 1; i <= 2000; ++i) text += "row " + std::to_string(i) + "\r\n";
    const std::string long_line(10000, 'L');
    text += long_line + "\n" + "after the long one\r" + "\r\n" + "last";
    TempFolder folder;
    write_file(folder.file("line.txt"), text);
    const AuthorFiles files(folder.file("line.txt"), folder.file("missing.txt"));
    const std::pair<int, std::string> lines[] = {
        {1, "row 1"},       {500, "row 500"},
        {1999, "row 1999"}, {2000, "row 2000"},
        {2001, long_line},  {2002, "after the long one"},
        {2003, ""},         {2004, "last"},
        {2005, ""},         {0, ""},
    };
    for (const auto& [number, expected] : lines) {
        EXPECT_EQ(files.line(Source::line_description, number), expected) << number;
    }
    EXPECT_EQ(files.line(Source::train_description, 1), "");
}

// Line ends where the blocks of the line index meet: the line after each is
// found whatever ends the lines before it.
TEST(DiagnosticRecords, LinesAreCountedAlikeWhateverEndsThem) {
    struct Case {
        const char* what;
        const char* end;     // what ends every line
        std::size_t filler;  // the length of each line before its end
    } const cases[] = {
        {"LF, a line end at each block's last byte", "\n", 4095},
        {"LF, a line end at each block's first byte", "\n", 4096},
        {"CR LF, split by a block's end", "\r\n", 4095},
        {"a bare CR", "\r", 4095},
        {"short LF lines", "\n", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string text;
        for (int i = 1; i <= 5; ++i) {
            const std::string row = "row " + std::to_string(i);
            text += row + std::string(c.filler - row.size(), '.') + c.end;
        }
        TempFolder folder;
        write_file(folder.file("line.txt"), text + "last" + c.end);
        const AuthorFiles files(folder.file("line.txt"), folder.file("missing.txt"));
        for (int number = 1; number <= 5; ++number) {
            const std::string row = "row " + std::to_string(number);
            EXPECT_EQ(files.line(Source::line_description, number), row + std::string(c.filler - row.size(), '.'));
        }
        EXPECT_EQ(files.line(Source::line_description, 6), "last");
        // The line end that closes the text begins no line.
        EXPECT_EQ(files.line(Source::line_description, 7), "");
    }
}

TEST(DiagnosticRecords, AFieldKeptPastItsRowIsShownAsTheWholeField) {
    const std::string long_ascii(3000, 'a');
    // A two-byte letter across the place where a kept text is cut.
    const std::string utf8 = std::string(1023, 'u') + "\xC3\xA0" + std::string(2000, 'u');
    // UTF-8 up to the cut, a byte that is not past it: single-byte text.
    const std::string single_byte = std::string(1500, 'b') + "\xC3\xA0" + std::string(500, 'b') + "\xE0";
    const std::string short_controls = "(\x1b[31mA)";
    for (const std::string& text : {long_ascii, utf8, single_byte, short_controls}) {
        RecordedField read;
        read.text = text;
        RecordedField kept;
        kept.keep(read);
        EXPECT_LE(kept.text.size(), RecordedField::keptText);
        EXPECT_EQ(shown_text(kept), shown_text(text)) << text.substr(0, 20);
        EXPECT_EQ(tool::quoted(kept), tool::quoted(std::string_view(text)));
    }
    EXPECT_EQ(shown_text(std::string(60, 'x')), std::string(60, 'x'));
    EXPECT_EQ(shown_text(std::string(61, 'x')), std::string(60, 'x') + "...");
    EXPECT_EQ(shown_text(std::string(2000, 'x') + "\xE0"), std::string(60, 'x') + "...");
}

FoundWarning found(int line, int column, std::size_t count, const std::string& message = "m") {
    FoundWarning w;
    w.source = Source::line_description;
    w.diagnostic.name = "unknown-keyword";
    w.diagnostic.at = SourcePoint{{}, line, column, 0, {}};
    w.diagnostic.message = message;
    w.order.line = line;
    w.order.column = column;
    w.order.count = count;
    return w;
}

std::vector<std::pair<int, int>> places(const std::vector<FoundWarning>& warnings) {
    std::vector<std::pair<int, int>> at;
    at.reserve(warnings.size());
    for (const FoundWarning& w : warnings) at.emplace_back(w.order.line, w.order.column);
    return at;
}

TEST(DiagnosticRecords, TheWarningsShownAreTheFirstInFileOrderEachOnce) {
    ShownWarnings shown;
    // Found out of order, one twice: kept in order, once, where found first.
    shown.add(found(9, 1, 0));
    shown.add(found(2, 5, 1));
    shown.add(found(2, 1, 2));
    shown.add(found(9, 1, 3));
    EXPECT_FALSE(shown.cut());
    const std::vector<FoundWarning> kept = shown.list();
    EXPECT_EQ(places(kept), (std::vector<std::pair<int, int>>{{2, 1}, {2, 5}, {9, 1}}));
    EXPECT_EQ(kept.back().order.count, 0u);

    // More than a line holds, then more than are shown: the last in the
    // order go, wherever they were found.
    ShownWarnings full;
    for (int column = ShownWarnings::mostOnALine + 5; column >= 1; --column) {
        full.add(found(1, column, static_cast<std::size_t>(column)));
    }
    EXPECT_TRUE(full.cut());
    EXPECT_EQ(full.list().back().order.column, static_cast<int>(ShownWarnings::mostOnALine));
    for (std::size_t line = ShownWarnings::most + 10; line >= 2; --line)
        full.add(found(static_cast<int>(line), 1, line));
    const std::vector<FoundWarning> all = full.take();
    ASSERT_EQ(all.size(), ShownWarnings::most);
    EXPECT_EQ(all.back().order.line, static_cast<int>(ShownWarnings::most - ShownWarnings::mostOnALine + 1));
}

}  // namespace
}  // namespace scenario::tool
