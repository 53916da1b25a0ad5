// The timetable sheet: its layout byte by byte, and the story it tells
// checked against the embedded line and train descriptions.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <regex>
#include <set>
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
using testing::row_fields;

// ---- reading the embedded descriptions ----

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// A place of the run: a station row, or the line that holds only a name.
struct Place {
    std::string name;
    std::optional<int> position;
    int code7 = 0;
    int hours = 0, minutes = 0, seconds = 0;
};

std::vector<Place> places_of_the_run() {
    std::vector<Place> places;
    bool in_stations = false;
    for (const std::string& line : embedded_train_description()) {
        if (!line.empty() && line[0] == '[') {
            in_stations = line == "[stazioni]";
        } else if (in_stations && line.rfind("stazione,", 0) == 0) {
            const auto f = row_fields(line);
            if (f.size() != 18) throw std::runtime_error("station row of " + std::to_string(f.size()) + " fields");
            places.push_back({f[17], field_number(f[1]), field_number(f[13]), field_number(f[14]), field_number(f[15]),
                              field_number(f[16])});
        } else if (in_stations && !line.empty()) {
            places.push_back({line, std::nullopt});
        }
    }
    return places;
}

// ---- reading the sheet ----

const std::vector<std::string>& sheet() {
    static const std::vector<std::string> lines = timetable_sheet_lines();
    return lines;
}

// Line n, counted from 1; an empty line when out of range.
const std::string& line_at(int n) {
    static const std::string none;
    return n >= 1 && n <= static_cast<int>(sheet().size()) ? sheet()[static_cast<std::size_t>(n - 1)] : none;
}

std::vector<int> bar_columns(const std::string& line) {
    std::vector<int> bars;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '|') bars.push_back(static_cast<int>(i) + 1);
    }
    return bars;
}

std::string trim(const std::string& text, const char* fill = " ") {
    const auto first = text.find_first_not_of(fill);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(fill) - first + 1);
}

// hh.mm as minutes of the day.
int minutes_of(const std::string& time) {
    static const std::regex form(R"((\d{1,2})\.(\d\d))");
    std::smatch m;
    if (!std::regex_match(time, m, form)) throw std::runtime_error("not a time: \"" + time + "\"");
    return std::stoi(m[1]) * 60 + std::stoi(m[2]);
}

std::string sheet_time(int hours, int minutes) {
    char text[8];
    std::snprintf(text, sizeof text, "%d.%02d", hours, minutes);
    return text;
}

struct StopRow {
    std::string place, arrival, departure;
};

// Lines 12 to 37: the stop rows, fill removed.
std::vector<StopRow> stop_rows() {
    std::vector<StopRow> rows;
    for (int n = 12; n <= 37; ++n) {
        const std::string& line = line_at(n);
        std::string place = trim(testing::text_columns(line, 24, 50), " _");
        std::replace(place.begin(), place.end(), '_', ' ');
        rows.push_back(
            {place, trim(testing::text_columns(line, 52, 59), " _"), trim(testing::text_columns(line, 61, 68), " _")});
    }
    return rows;
}

// The two speed panels and where their fields stand.
struct Panel {
    int first_row, last_row;  // file lines
    int width;                // column of the right frame
    int kilometre_end;        // last column of a station's kilometre
    int name_start;
};
constexpr Panel first_panel{64, 95, 79, 45, 55};
constexpr Panel second_panel{119, 153, 65, 43, 47};

struct PanelRow {
    int line = 0;
    std::array<std::optional<int>, 4> speeds;  // A, B, C, P where they change
    std::optional<int> kilometre;              // station or restart reading, metres
    std::string name;                          // station name, or the run of "-" of a restart
    std::string mark;                          // landmark text
};

std::optional<int> landmark_reading(const std::string& mark) {
    static const std::regex km(R"(Km (\d+)\.(\d{3})$)");
    std::smatch m;
    if (!std::regex_search(mark, m, km)) return std::nullopt;
    return std::stoi(m[1]) * 1000 + std::stoi(m[2]);
}

