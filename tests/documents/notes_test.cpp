#include "documents/documents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "description/embedded_scenario.h"
#include "support/description_rows.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

using testing::read_file;
using testing::TempFolder;

constexpr std::size_t ordinary_limit = 97;
constexpr std::size_t shortest_long_line = 155;
constexpr std::size_t longest_line = 798;

// The notes file of one run, read back byte for byte.
const std::string& written_notes() {
    static const std::string bytes = [] {
        TempFolder folder;
        dati_note(ScenarioFiles{folder.path().string(), '/', "Valcorvina", "IC 318"});
        return read_file(folder.file("Valcorvina_IC 318_note.txt"));
    }();
    return bytes;
}

// The file's lines without their CR LF; a line end of any other form is a failure.
std::vector<std::string> written_lines() {
    const std::string& bytes = written_notes();
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "bytes after the last CR LF: " << bytes.substr(start);
            break;
        }
        std::string line = bytes.substr(start, end - start);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray line end in line " << lines.size() + 1;
        lines.push_back(std::move(line));
        start = end + 2;
    }
    return lines;
}

bool is_accented(unsigned char c) { return c == 0xE0 || c == 0xE8 || c == 0xEC || c == 0xF2 || c == 0xF9; }

// Line numbers from 1.
std::vector<std::size_t> numbers_of(const std::vector<std::string>& lines, std::size_t last,
                                    const std::function<bool(const std::string&)>& holds) {
    std::vector<std::size_t> numbers;
    for (std::size_t n = 1; n <= last && n <= lines.size(); ++n) {
        if (holds(lines[n - 1])) numbers.push_back(n);
    }
    return numbers;
}

TEST(ScenarioNotes, WritesTheTableLineByLineWithCrLf) {
    const std::vector<std::string> table = notes_lines();
    ASSERT_EQ(table.size(), 122u);
    std::string expected;
    for (const std::string& line : table) expected += line + "\r\n";
    EXPECT_EQ(written_notes(), expected);
    EXPECT_EQ(written_lines().size(), 122u);
}

TEST(ScenarioNotes, EndsWithTheFourSpaceOnlyLines) {
    const std::vector<std::string> lines = written_lines();
    ASSERT_EQ(lines.size(), 122u);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 118, lines.end()),
              (std::vector<std::string>{"   ", "   ", " ", "   "}));
    EXPECT_NE(lines[117].find_first_not_of(' '), std::string::npos) << "the signature ends on line 118";
    const std::string& bytes = written_notes();
    EXPECT_EQ(bytes.substr(bytes.size() - 5), "   \r\n");
}

TEST(ScenarioNotes, ParagraphsSignatureAndMargins) {
    const std::vector<std::string> lines = written_lines();
    ASSERT_EQ(lines.size(), 122u);
    const auto indented = [](const std::string& l) { return l.size() > 3 && l.rfind("   ", 0) == 0 && l[3] != ' '; };
    const std::vector<std::size_t> paragraphs = {1, 20, 23, 33, 51, 74, 81, 84, 94, 105, 112, 113, 114};
    std::vector<std::size_t> expected = paragraphs;
    expected.insert(expected.end(), {116, 117, 118});
    EXPECT_EQ(numbers_of(lines, 118, indented), expected);

    // Every other prose line starts at the margin; a paragraph's last line keeps at least 10 characters.
    for (std::size_t n = 1; n <= 115; ++n) {
        const bool starts = std::find(paragraphs.begin(), paragraphs.end(), n) != paragraphs.end();
        if (!starts) {
            EXPECT_FALSE(lines[n - 1].empty() || lines[n - 1][0] == ' ') << "line " << n;
        }
        const bool ends = n == 115 || std::find(paragraphs.begin(), paragraphs.end(), n + 1) != paragraphs.end();
        if (ends) {
            EXPECT_GE(lines[n - 1].size(), 10u) << "line " << n;
        }
    }
    EXPECT_NE(lines[117].find('@'), std::string::npos) << "the contact line";
}

TEST(ScenarioNotes, LineLengths) {
    const std::vector<std::string> lines = written_lines();
    std::vector<std::size_t> long_lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t size = lines[i].size();
        if (size <= ordinary_limit) continue;
        long_lines.push_back(size);
        EXPECT_GE(size, shortest_long_line) << "line " << i + 1 << " is neither broken nor joined";
        EXPECT_LE(size, longest_line) << "line " << i + 1;
    }
    EXPECT_EQ(long_lines.size(), 12u);
    EXPECT_EQ(std::count(long_lines.begin(), long_lines.end(), longest_line), 1);
}

