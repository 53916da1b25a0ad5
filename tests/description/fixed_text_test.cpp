#include "description/fixed_text.h"

#include <gtest/gtest.h>

#include "io/file_system.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

using testing::read_file;
using testing::TempFolder;
using testing::write_file;

TEST(FixedText, WritesEveryLineBeforeTheMarkerWithCrLf) {
    TempFolder folder;
    const std::string path = folder.file("out.txt");
    write_fixed_text(path, make_line_table({"[generale]", "", "  trailing  ", "[fine]"}));
    EXPECT_EQ(read_file(path), "[generale]\r\n\r\n  trailing  \r\n[fine]\r\n");
}

TEST(FixedText, OnlyTheExactMarkerEndsTheTable) {
    TempFolder folder;
    const std::string path = folder.file("out.txt");
    LineTable table{};
    table[0] = "Riferimento fine del file";
    table[1] = "riferimento fine del file ";
    table[2] = std::string(end_marker);
    table[3] = "never written";
    write_fixed_text(path, table);
    EXPECT_EQ(read_file(path), "Riferimento fine del file\r\nriferimento fine del file \r\n");
}

TEST(FixedText, TableWithoutMarkerStopsAtItsLastEntry) {
    TempFolder folder;
    const std::string path = folder.file("out.txt");
    LineTable table{};
    table[1000] = "last";
    write_fixed_text(path, table);
    const std::string content = read_file(path);
    EXPECT_EQ(content.size(), 1000 * 2 + 6u);
    EXPECT_EQ(content.substr(content.size() - 6), "last\r\n");
}

TEST(FixedText, ALongerEarlierFileIsReplacedWhole) {
    TempFolder folder;
    const std::string path = folder.file("out.txt");
    write_file(path, std::string(10000, 'x'));
    write_fixed_text(path, make_line_table({"a"}));
    EXPECT_EQ(read_file(path), "a\r\n");
}

TEST(FixedText, TooManyLinesForTheTable) {
    EXPECT_NO_THROW(make_line_table(std::vector<std::string>(1000, "x")));
    EXPECT_THROW(make_line_table(std::vector<std::string>(1001, "x")), std::length_error);
}

TEST(FixedText, AnAuthorsTextGetsCrLfAfterEveryLine) {
    const struct {
        std::string text;
        std::string written;
    } cases[] = {
        {"", ""},
        {"a", "a\r\n"},  // a last line without a line end is a line
        {"a\r\n", "a\r\n"},
        {"a\n", "a\r\n"},
        {"a\r", "a\r\n"},
        {"a\nb\rc\r\nd", "a\r\nb\r\nc\r\nd\r\n"},
        {"\n\n", "\r\n\r\n"},
        {"\r\r\n", "\r\n\r\n"},  // a CR, then a CR LF
        {"\n\r", "\r\n\r\n"},    // an LF, then a CR: two empty lines
        {"  trailing  \n", "  trailing  \r\n"},
        {std::string(end_marker) + "\nafter", std::string(end_marker) + "\r\nafter\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(with_crlf_line_ends(c.text), c.written) << c.text;

    // However many lines: far more than a writer's table holds.
    std::string many;
    for (int i = 0; i < 5600; ++i) many += "row " + std::to_string(i) + "\n";
    const std::string written = with_crlf_line_ends(many);
    EXPECT_EQ(written.size(), many.size() + 5600);
    EXPECT_TRUE(written.ends_with("row 5599\r\n"));
}

TEST(FixedText, AFolderThatCannotBeWrittenIsAFileError) {
    EXPECT_THROW(write_fixed_text("/nonexistent folder/x.txt", make_line_table({"a"})), FileError);
}

TEST(SingleByteLines, AccentedLettersBecomeSingleBytes) {
    const auto lines = single_byte_lines("Località à è ì ò ù\n\nend \n", "t");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Localit\xE0 \xE0 \xE8 \xEC \xF2 \xF9");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "end ");
}

TEST(SingleByteLines, AnyOtherCharacterIsRejectedWithItsLine) {
    const char* rejected[] = {"ok\n\xC3\xA9\n", "ok\ntab\there\n", "ok\nc\r\n", "ok\n\xE2\x82\xAC\n"};
    for (const char* text : rejected) {
        try {
            single_byte_lines(text, "notes");
            ADD_FAILURE() << "accepted " << text;
        } catch (const std::invalid_argument& e) {
            EXPECT_EQ(std::string(e.what()).rfind("notes:2: ", 0), 0u) << e.what();
        }
    }
    EXPECT_THROW(single_byte_lines("no line end", "t"), std::invalid_argument);
}

}  // namespace
}  // namespace scenario