std::vector<PanelRow> panel_rows(const Panel& panel) {
    static const std::regex kilometre(R"((\d+)\.(\d\d))");
    std::vector<PanelRow> rows;
    for (int n = panel.first_row; n <= panel.last_row; ++n) {
        const std::string& line = line_at(n);
        PanelRow row;
        row.line = n;
        for (int rank = 0; rank < 4; ++rank) {
            const std::string cell = trim(testing::text_columns(line, 4 + 6 * rank, 8 + 6 * rank));
            if (!cell.empty() && cell != "---") row.speeds[static_cast<std::size_t>(rank)] = std::stoi(cell);
        }
        const std::string field = trim(testing::text_columns(line, panel.kilometre_end - 7, panel.kilometre_end));
        std::smatch m;
        if (std::regex_match(field, m, kilometre)) {
            row.kilometre = std::stoi(m[1]) * 1000 + std::stoi(m[2]) * 10;
            row.name = trim(testing::text_columns(line, panel.name_start, panel.width - 1));
        } else {
            row.mark = trim(testing::text_columns(line, panel.kilometre_end - 7, panel.width - 1));
        }
        rows.push_back(row);
    }
    return rows;
}

bool is_restart(const PanelRow& row) {
    return row.kilometre && !row.name.empty() && row.name.find_first_not_of('-') == std::string::npos;
}

// ---- layout ----

TEST(TimetableSheet, FileHoldsEveryLineWithCrLfInSingleBytes) {
    testing::TempFolder folder;
    const ScenarioFiles files{folder.path().string(), '/', "Valcorvina", "IC 318"};
    dati_scheda(files);
    const std::string bytes = testing::read_file(files.timetable_sheet());

    std::string expected;
    for (const std::string& line : sheet()) expected += line + "\r\n";
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(sheet().size(), 214u);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 214);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), 214);
    // The memo heading closes its line and 29 empty lines follow.
    std::string ending = std::string(32, ' ') + "PER MEMORIA";
    for (int i = 0; i < 30; ++i) ending += "\r\n";
    ASSERT_GE(bytes.size(), ending.size() + 2);
    EXPECT_EQ(bytes.substr(bytes.size() - ending.size() - 2), "\r\n" + ending);

    EXPECT_NE(bytes.find("Localit\xE0"), std::string::npos);
    EXPECT_NE(bytes.find("Validit\xE0 Treno:"), std::string::npos);
    EXPECT_NE(bytes.find("Velocit\xE0 Max Km/h"), std::string::npos);
    const std::set<unsigned char> accented{0xE0, 0xE8, 0xEC, 0xF2, 0xF9};
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (c > 126) {
            EXPECT_TRUE(accented.count(c)) << "byte " << int(c);
        }
        if (c < 32) {
            EXPECT_TRUE(c == '\r' || c == '\n') << "byte " << int(c);
        }
    }
}

TEST(TimetableSheet, QuotedLinesStandAtTheirNumbers) {
    const std::string dots81(81, '.'), dots72(72, '.'), rule80 = "  " + std::string(80, '_');
    const std::map<int, std::string> quoted{
        {1, std::string(32, ' ') + "SCHEDA ORARIO"},
        {2, rule80},
        {3, " |                                 Treno 318                                      |"},
        {6, " |                                                        Validit\xE0 Treno:         |"},
        {10, rule80},
        {11, " |_Pr_|N.Treno|_Class_|_______Localit\xE0____________|__Arr___|__Part__|______|______|"},
        {18, " |_7__|_______|_______|ZALDIA_____________________|16.08___|16.09___|______|______|"},
        {37, " | 26 |       |       |OSTREVO                    |17.39   |        |      |      |"},
        {38, " |____|_______|_______|___________________________|________|________|______|______|"},
        {43, rule80},
        {44, " |_____________________________________NOTE_______________________________________|"},
        {45, " | Rango V.Max : C | Massa Frenata : 130% | Loc E444R / E4o2 | RS 9COD            |   "},
        {46, " |_________________|______________________|__________________|____________________|      "},
        {57, dots81},
        {61, "  |  Velocit\xE0 Max Km/h    |   Progr. Chilom.   |     Localit\xE0 di Servizio     |"},
        {62, "  |_______________________|____________________|______________________________|      "},
        {63, "  |__A__|__B__|__C__|__P__|     ____                                          |"},
        {66, "  | 140 | 145 | 155 | 180 |   \\\\_||_                   Cippo Km 4.000         |"},
        {68, "  |     | 155 | 175 |     |      ||                    Cippo Km 8.000         |"},
        {96, "  |_____|_____|_____|_____|___________________________________________________|"},
        {112, dots72},
        {116, "  |  Velocit\xE0 Max Km/h    |   Progr. Chilom. |   Localit\xE0 di    |"},
        {117, "  |_______________________|__________________|____Servizio______|      "},
        {118, "  |__A__|__B__|__C__|__P__|                                     |  "},
        {154, "  |_____|_____|_____|_____|_____________________________________|"},
        {165, dots72},
        {185, std::string(32, ' ') + "PER MEMORIA"},
    };
    for (const auto& [n, text] : quoted) EXPECT_EQ(line_at(n), text) << "line " << n;
}