TEST(ScenarioNotes, HyphenSpaceAndAccentCounts) {
    const std::vector<std::string> lines = written_lines();
    struct Count {
        const char* what;
        std::size_t last_line;
        std::function<bool(const std::string&)> holds;
        std::size_t expected;
    };
    const Count counts[] = {
        {"ending in a hyphen", 122, [](const std::string& l) { return !l.empty() && l.back() == '-'; }, 31},
        {"text lines ending in a space", 118, [](const std::string& l) { return !l.empty() && l.back() == ' '; }, 12},
        {"holding an accented letter", 122,
         [](const std::string& l) {
             return std::any_of(l.begin(), l.end(), [](char c) { return is_accented(static_cast<unsigned char>(c)); });
         },
         47},
        {"empty", 122, [](const std::string& l) { return l.empty(); }, 0},
    };
    for (const Count& count : counts) {
        EXPECT_EQ(numbers_of(lines, count.last_line, count.holds).size(), count.expected) << count.what;
    }
}

TEST(ScenarioNotes, OnlyTheFiveAccentedLettersLieOutsidePrintableAscii) {
    const std::string& bytes = written_notes();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const bool printable = c >= 32 && c <= 126;
        const bool line_end = c == '\r' || c == '\n';
        EXPECT_TRUE(printable || line_end || is_accented(c)) << "byte " << int(c) << " at offset " << i;
    }
}

// The prose as one text: lines joined, a word split at a line end joined again.
std::string running_text(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        if (!line.empty() && line.back() == '-') {
            text += line.substr(0, line.size() - 1);
        } else {
            text += line + " ";
        }
    }
    return text;
}

std::string two_digits(const std::string& number) { return number.size() == 1 ? "0" + number : number; }

// The times the notes quote are the timetable times of the train description's stations.
TEST(ScenarioNotes, QuoteTheTimesOfTheFirstStationTheStopsAndTheLast) {
    const std::string text = running_text(written_lines());
    const auto stations = testing::keyword_rows(embedded_train_description(), "stazione");
    ASSERT_EQ(stations.size(), 25u);
    for (const auto& s : stations) ASSERT_EQ(s.size(), 18u);

    const auto& first = stations.front();
    EXPECT_NE(
        text.find(first[17] + " \xE8 alle " + first[14] + ":" + two_digits(first[15]) + ":" + two_digits(first[16])),
        std::string::npos)
        << "departure from " << first[17];
    int stops = 0;
    for (const auto& s : stations) {
        if (s[13] != "60") continue;
        ++stops;
        const std::string quoted = s[17] + " (arrivo " + s[14] + "." + two_digits(s[15]);
        EXPECT_NE(text.find(quoted), std::string::npos) << quoted;
    }
    EXPECT_EQ(stops, 3);
    const auto& last = stations.back();
    const std::string arrival = last[17] + " alle " + last[14] + "." + two_digits(last[15]);
    EXPECT_NE(text.find(arrival), std::string::npos) << arrival;
}

std::string in_capitals(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// What the notes say of the timetable sheet's two speed panels is what the
// sheet shows: each panel's heading "Linea FROM - TO".
TEST(ScenarioNotes, NameThePlacesOfTheSheetsSpeedPanels) {
    using Stretch = std::pair<std::string, std::string>;
    const std::string text = running_text(written_lines());
    std::smatch said;
    ASSERT_TRUE(std::regex_search(text, said,
                                  std::regex("le due fiancate, una da ([^,]+?) a ([^,]+?) e una da "
                                             "([^,]+?) a ([^,]+?),")));
    const std::vector<Stretch> in_notes{{in_capitals(said[1]), in_capitals(said[2])},
                                        {in_capitals(said[3]), in_capitals(said[4])}};

    std::vector<Stretch> on_sheet;
    const std::regex heading("^ *Linea (.+) - (.+?) *$");
    for (const std::string& line : timetable_sheet_lines()) {
        std::smatch panel;
        if (std::regex_match(line, panel, heading)) on_sheet.emplace_back(panel[1], panel[2]);
    }
    ASSERT_EQ(on_sheet.size(), 2u);
    EXPECT_EQ(in_notes, on_sheet);
}

}  // namespace
}  // namespace scenario
