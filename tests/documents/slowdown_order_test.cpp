// The slowdown order: its form byte by byte, and its rows checked against
// the slowdowns of the embedded train description.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>

#include "description/embedded_scenario.h"
#include "documents/documents.h"
#include "driver/program_identity.h"
#include "support/description_rows.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

using testing::field_number;
using testing::keyword_rows;

const std::vector<std::string>& order() {
    static const std::vector<std::string> lines = slowdown_order_lines();
    return lines;
}

const std::string& line_at(int n) {
    static const std::string none;
    return n >= 1 && n <= static_cast<int>(order().size()) ? order()[static_cast<std::size_t>(n - 1)] : none;
}

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

const std::string empty_row = " |   |                            |            |          |         |            |";
const std::string rule = " |___|____________________________|____________|__________|_________|____________|";

TEST(SlowdownOrder, FileHoldsEveryLineWithCrLfInPlainAscii) {
    testing::TempFolder folder;
    const ScenarioFiles files{folder.path().string(), '/', "Valcorvina", "IC 318"};
    dati_rallentamenti(files);
    const std::string bytes = testing::read_file(files.slowdown_order());

    std::string expected;
    for (const std::string& line : order()) expected += line + "\r\n";
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(order().size(), 46u);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 46);
    EXPECT_EQ(bytes.substr(0, 2), "\r\n");
    const std::string last = "     i giorni esclusi i seguenti:.........\r\n";
    ASSERT_GE(bytes.size(), last.size());
    EXPECT_EQ(bytes.substr(bytes.size() - last.size()), last);
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        EXPECT_TRUE((c >= 32 && c <= 126) || c == '\r' || c == '\n') << "byte " << int(c);
    }
}

TEST(SlowdownOrder, FormLinesStandAtTheirNumbers) {
    const std::map<int, std::string> quoted{
        {1, ""},
        {2, std::string(31, ' ') + "Modulo M. 3"},
        {3, std::string(27, ' ') + "ORDINE DI RALLENTAMENTO"},
        {4, " " + std::string(80, '_')},
        {5, "  Linea BRENZOLA - OSTREVO ( via TAVIGNA )"},
        {6, ""},
        {7, "  Si ordina al macchinista del treno " + std::string(scenario_train_code) +
                " di effettuare i seguenti rallentamenti"},
        {8, "  " + std::string(79, '_')},
        {9, " |   |                            |Inizio dopo |          |         |            |"},
        {10, " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|"},
        {11, " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |"},
        {12, rule},
        {16, " | 4 |Selva Dorrina               | 179.000    |    60    |  1100   |            |"},
        {39, rule},
        {40, ""},
        {41, std::string(14, ' ') + "Prescrizioni specifiche"},
        {42, " A - Da rispettare con tutto il treno (per i treni viaggiatori)"},
        {43, " B - Interessa anche la stazione di......."},
        {44, " D - Rallentamneto N. ... e N. ...  sono contigui"},
        {45, " C - Da rispettare dalle ore ....  alle ore ..... di tutti"},
        {46, "     i giorni esclusi i seguenti:........."},
    };
    for (const auto& [n, text] : quoted) EXPECT_EQ(line_at(n), text) << "line " << n;
    for (int n = 17; n <= 38; ++n) EXPECT_EQ(line_at(n), empty_row) << "line " << n;
}

TEST(SlowdownOrder, TableLinesKeepTheirCells) {
    EXPECT_EQ(line_at(4).size(), 81u);
    EXPECT_EQ(line_at(8).size(), 81u);
    for (int n = 9; n <= 39; ++n) {
        const std::string& line = line_at(n);
        EXPECT_EQ(line.size(), 82u) << "line " << n;
        std::vector<int> bars;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '|') bars.push_back(static_cast<int>(i) + 1);
        }
        EXPECT_EQ(bars, (std::vector<int>{2, 6, 35, 48, 59, 69, 82})) << "line " << n;
    }
    // A slowdown row: number between spaces, figures right-aligned with their
    // fixed margins, the prescriptions left blank.
    for (int n = 13; n <= 16; ++n) {
        const std::string& line = line_at(n);
        EXPECT_EQ(testing::text_columns(line, 3, 5), " " + std::to_string(n - 12) + " ") << "line " << n;
        EXPECT_NE(testing::text_columns(line, 7, 7), " ") << "the place starts the cell, line " << n;
        EXPECT_EQ(testing::text_columns(line, 45, 47), "   ") << "line " << n;
        EXPECT_EQ(testing::text_columns(line, 55, 58), "    ") << "line " << n;
        EXPECT_EQ(testing::text_columns(line, 66, 68), "   ") << "line " << n;
        EXPECT_EQ(testing::text_columns(line, 70, 81), std::string(12, ' ')) << "line " << n;
    }
}