TEST(TimetableSheet, SpacingLinesHoldOnlyTheirSpaces) {
    struct Run {
        int from, to;
        std::string text;
    };
    const Run runs[] = {{9, 9, " "},     {39, 39, " "},  {40, 41, ""},   {42, 42, "  "},  {47, 48, "       "},
                        {49, 49, ""},    {50, 50, "  "}, {51, 56, ""},   {58, 58, "  "},  {97, 109, ""},
                        {110, 111, " "}, {113, 113, ""}, {155, 162, ""}, {163, 163, " "}, {164, 164, ""},
                        {166, 184, ""},  {186, 214, ""}};
    for (const Run& run : runs) {
        for (int n = run.from; n <= run.to; ++n) EXPECT_EQ(line_at(n), run.text) << "line " << n;
    }
}

TEST(TimetableSheet, HeadingBoxIsFramedAndFilled) {
    for (int n = 3; n <= 8; ++n) {
        const std::string& line = line_at(n);
        EXPECT_EQ(testing::text_columns(line, 1, 2), " |") << "line " << n;
        EXPECT_EQ(testing::text_columns(line, 83, 83), "|") << "line " << n;
        EXPECT_EQ(bar_columns(line), (std::vector<int>{2, 83})) << "line " << n;
    }
    EXPECT_EQ(line_at(4), " |Origine Treno: ALDAMARE" + std::string(57, ' ') + "|");
    EXPECT_EQ(line_at(5), " |Destino Treno: OSTREVO" + std::string(58, ' ') + "|");
    EXPECT_EQ(testing::text_columns(line_at(7), 1, 33), " |Da: BRENZOLA" + std::string(19, ' '));
    EXPECT_EQ(trim(testing::text_columns(line_at(7), 34, 68)), "Denominazione: LUNARO");
    EXPECT_EQ(testing::text_columns(line_at(7), 69, 200), "dal 10/06/2001|");
    EXPECT_EQ(testing::text_columns(line_at(8), 1, 33), " |A_:_OSTREVO" + std::string(20, '_'));
    EXPECT_EQ(testing::text_columns(line_at(8), 34, 69), "Classifica: IC" + std::string(22, '_'));
    EXPECT_EQ(testing::text_columns(line_at(8), 70, 200), "al 15/06/2002|" + std::string(14, ' '));
}

TEST(TimetableSheet, StopRowsKeepTheirCellsAndFill) {
    const std::vector<int> bars{2, 7, 15, 23, 51, 60, 69, 76, 83};
    static const std::regex place_cell(R"([A-Z][A-Z .'-]*[A-Z]_*)");
    for (int n = 11; n <= 38; ++n) {
        EXPECT_EQ(line_at(n).size(), 83u) << "line " << n;
        EXPECT_EQ(bar_columns(line_at(n)), bars) << "line " << n;
    }
    for (int n = 12; n <= 36; ++n) {
        const std::string& line = line_at(n);
        const int index = n - 11;
        EXPECT_EQ(testing::text_columns(line, 3, 6), ("_" + std::to_string(index) + "___").substr(0, 4))
            << "line " << n;
        EXPECT_EQ(testing::text_columns(line, 8, 14), index == 1 ? "__318__" : "_______") << "line " << n;
        EXPECT_EQ(testing::text_columns(line, 16, 22), index == 1 ? "__IC___" : "_______") << "line " << n;
        EXPECT_EQ(testing::text_columns(line, 70, 82), "______|______") << "line " << n;
        EXPECT_TRUE(std::regex_match(testing::text_columns(line, 24, 50), place_cell)) << "line " << n;
        for (int first : {52, 61}) {
            const std::string cell = testing::text_columns(line, first, first + 7);
            const std::string time = trim(cell, "_");
            EXPECT_EQ(cell, time + std::string(8 - time.size(), '_')) << "line " << n;
        }
    }
}

