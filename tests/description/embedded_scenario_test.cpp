// The embedded line and train descriptions as texts, row by row.
#include "description/embedded_scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

#include "io/file_system.h"
#include "support/description_files.h"
#include "support/description_rows.h"

namespace scenario {
namespace {

using testing::row_fields;

// The rows of one keyword, split into the fields after the keyword.
std::vector<std::vector<std::string>> rows_of(const std::vector<std::string>& lines, const std::string& keyword) {
    auto rows = testing::keyword_rows(lines, keyword);
    for (auto& row : rows) row.erase(row.begin());
    return rows;
}

int number(const std::string& field) { return testing::field_number(field); }

class EmbeddedLine : public ::testing::Test {
protected:
    const std::vector<std::string> lines = embedded_line_description();
};

TEST_F(EmbeddedLine, SectionsAndGeneralBlock) {
    ASSERT_EQ(lines.size(), 349u);
    const std::map<int, std::string> headers{{1, "[generale]"},   {10, "[curve]"},     {111, "[pendenze]"},
                                             {270, "[montagne]"}, {279, "[cartelli]"}, {328, "[indicazioni]"},
                                             {349, "[fine]"}};
    for (const auto& [line, header] : headers) EXPECT_EQ(lines[static_cast<std::size_t>(line - 1)], header);
    const std::vector<std::string> general{"[generale]",
                                           "lunghezza percorso,    218000",
                                           "progressiva chilometrica uno,    180350,    -180350,    0",
                                           "progressiva chilometrica due,    194700,    -16400,    0",
                                           "progressiva chilometrica tre,    0,    0,    0",
                                           "sfondo uno,    1",
                                           "sfondo due,    0",
                                           "sfondo tre,    0",
                                           "ripetizione segnali 4 codici,    2100,    211050"};
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 9), general);
}

TEST_F(EmbeddedLine, TwoToFourSpacesAfterEveryComma) {
    const std::regex decimal_comma("-?[0-9]+,[0-9]");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        for (std::size_t c = line.find(','); c != std::string::npos; c = line.find(',', c + 1)) {
            std::size_t spaces = 0;
            while (c + 1 + spaces < line.size() && line[c + 1 + spaces] == ' ') ++spaces;
            if (spaces == 0 && line.rfind("pendenza,", 0) == 0) continue;  // the decimal comma
            EXPECT_TRUE(spaces >= 2 && spaces <= 4) << "line " << i + 1 << ": " << line;
        }
        EXPECT_TRUE(line.empty() || line.back() != ' ') << "line " << i + 1;
    }
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "pendenza,  1250,   -4,5"), 1);
}

TEST_F(EmbeddedLine, Curves) {
    std::map<std::string, int> counts;
    std::vector<std::pair<int, int>> spans;
    for (const std::string& line : lines) {
        if (line.rfind("curva", 0) != 0) continue;
        const auto f = row_fields(line);
        ++counts[f[0]];
        spans.emplace_back(number(f[1]), number(f[2]));
    }
    const std::map<std::string, int> expected{{"curvad3", 22}, {"curvad4", 18}, {"curvas4", 17}, {"curvas3", 15},
                                              {"curvad2", 9},  {"curvas2", 6},  {"curvad1", 4},  {"curvas5", 3},
                                              {"curvas1", 2},  {"curvad5", 2},  {"curvas6", 1},  {"curvad6", 1}};
    EXPECT_EQ(counts, expected);
    ASSERT_EQ(spans.size(), 100u);
    EXPECT_EQ(lines[10], "curvas1,  1350,  150");
    EXPECT_EQ(lines[109], "curvad6,  212250,  200");
    for (std::size_t i = 0; i < spans.size(); ++i) {
        EXPECT_GE(spans[i].second, 50);
        EXPECT_LE(spans[i].second, 1750);
        if (i > 0) {
            EXPECT_GE(spans[i].first, spans[i - 1].first + spans[i - 1].second) << i;
        }
    }
}

