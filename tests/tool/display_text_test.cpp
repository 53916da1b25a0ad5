// What the tool echoes from an author's file reaches the terminal harmless:
// control characters escaped, a long source line cut around the caret.
#include "tool/base/display_text.h"

#include <gtest/gtest.h>

#include "tool/authoring.h"

namespace scenario::tool {
namespace {

using scenario::testing::line_description;
using scenario::testing::train_description;
using testing::Author;
using testing::write_file;

TEST(DisplayText, ControlCharactersAreEscaped) {
    const std::pair<std::string, std::string> cases[] = {
        {"Brenzola", "Brenzola"},
        {"\x1b[2J\x1b]0;title\x07", "\\x1b[2J\\x1b]0;title\\x07"},
        {std::string("tab\tstays, NUL\0 and DEL\x7f do not", 31), "tab\tstays, NUL\\x00 and DEL\\x7f do not"},
        {"UTF-8: citt\xc3\xa0, C1 \xc2\x9b", "UTF-8: citt\xc3\xa0, C1 \\x9b"},
        {"single-byte: citt\xe0, C1 \x9b", "single-byte: citt\xc3\xa0, C1 \\x9b"},
    };
    for (const auto& [bytes, shown] : cases) EXPECT_EQ(display_text(bytes), shown) << bytes;
}

TEST(DisplayText, AMessageIsEscapedOnceWhateverItsPartsHold) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain 'words'", "plain 'words'"},
        {"'a\nb' and '\x1b[2J\r'", "'a\\x0ab' and '\\x1b[2J\\x0d'"},
        // Escaped before: unchanged, not escaped twice.
        {"the roadside sign (A\\x1b[31m)", "the roadside sign (A\\x1b[31m)"},
        // Each byte that is not UTF-8 on its own, beside UTF-8 letters.
        {"citt\xc3\xa0 '/tmp/citt\xe0' \xe2\x80\x94", "citt\xc3\xa0 '/tmp/citt\xc3\xa0' \xe2\x80\x94"},
        {"C1: \x9b and \xc2\x9b, tab\tstays", "C1: \\x9b and \\x9b, tab\tstays"},
    };
    for (const auto& [message, shown] : cases) EXPECT_EQ(terminal_text(message), shown) << message;
}

TEST(DisplayText, ALongSourceLineIsCutAroundTheCaret) {
    const std::string digits = [] {
        std::string text;
        for (int i = 0; i < 500; ++i) text += static_cast<char>('0' + i % 10);
        return text;
    }();
    std::string escapes_48;
    for (int i = 0; i < 48; ++i) escapes_48 += "\\x1b";
    struct Case {
        const char* what;
        std::string line;
        int column;
        std::string text;
        int caret;
    };
    const Case cases[] = {
        {"short", "a,\x1b,b", 5, "a,\\x1b,b", 8},
        {"exactly the width", digits.substr(0, 200), 200, digits.substr(0, 200), 200},
        {"caret near the start", digits, 3, digits.substr(0, 194) + "...", 3},
        {"caret in the middle", digits, 251, "..." + digits.substr(153, 194) + "...", 3 + 97 + 1},
        {"caret past the end", digits, 501, "..." + digits.substr(306), 3 + 194 + 1},
        {"escapes count their width", std::string(300, '\x1b') + "x", 301, "..." + escapes_48 + "x", 3 + 192 + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Excerpt excerpt = source_excerpt(c.line, c.column);
        EXPECT_EQ(excerpt.text, c.text);
        EXPECT_EQ(excerpt.column, c.caret);
    }
}

TEST(DisplayText, ADiagnosticEchoesNothingRawAndAtMostTheWidthOfALine) {
    Author author;
    const std::string padding(1000000, ' ');
    write_file(author.line, line_description(20000, {"cartello_indicatore,  10950,   (A\x1b[31m)",
                                                     "cartello_indicatore,  10960,   (B)" + padding + "\x1b]0;x\x07"}));
    write_file(author.train, train_description({"velocita,   0,    100", "aderenza,   0,    90"}));
    const testing::Outcome r = author.compile();
    // Texts quoted in the message are cut too.
    EXPECT_EQ(r.err.substr(0, r.err.find('\n', r.err.find('\n', r.err.find('\n') + 1) + 1) + 1),
              author.line + ":5:23: error: the roadside sign (B)" + std::string(57, ' ') +
                  "... at 10960 m goes into route cell 220, which already holds the roadside sign (A\\x1b[31m) at "
                  "10950 m [sign-cell-taken]\n"
                  " 5 | cartello_indicatore,  10960,   (B)" +
                  std::string(194 - 34, ' ') +
                  "...\n"
                  "   |                       ^~~~~\n");
}

}  // namespace
}  // namespace scenario::tool