TEST(TimetableSheet, PanelsKeepTheirFramesAndCells) {
    static const std::regex speed_cell(R"( {5}| --- | [ 1-9][ 0-9]\d )");
    for (const Panel& panel : {first_panel, second_panel}) {
        for (int n = panel.first_row - 3; n <= panel.last_row + 1; ++n) {
            const std::string& line = line_at(n);
            const bool heading = n < panel.first_row;
            const bool side_table = panel.width == second_panel.width && n >= 138 && n <= 150;
            const std::size_t padding = n == panel.first_row - 2 ? 6 : n == 118 ? 2 : 0;
            if (!side_table) {
                EXPECT_EQ(line.size(), static_cast<std::size_t>(panel.width) + padding) << "line " << n;
            }
            EXPECT_EQ(testing::text_columns(line, panel.width, panel.width), "|") << "line " << n;
            EXPECT_EQ(testing::text_columns(line, 1, 3), "  |") << "line " << n;
            if (heading && n != panel.first_row - 1) continue;
            for (int rank = 0; rank < 4; ++rank) {
                const std::string cell = testing::text_columns(line, 4 + 6 * rank, 8 + 6 * rank);
                EXPECT_EQ(testing::text_columns(line, 9 + 6 * rank, 9 + 6 * rank), "|") << "line " << n;
                if (!heading && n <= panel.last_row) {
                    EXPECT_TRUE(std::regex_match(cell, speed_cell)) << "line " << n << ": \"" << cell << "\"";
                }
            }
        }
    }
    // The branch table beside the second panel.
    const std::vector<std::string> side{"|_________________",  "|Velocit\xE0 Max Km/h|", "|_____Diramata____|",
                                        "|__A__|__B__|__C__|", "|  30 |  30 | --- |",    "|     |     |     |",
                                        "|_____|_____|_____|", "|_________________",     "|  30 |  30 |  30 |",
                                        "| ___ | ___ | ___ |", "|  30 |  30 |  30 |",    "|     |     |     |",
                                        "|_____|_____|_____|"};
    for (std::size_t row = 0; row < side.size(); ++row) {
        const int n = 138 + static_cast<int>(row);
        EXPECT_EQ(testing::text_columns(line_at(n), 65, 200), side[row]) << "line " << n;
    }
    EXPECT_EQ(line_at(59), "  Linea BRENZOLA - PASSO LUNARO ");
    EXPECT_EQ(line_at(60), "   " + std::string(75, '_'));
    EXPECT_EQ(line_at(114), "  Linea PASSO LUNARO - OSTREVO ");
    EXPECT_EQ(testing::text_columns(line_at(143), 36, 59), "    0.00   -------------");
    EXPECT_EQ(line_at(115), "   " + std::string(61, '_'));
}

// ---- the story against the descriptions ----

TEST(TimetableSheet, PlacesAndTimesAgreeWithTheStations) {
    const std::vector<Place> places = places_of_the_run();
    const std::vector<StopRow> rows = stop_rows();
    ASSERT_EQ(places.size(), rows.size());
    ASSERT_EQ(rows.size(), 26u);
    EXPECT_NE(line_at(3).find(" Treno " + std::string(scenario_train_code).substr(3) + " "), std::string::npos);
    EXPECT_EQ(testing::text_columns(line_at(12), 10, 12), std::string(scenario_train_code).substr(3));
    EXPECT_EQ(trim(testing::text_columns(line_at(7), 7, 33)), upper(places.front().name));
    EXPECT_EQ(trim(testing::text_columns(line_at(5), 18, 82)), upper(places.back().name));

    EXPECT_EQ(std::count_if(places.begin(), places.end(), [](const Place& p) { return p.code7 == 60; }), 3);
    int previous = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Place& place = places[i];
        const StopRow& row = rows[i];
        SCOPED_TRACE(place.name);
        EXPECT_EQ(row.place, upper(place.name));
        const bool timed = place.hours != 0 || place.minutes != 0 || place.seconds != 0;
        const std::string time = sheet_time(place.hours, place.minutes);
        if (i == 0) {
            EXPECT_EQ(row.departure, time);
            EXPECT_FALSE(row.arrival.empty());
        } else if (i + 1 == rows.size()) {
            EXPECT_EQ(row.arrival, time);
            EXPECT_EQ(row.departure, "");
        } else if (place.code7 == 60) {
            EXPECT_EQ(row.arrival, time);
            EXPECT_FALSE(row.departure.empty());
        } else {
            EXPECT_EQ(row.arrival, "") << "only the stops have an arrival time";
            // A place without a time in its row is still passed at a time.
            EXPECT_FALSE(row.departure.empty());
            if (timed) {
                EXPECT_EQ(row.departure, time);
            }
        }
        for (const std::string& t : {row.arrival, row.departure}) {
            if (t.empty()) continue;
            EXPECT_GE(minutes_of(t), previous) << "times run forward";
            previous = minutes_of(t);
        }
    }
}