TEST_F(EmbeddedLine, Gradients) {
    const auto rows = rows_of(lines, "pendenza");
    ASSERT_EQ(rows.size(), 158u);
    EXPECT_EQ(lines[111], "pendenza,  0,   0");
    int zeros = 0;
    int previous = -1;
    for (const auto& r : rows) {
        const int g = number(r[1]);
        EXPECT_GE(g, -12);
        EXPECT_LE(g, 10);
        zeros += g == 0;
        EXPECT_GT(number(r[0]), previous);
        previous = number(r[0]);
    }
    EXPECT_EQ(zeros, 57);
    EXPECT_EQ(number(rows.back()[0]), 212700);
    const std::map<int, int> telling{{600, -11}, {1200, 0}, {1250, -4}, {1450, 0}};
    for (const auto& r : rows) {
        auto it = telling.find(number(r[0]));
        if (it != telling.end()) {
            EXPECT_EQ(number(r[1]), it->second) << it->first;
        }
    }
}

TEST_F(EmbeddedLine, MountainsBoardsAndSigns) {
    const auto mountains = rows_of(lines, "montagna");
    ASSERT_EQ(mountains.size(), 8u);
    for (const auto& m : mountains) {
        EXPECT_GE(number(m[0]), 10950);
        EXPECT_LE(number(m[0]), 156000);
        EXPECT_GE(number(m[1]), 11000);
        EXPECT_LE(number(m[1]), 161250);
        const int tipo = number(m[2]);
        EXPECT_TRUE(tipo == 1 || tipo == 2 || tipo == 11 || tipo == 12) << tipo;
    }
    for (const char* row : {"montagna,   79000,  80550,  12", "montagna,   88950,  96500,  11"}) {
        EXPECT_EQ(std::count(lines.begin(), lines.end(), row), 1) << row;
    }

    const auto boards = rows_of(lines, "indicatori_vmax");
    ASSERT_EQ(boards.size(), 48u);
    EXPECT_EQ(lines[279], "indicatori_vmax,  1100,  105,  110,  125,  0,  ,  ,  ,  0");
    int groups = 0;
    int singles = 0;
    for (std::size_t i = 0; i < boards.size();) {
        const auto& b = boards[i];
        EXPECT_TRUE(b[5].empty() && b[6].empty() && b[7].empty()) << b[0];
        EXPECT_EQ(b[8], "0");
        EXPECT_TRUE(number(b[1]) >= 30 && number(b[1]) <= 140) << b[0];
        EXPECT_TRUE(number(b[2]) >= 30 && number(b[2]) <= 160) << b[0];
        EXPECT_TRUE(number(b[3]) >= 30 && number(b[3]) <= 180) << b[0];
        if (b[4] == "2") {
            ASSERT_LT(i + 2, boards.size());
            for (int k = 1; k <= 2; ++k) {
                const auto& n = boards[i + static_cast<std::size_t>(k)];
                EXPECT_EQ(number(n[0]), number(b[0]) + 300 * k);
                EXPECT_EQ(number(n[4]), 2 - k);
                EXPECT_EQ(std::vector<std::string>(n.begin() + 1, n.begin() + 4),
                          std::vector<std::string>(b.begin() + 1, b.begin() + 4));
            }
            ++groups;
            i += 3;
        } else {
            EXPECT_EQ(b[4], "0");
            ++singles;
            ++i;
        }
    }
    EXPECT_EQ(groups, 11);
    EXPECT_EQ(singles, 15);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "indicatori_vmax,  9450,  140,  155,  165,  2,  ,  ,  ,  0"), 1);

    const auto signs = rows_of(lines, "cartello_indicatore");
    ASSERT_EQ(signs.size(), 20u);
    EXPECT_EQ(number(signs.front()[0]), 10950);
    EXPECT_EQ(number(signs.back()[0]), 211450);
    for (const char* row :
         {"cartello_indicatore,  10950,   (Cippo )(  Km  )(11+000)", "cartello_indicatore,  79900,   (Culmine)",
          "cartello_indicatore,  182250,   (Cavalcavia)(    Km    )(   1.900  )"}) {
        EXPECT_EQ(std::count(lines.begin(), lines.end(), row), 1) << row;
    }
    for (const auto& s : signs) {
        const std::string& text = s[1];
        EXPECT_TRUE(text.find("Galleria") != std::string::npos || text.find("Bivio") != std::string::npos ||
                    text.find("Cippo") != std::string::npos || text == "(Culmine)" ||
                    text.find("Cavalcavia") != std::string::npos)
            << text;
    }
}