struct Slowdown {
    int x, v, l;
};

std::vector<Slowdown> slowdowns_of_the_train() {
    std::vector<Slowdown> slowdowns;
    for (const auto& f : keyword_rows(embedded_train_description(), "rallentamento")) {
        slowdowns.push_back({field_number(f.at(1)), field_number(f.at(2)), field_number(f.at(3))});
    }
    return slowdowns;
}

TEST(SlowdownOrder, RowsAreTheTrainsSlowdownsInOrder) {
    const std::vector<Slowdown> slowdowns = slowdowns_of_the_train();
    ASSERT_EQ(slowdowns.size(), 4u);
    for (std::size_t i = 0; i < slowdowns.size(); ++i) {
        const Slowdown& s = slowdowns[i];
        const std::string& line = line_at(13 + static_cast<int>(i));
        SCOPED_TRACE(line);
        // The last whole kilometre post before the start, as the breaks read it.
        const int post = testing::kilometre_reading(s.x) / 1000;
        char kilometre[16];
        std::snprintf(kilometre, sizeof kilometre, "%8s", (std::to_string(post) + ".000").c_str());
        EXPECT_EQ(testing::text_columns(line, 36, 43), kilometre);
        char speed[8], length[8];
        std::snprintf(speed, sizeof speed, "%6d", s.v);
        std::snprintf(length, sizeof length, "%6d", s.l);
        EXPECT_EQ(testing::text_columns(line, 49, 54), speed);
        EXPECT_EQ(testing::text_columns(line, 60, 65), length);
    }
}

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

TEST(SlowdownOrder, TitleNamesTheLineByTheStationsOfTheRun) {
    std::vector<std::string> names;
    for (const auto& f : keyword_rows(embedded_train_description(), "stazione")) names.push_back(upper(f.at(17)));
    ASSERT_GE(names.size(), 3u);
    const std::string head = "  Linea " + names.front() + " - " + names.back() + " ( via ";
    const std::string& title = line_at(5);
    ASSERT_EQ(title.substr(0, head.size()), head);
    ASSERT_GE(title.size(), head.size() + 2);
    EXPECT_EQ(title.substr(title.size() - 2), " )");
    const std::string via = title.substr(head.size(), title.size() - head.size() - 2);
    EXPECT_NE(std::find(names.begin() + 1, names.end() - 1, via), names.end() - 1) << via;
}

TEST(SlowdownOrder, EachSlowdownLiesWhereItsRowSays) {
    std::vector<std::pair<std::string, int>> stations;
    for (const auto& f : keyword_rows(embedded_train_description(), "stazione")) {
        stations.emplace_back(f.at(17), field_number(f.at(1)));
    }
    std::map<std::string, int> tunnels;
    for (const auto& f : keyword_rows(embedded_line_description(), "cartello_indicatore")) {
        const std::string& text = f.at(2);
        if (text.rfind("(Galleria)(", 0) == 0) tunnels[text.substr(11, text.size() - 12)] = field_number(f.at(1));
    }
    auto station = [&](const std::string& name) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < stations.size(); ++i) {
            if (stations[i].first == name) return i;
        }
        return std::nullopt;
    };

    const std::vector<Slowdown> slowdowns = slowdowns_of_the_train();
    for (std::size_t i = 0; i < slowdowns.size(); ++i) {
        const Slowdown& s = slowdowns[i];
        const std::string where = trim(testing::text_columns(line_at(13 + static_cast<int>(i)), 7, 34));
        SCOPED_TRACE(where);
        const std::string inside = "Interno Galleria ";
        const auto dash = where.find('-');
        if (where.rfind(inside, 0) == 0) {
            // Entered after the tunnel mouth, before the next mouth of the line.
            const std::string name = where.substr(inside.size());
            ASSERT_TRUE(tunnels.count(name)) << "no such tunnel";
            EXPECT_LE(tunnels[name], s.x);
            for (const auto& [other, mouth] : tunnels) {
                if (other != name) {
                    EXPECT_FALSE(mouth > tunnels[name] && mouth <= s.x) << other;
                }
            }
        } else if (dash != std::string::npos) {
            // Between two stations next to each other on the run.
            const auto from = station(where.substr(0, dash)), to = station(where.substr(dash + 1));
            ASSERT_TRUE(from && to);
            EXPECT_EQ(*to, *from + 1);
            EXPECT_LT(stations[*from].second, s.x);
            EXPECT_GT(stations[*to].second, s.x + s.l);
        } else {
            // In a station: the restriction covers its position.
            const auto at = station(where);
            ASSERT_TRUE(at);
            EXPECT_LE(s.x, stations[*at].second);
            EXPECT_GE(s.x + s.l, stations[*at].second);
        }
    }
}

}  // namespace
}  // namespace scenario