TEST(TimetableSheet, BrakedMassIsTheTrainsPercentage) {
    std::string percentage;
    for (const std::string& line : embedded_train_description()) {
        if (line.rfind("percentuale massa frenata,", 0) == 0) percentage = row_fields(line).at(1);
    }
    ASSERT_FALSE(percentage.empty());
    EXPECT_EQ(testing::text_columns(line_at(45), 21, 42), " Massa Frenata : " + percentage + "% ");
}

// The route position of every panel row: its reading taken back through the
// count in force, which a restart row changes.
struct PlacedRow {
    PanelRow row;
    int position;
};

std::vector<PlacedRow> placed_rows(const Panel& panel, std::size_t count_in_force) {
    const std::vector<testing::KilometreBreak> breaks = testing::kilometre_breaks();
    std::vector<PlacedRow> placed;
    for (const PanelRow& row : panel_rows(panel)) {
        std::optional<int> reading = row.kilometre ? row.kilometre : landmark_reading(row.mark);
        if (is_restart(row)) {
            EXPECT_LT(count_in_force, breaks.size()) << "line " << row.line;
            if (count_in_force >= breaks.size()) break;
            ++count_in_force;
        }
        if (!reading) {
            placed.push_back({row, placed.empty() ? 0 : placed.back().position});
            continue;
        }
        const int offset = count_in_force == 0 ? 0 : breaks[count_in_force - 1].offset;
        placed.push_back({row, *reading - offset});
    }
    return placed;
}

std::vector<PlacedRow> both_panels() {
    std::vector<PlacedRow> rows = placed_rows(first_panel, 0);
    std::size_t restarts = 0;
    for (const PlacedRow& r : rows) restarts += is_restart(r.row);
    const std::vector<PlacedRow> second = placed_rows(second_panel, restarts);
    rows.insert(rows.end(), second.begin(), second.end());
    return rows;
}

TEST(TimetableSheet, PanelSpeedsAreTheSpeedBoards) {
    struct Change {
        int position;
        std::array<std::optional<int>, 3> speeds;
        bool operator==(const Change&) const = default;
    };
    // A board without stripes sets the limits from where it stands.
    std::vector<Change> boards;
    std::array<int, 3> limits{0, 0, 0};
    for (const auto& f : keyword_rows(embedded_line_description(), "indicatori_vmax")) {
        if (field_number(f.at(5)) != 0) continue;
        Change change{field_number(f.at(1)), {}};
        for (std::size_t rank = 0; rank < 3; ++rank) {
            const int speed = field_number(f.at(2 + rank));
            if (speed != limits[rank]) change.speeds[rank] = limits[rank] = speed;
        }
        if (change.speeds != decltype(change.speeds){}) boards.push_back(change);
    }
    std::vector<Change> panels;
    std::optional<int> c_limit, p_limit;
    for (const PlacedRow& placed : both_panels()) {
        const auto& s = placed.row.speeds;
        if (s[2]) c_limit = s[2];
        if (s[3]) p_limit = s[3];
        if (c_limit) {
            EXPECT_GE(p_limit.value_or(0), *c_limit) << "rank P below rank C at line " << placed.row.line;
        }
        if (s[0] || s[1] || s[2]) panels.push_back({placed.position, {s[0], s[1], s[2]}});
    }
    ASSERT_EQ(panels.size(), boards.size());
    for (std::size_t i = 0; i < boards.size(); ++i) {
        EXPECT_EQ(panels[i].position, boards[i].position) << "change " << i;
        EXPECT_TRUE(panels[i].speeds == boards[i].speeds) << "change at " << boards[i].position;
    }
}

// The station rows of the panels, a name that goes on in the next row joined.
struct StationRow {
    std::string name;
    int position;
};

std::vector<StationRow> station_rows(const std::vector<PlacedRow>& rows) {
    std::vector<StationRow> stations;
    for (const PlacedRow& placed : rows) {
        const PanelRow& row = placed.row;
        if (row.kilometre && !is_restart(row)) {
            stations.push_back({row.name, placed.position});
        } else if (!row.kilometre && !row.mark.empty() && !landmark_reading(row.mark) && !stations.empty()) {
            stations.back().name += row.mark;
        }
    }
    return stations;
}