TEST_F(EmbeddedLine, LineHalfFillsTheCellsAsItShould) {
    testing::ScenarioFolder run;
    run.write_line(testing::crlf(lines));
    run.write_train(testing::crlf({"[generale]", "[fine]", ""}));
    run.read();
    ASSERT_EQ(run.model.errorCode, 0);
    std::map<int, int> kinds;
    for (const RouteCell& c : run.model.cells) ++kinds[c.kind];
    EXPECT_EQ(kinds[cell_kind::speed_boards], 48);
    EXPECT_EQ(kinds[cell_kind::roadside_sign], 20);
    EXPECT_EQ(kinds[cell_kind::mountain_marker], 71);
    for (int taken : {1591, 1599, 1854}) {
        EXPECT_NE(run.model.cell(taken).kind, cell_kind::mountain_marker) << taken;
        EXPECT_NE(run.model.cell(taken).mountainType, 0) << taken;
    }
    EXPECT_EQ(run.model.mountainCount, 8);
    EXPECT_EQ(run.model.records[61].text.empty(), false);
    EXPECT_EQ(run.model.records[60].text, "");
    EXPECT_NEAR(run.model.track.number(224998, Track::x), 25989.5, 0.05);
    EXPECT_NEAR(run.model.track.number(224998, Track::y), 196700.9, 0.05);
}

class EmbeddedTrain : public ::testing::Test {
protected:
    const std::vector<std::string> lines = embedded_train_description();
};

TEST_F(EmbeddedTrain, SectionsAndGeneralBlock) {
    ASSERT_EQ(lines.size(), 187u);
    const std::map<int, std::string> headers{{1, "[generale]"},  {6, "[aderenze]"},       {15, "[vel_limite]"},
                                             {42, "[stazioni]"}, {69, "[rallentamenti]"}, {74, "[segnali]"},
                                             {185, "[codici]"},  {186, "[fine]"},         {187, ""}};
    for (const auto& [line, header] : headers) EXPECT_EQ(lines[static_cast<std::size_t>(line - 1)], header);
    const std::vector<std::string> general{"[generale]", "numero vetture,    13", "percentuale massa frenata,    130",
                                           "sabbia,    200", "orologio,    15              47            30 "};
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5), general);
}

TEST_F(EmbeddedTrain, ProfilesAndSlowdowns) {
    const auto adhesion = rows_of(lines, "aderenza");
    ASSERT_EQ(adhesion.size(), 8u);
    EXPECT_EQ(lines[6], "aderenza,   0,    90");
    EXPECT_EQ(lines[13], "aderenza,  206500,    75");
    for (const auto& a : adhesion) EXPECT_TRUE(number(a[1]) >= 75 && number(a[1]) <= 96);
    const auto speeds = rows_of(lines, "velocita");
    ASSERT_EQ(speeds.size(), 26u);
    EXPECT_EQ(lines[15], "velocita,   0,    30");
    EXPECT_EQ(lines[16], "velocita,    1100,   125");
    EXPECT_EQ(lines[40], "velocita,  212100,    30");
    for (const auto& s : speeds) EXPECT_TRUE(number(s[1]) >= 30 && number(s[1]) <= 180);
    const std::vector<std::vector<int>> slowdowns{{13500, 60, 500, 0, 1, 60},
                                                  {22600, 80, 500, 0, 1, 80},
                                                  {91500, 100, 1200, 0, 1, 80},
                                                  {179900, 60, 1100, 0, 0, 0}};
    const auto rows = rows_of(lines, "rallentamento");
    ASSERT_EQ(rows.size(), 4u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::vector<int> values;
        for (const auto& f : rows[i]) values.push_back(number(f));
        EXPECT_EQ(values, slowdowns[i]);
    }
    EXPECT_EQ(lines[69], "rallentamento,   13500,    60,  500, 0,  1,  60");
    EXPECT_EQ(lines[72], "rallentamento,  179900,    60, 1100, 0,  0,  0");
}