TEST(TimetableSheet, PanelsListThePlacesInKilometreOrder) {
    const std::vector<testing::KilometreBreak> breaks = testing::kilometre_breaks();
    const std::vector<PlacedRow> rows = both_panels();
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_GE(rows[i].position, rows[i - 1].position) << "line " << rows[i].row.line;
        if (!is_restart(rows[i].row)) continue;
        // A new count starts where the line description breaks it.
        EXPECT_TRUE(std::any_of(breaks.begin(), breaks.end(),
                                [&](testing::KilometreBreak b) { return b.position == rows[i].position; }))
            << "line " << rows[i].row.line;
    }
    std::size_t restarts = 0;
    for (const PlacedRow& r : rows) restarts += is_restart(r.row);
    EXPECT_EQ(restarts, breaks.size());

    // The station that ends the first panel opens the second.
    const auto second_start =
        std::find_if(rows.begin(), rows.end(), [](const PlacedRow& r) { return r.row.line >= second_panel.first_row; });
    std::vector<StationRow> stations = station_rows({rows.begin(), second_start});
    const std::vector<StationRow> second = station_rows({second_start, rows.end()});
    ASSERT_FALSE(stations.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(stations.back().name, second.front().name);
    EXPECT_EQ(stations.back().position, second.front().position);
    stations.insert(stations.end(), second.begin() + 1, second.end());

    const std::vector<Place> places = places_of_the_run();
    ASSERT_EQ(stations.size(), places.size());
    for (std::size_t i = 0; i < places.size(); ++i) {
        EXPECT_EQ(stations[i].name, upper(places[i].name));
        if (places[i].position) {
            EXPECT_EQ(stations[i].position, *places[i].position) << places[i].name;
        }
    }
}

TEST(TimetableSheet, LandmarksStandWhereTheirSignsAre) {
    std::multimap<std::string, int> signs;
    for (const auto& f : keyword_rows(embedded_line_description(), "cartello_indicatore")) {
        signs.emplace(f.at(2), field_number(f.at(1)));
    }
    auto sign_at = [&](const std::string& text, int position) {
        const auto [first, last] = signs.equal_range(text);
        return std::any_of(first, last, [&](const auto& s) { return s.second == position; });
    };
    static const std::regex tunnel(R"((Imb|Sb)\.Gall\. (.+) Km \d+\.\d{3})");
    std::map<std::string, int> entrances;
    int found = 0;
    for (const PlacedRow& placed : both_panels()) {
        const std::string& mark = placed.row.mark;
        SCOPED_TRACE(mark);
        std::smatch m;
        if (std::regex_match(mark, m, tunnel)) {
            ++found;
            if (m[1] == "Imb") {
                EXPECT_TRUE(sign_at("(Galleria)(" + m[2].str() + ")", placed.position));
                entrances[m[2]] = placed.position;
            } else {
                ASSERT_TRUE(entrances.count(m[2])) << "exit without entrance";
                EXPECT_GT(placed.position, entrances[m[2]]);
            }
        } else if (mark.rfind("Bivio ", 0) == 0) {
            ++found;
            EXPECT_TRUE(sign_at("(Bivio)(" + mark.substr(6, mark.find(" Km ") - 6) + ")", placed.position));
        } else if (mark.rfind("Cavalcavia ", 0) == 0) {
            ++found;
            EXPECT_TRUE(sign_at("(Cavalcavia)(    Km    )(   1.900  )", placed.position));
        }
    }
    EXPECT_EQ(found, 10);

    // A kilometre post is lettered with the reading it shows; the panel row
    // stands within a cell of it.
    static const std::regex post(R"(\(Cippo \)\(  Km  \)\((\d+)\+(\d{3})\))");
    for (const auto& [text, position] : signs) {
        std::smatch m;
        if (!std::regex_match(text, m, post)) continue;
        char shown[32];
        std::snprintf(shown, sizeof shown, "Cippo Km %d.%s", std::stoi(m[1]), m[2].str().c_str());
        const auto rows = both_panels();
        const auto row =
            std::find_if(rows.begin(), rows.end(), [&](const PlacedRow& r) { return r.row.mark == shown; });
        ASSERT_NE(row, rows.end()) << shown;
        EXPECT_LE(std::abs(row->position - position), 50) << shown;
    }
}

}  // namespace
}  // namespace scenario