TEST_F(EmbeddedTrain, Stations) {
    const auto stations = rows_of(lines, "stazione");
    ASSERT_EQ(stations.size(), 25u);
    EXPECT_EQ(lines[42], "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  15,47,30, Brenzola");
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "stazione,  128450, 12,  500,  0, 0, 1,  1,1,0,  4,1,1,   60,  16,47,15, Tavigna"),
              1);
    EXPECT_EQ(lines[67], "stazione,  213950,  6,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  17,39, 0, Ostrevo");
    std::map<int, int> kinds;
    int stops = 0;
    for (std::size_t i = 0; i < stations.size(); ++i) {
        const auto& s = stations[i];
        ASSERT_EQ(s.size(), 17u) << s[16];
        ++kinds[number(s[1])];
        EXPECT_EQ(number(s[0]) % 50, 0);
        EXPECT_EQ(number(s[2]) % 100, 0);
        EXPECT_EQ(number(s[3]), (i == 0 || i + 1 == stations.size()) ? 1 : 0);
        EXPECT_EQ(number(s[4]), 0);
        EXPECT_EQ(number(s[8]), 0);
        const int code7 = number(s[12]);
        EXPECT_TRUE(code7 == 0 || code7 == 1 || code7 == 60 || code7 == 102) << code7;
        stops += code7 == 60;
    }
    EXPECT_EQ(stops, 3);
    EXPECT_EQ(kinds[24], 15);
    EXPECT_EQ(kinds[8], 1);
    EXPECT_EQ(kinds[6], 1);
    for (int kind : {2, 4, 12, 28}) EXPECT_GT(kinds[kind], 0) << kind;
    // The place-name line between the stations at 138500 and 153450.
    const auto before = std::find_if(lines.begin(), lines.end(),
                                     [](const std::string& l) { return l.rfind("stazione,  138500,", 0) == 0; });
    ASSERT_NE(before, lines.end());
    const std::string& name_line = *(before + 1);
    EXPECT_EQ(name_line.find(','), std::string::npos);
    EXPECT_NE(name_line.find('-'), std::string::npos);
    EXPECT_EQ((before + 2)->rfind("stazione,  153450,", 0), 0u);
}

TEST_F(EmbeddedTrain, Signals) {
    const auto signals = rows_of(lines, "segnale");
    ASSERT_EQ(signals.size(), 110u);
    EXPECT_EQ(lines[74], "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0");
    EXPECT_EQ(lines[183], "segnale,  212100,   2, 2, 3,  1, 0,    0,  0,0,0, 245");
    int s1_four = 0;
    int tempo_zero = 0;
    int previous = 0;
    for (const auto& s : signals) {
        ASSERT_EQ(s.size(), 11u);
        EXPECT_GT(number(s[0]), previous);
        previous = number(s[0]);
        EXPECT_EQ(number(s[1]), 2);
        EXPECT_EQ(number(s[5]), 0);
        s1_four += number(s[2]) == 4;
        const int tempo = number(s[10]);
        EXPECT_TRUE(tempo == 0 || tempo == 102 || tempo == 105 || tempo == 245) << tempo;
        tempo_zero += tempo == 0;
    }
    EXPECT_EQ(s1_four, 101);
    EXPECT_EQ(tempo_zero, 107);
}

TEST(EmbeddedScenario, WritersPutBothDescriptionsOnDiskWithCrLf) {
    testing::TempFolder folder;
    const ScenarioFiles files{folder.path().string(), '/', "Valcorvina", "IC 318"};
    dati_linea(files);
    dati_treno(files);
    EXPECT_EQ(folder.files(), (std::vector<std::string>{"Valcorvina_IC 318-.txt", "Valcorvina_linea.txt"}));
    const std::string line = testing::read_file(files.line_description());
    const std::string train = testing::read_file(files.train_description());
    EXPECT_EQ(line, testing::crlf(embedded_line_description()));
    EXPECT_EQ(line.substr(line.size() - 8), "[fine]\r\n");
    EXPECT_EQ(train.substr(train.size() - 10), "[fine]\r\n\r\n");
    EXPECT_EQ(std::count(train.begin(), train.end(), '\n'), 187);
}

}  // namespace
}  // namespace scenario
