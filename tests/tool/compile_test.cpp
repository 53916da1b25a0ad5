// scenario-tool compile: the program's files, and a diagnostic for every
// error code with its whole text.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/item_rows.h"
#include "tool/authoring.h"

namespace scenario::tool {
namespace {

using scenario::testing::crlf;
using scenario::testing::line_description;
using scenario::testing::sign_at;
using scenario::testing::signal_at;
using scenario::testing::station;
using scenario::testing::train_description;
using testing::Author;
using testing::Outcome;
using testing::quoted;
using testing::read_file;
using testing::run_tool;
using testing::TempFolder;
using testing::write_file;

const std::string plain_train = train_description({"velocita,   0,    100", "aderenza,   0,    90"});
const std::string plain_line = line_description(20000, {});
const std::string signal_1050 = "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0";

std::vector<std::string> too_many_stations() {
    std::vector<std::string> rows;
    for (int i = 1; i <= 79; ++i) rows.push_back(station(std::int64_t{1000} * i, 28, 100, "S" + std::to_string(i)));
    return rows;
}

struct Case {
    const char* name;
    std::optional<std::string> line;  // nothing: the author's file is missing
    std::optional<std::string> train;
    int status;
    // The first line of the diagnostic; LINE and TRAIN stand for the
    // author's files.
    std::string diagnostic;
};

// Every code of the reader, the recorders and the completion pass.
const std::vector<Case> cases{
    {"line missing", std::nullopt, plain_train, 1,
     "LINE: error: the line description does not exist, so nothing was read [line-description-missing]"},
    {"no header", crlf({"a scenario", "without header"}), plain_train, 1,
     "LINE: error: the line description has no \"[generale]\" header, so nothing of it is read "
     "[general-header-missing]"},
    {"only a header", crlf({"[generale]"}), plain_train, 1,
     "LINE:1:1: error: nothing follows the \"[generale]\" header: it is the file's last field "
     "[general-header-missing]"},
    {"route too long", line_description(1000001, {}), plain_train, 1,
     "LINE:2:24: error: route length 1000001 m is longer than the longest route, 1000000 m "
     "[route-too-long]"},
    {"first repetition position", line_description(20000, {}, {"ripetizione segnali 4 codici,    2110,    11050"}),
     plain_train, 1,
     "LINE:3:34: error: first signal-repetition position 2110 m is not a multiple of 50 "
     "[repetition-start-not-on-50]"},
    {"second repetition position", line_description(20000, {}, {"ripetizione segnali 4 codici,    2100,    11055"}),
     plain_train, 1,
     "LINE:3:43: error: second signal-repetition position 11055 m is not a multiple of 50 "
     "[repetition-end-not-on-50]"},
    {"repetition codes", line_description(20000, {}, {"ripetizione segnali codici,    2100,    11050"}), plain_train, 1,
     "LINE:3:1: error: signal-repetition keyword `ripetizione segnali codici` names neither 4 nor 9 codes "
     "[repetition-without-codes]"},
    {"line item beyond the route", line_description(20000, {"pendenza,  30000,   0"}), plain_train, 1,
     "LINE:4:12: error: the gradient change at 30000 m lies beyond the route: on a 20000 m route items "
     "must stand at 26900 m or before; the rest of the line description is not read [item-beyond-route]"},
    {"curve without class", line_description(20000, {"curvad,  2000,  300"}), plain_train, 1,
     "LINE:4:1: error: curve keyword `curvad` names no curve class (a digit 1 to 6) [curve-without-class]"},
    {"curve past the last metre", line_description(1000000, {"curvas1,  999000,  5000"}), plain_train, 1,
     "LINE:4:1: error: the curve at 999000 m, 5000 m long, takes the plan geometry past metre 1000000 "
     "[curves-beyond-last-metre]"},
    {"sign on a taken cell", line_description(20000, {sign_at(10950, "(A)"), sign_at(10960, "(B)")}), plain_train, 1,
     "LINE:5:23: error: the roadside sign (B) at 10960 m goes into route cell 220, which already holds "
     "the roadside sign (A) at 10950 m [sign-cell-taken]"},
    {"speed boards on a taken cell",
     line_description(20000, {sign_at(1100, "(A)"), "indicatori_vmax,  1100,  105,  110,  125,  0,  ,  ,  ,  0"}),
     plain_train, 1,
     "LINE:5:19: error: the set of speed boards at 1100 m goes into route cell 23, which already holds "
     "the roadside sign (A) at 1100 m [speed-boards-cell-taken]"},
    {"text in a number field", line_description(20000, {"pendenza,  1x00,   0"}), plain_train, 1,
     "LINE:4:12: error: `1x00` is not a whole number: it is the position of the `pendenza` row "
     "[not-a-number]"},
    {"end of file inside the general section", crlf({"[generale]", "lunghezza percorso,  20000", "a-1", "b-2"}),
     plain_train, 1, "LINE:4:4: error: the file ends where a further field is expected [unexpected-end-of-file]"},
    {"empty line description", std::string(), plain_train, 1,
     "LINE: error: the line description is empty [empty-description]"},
    {"train missing", plain_line, std::nullopt, 1,
     "TRAIN: error: the train description does not exist [train-description-missing]"},
    {"speed beyond the speed byte", plain_line,
     train_description({"velocita,   0,    2000", "velocita,   1000,   100"}), 1,
     "TRAIN:2:19: error: a line speed of 2000 km/h does not fit the speed byte [value-out-of-range]"},
    {"train item beyond the route", plain_line, train_description({signal_at(30000)}), 1,
     "TRAIN:2:11: error: the signal at 30000 m lies beyond the route: on a 20000 m route items must stand "
     "at 26900 m or before; the rest of the train description is not read [item-beyond-route]"},
    {"station beyond the route", plain_line, train_description({station(26500, 24, 400, "Fine")}), 1,
     "TRAIN:2:12: error: the station at 26500 m lies beyond the route: on a 20000 m route stations must "
     "stand at 26200 m or before; the rest of the train description is not read [item-beyond-route]"},
    {"reading ended by the line", line_description(20000, {"pendenza,  30000,   0"}), train_description({signal_1050}),
     1,
     "LINE:4:12: error: the gradient change at 30000 m lies beyond the route: on a 20000 m route items "
     "must stand at 26900 m or before; the rest of the line description is not read [item-beyond-route]"},
    {"signal on a taken cell", line_description(20000, {"indicatori_vmax,  1050,  105,  110,  125,  0,  ,  ,  ,  0"}),
     train_description({signal_1050}), 1,
     "TRAIN:2:13: error: the signal at 1050 m goes into route cell 22, which already holds the set of "
     "speed boards at 1050 m [signal-cell-taken]"},
    {"slowdown warning board on a taken cell", plain_line,
     train_description({signal_at(12300), "rallentamento,   13500,    60,  500, 0,  1,  60"}), 1,
     "TRAIN:3:18: error: the warning board of the slowdown at 13500 m, 1200 m before it at 12300 m, goes "
     "into route cell 247, which already holds the signal at 12300 m [warning-board-cell-taken]"},
    {"slowdown start on a taken cell", plain_line,
     train_description({signal_at(13500), "rallentamento,   13500,    60,  500, 0,  1,  60"}), 1,
     "TRAIN:3:18: error: the start of the slowdown at 13500 m goes into route cell 271, which already "
     "holds the signal at 13500 m [slowdown-start-cell-taken]"},
    {"slowdown end on a taken cell", plain_line,
     train_description({signal_at(14000), "rallentamento,   13500,    60,  500, 0,  1,  60"}), 1,
     "TRAIN:3:33: error: the end of the slowdown at 13500 m, 500 m long, at 14000 m, goes into route cell "
     "281, which already holds the signal at 14000 m [slowdown-end-cell-taken]"},
    {"slowdown approach on a taken cell", plain_line,
     train_description({signal_at(12250), "rallentamento,   13500,    60,  500, 0,  1,  60"}), 1,
     "TRAIN:3:18: error: the four cells just before the warning board of the slowdown at 13500 m (route "
     "cell 246 down to 243) must be free, but route cell 246 holds the signal at 12250 m "
     "[slowdown-approach-cell-taken]"},
    {"restriction mark on a taken cell", plain_line, train_description({signal_1050, "abbattimento,  1100,  100"}), 1,
     "TRAIN:3:16: error: the restriction mark at 1100 m goes into route cell 22, which already holds the "
     "signal at 1050 m [restriction-cell-taken]"},
    {"station position", plain_line, train_description({station(1025, 24, 400, "Primo")}), 1,
     "TRAIN:2:12: error: station position 1025 m is not a multiple of 50 [station-position-not-on-50]"},
    {"station length", plain_line, train_description({station(1000, 24, 450, "Primo")}), 1,
     "TRAIN:2:22: error: station length 450 m is not a multiple of 100 [station-length-not-on-100]"},
    {"station too near the start", plain_line, train_description({station(0, 2, 100, "Primo")}), 1,
     "TRAIN:2:12: error: station Primo ends at 50 m, so its stop would fall at route cell 1 or lower: a "
     "station with route cells must end beyond 100 m [station-too-near-start]"},
    {"stations too close", plain_line,
     train_description({station(0, 8, 500, "Primo"), station(800, 24, 400, "Secondo")}), 1,
     "TRAIN:3:12: error: station Secondo starts at 600 m, less than 350 m after station Primo ends at 500 "
     "m [stations-too-close]"},
    {"too many stations", line_description(100000, {}), train_description(too_many_stations()), 1,
     "TRAIN:80:12: error: station S79, the 79th station, does not fit: stations and roadside signs share the "
     "records 1 to 80, and with 0 roadside signs at most 78 stations fit; take out 1 station [too-many-stations]"},
    {"kilometre-point break", line_description(20000, {}, {"progressiva chilometrica uno,    1025,    0,    0"}),
     plain_train, 1,
     "LINE:3:34: error: kilometre-point break position 1025 m is not a multiple of 50 [break-not-on-50]"},
    {"no room before a signal near a warning board",
     line_description(20000, {sign_at(4900, "(B)"), sign_at(4950, "(A)")}),
     train_description({signal_at(5000), "rallentamento,   6700,    60,  500, 0,  0,  0"}), 1,
     "TRAIN:2:11: error: no restriction mark can be placed one or two cells before the signal at 5000 m "
     "(route cell 101), which stands within 1000 m before the warning board of the slowdown at 6700 m: "
     "route cell 100 holds the roadside sign (A) at 4950 m and route cell 99 holds the roadside sign (B) "
     "at 4900 m [no-room-for-mark-before-signal]"},
    {"no room before a slowdown start",
     line_description(20000, {sign_at(9650, "(C)"), sign_at(9700, "(B)"), sign_at(9750, "(A)")}),
     train_description({"rallentamento,   10000,    60,  1000, 0,  0,  0"}), 1,
     "TRAIN:2:18: error: no restriction mark can be placed before the start of the slowdown at 10000 m "
     "(route cell 201): route cell 196 holds the roadside sign (A) at 9750 m, route cell 195 holds the "
     "roadside sign (B) at 9700 m and route cell 194 holds the roadside sign (C) at 9650 m "
     "[no-room-for-marks-before-slowdown]"},
    {"no room for an interval mark",
     line_description(20000, {sign_at(10350, "(A)"), sign_at(10400, "(B)"), sign_at(10450, "(C)")}),
     train_description({"rallentamento,   10000,    60,  1000, 0,  0,  0"}), 1,
     "TRAIN:2:18: error: no restriction mark can be placed near route cell 209, inside the slowdown at "
     "10000 m: route cell 208 holds the roadside sign (A) at 10350 m, route cell 209 holds the roadside "
     "sign (B) at 10400 m and route cell 210 holds the roadside sign (C) at 10450 m "
     "[no-room-for-mark-in-slowdown]"},
};

std::string with_paths(std::string text, const Author& author) {
    for (const auto& [mark, path] : {std::pair{"LINE", author.line}, std::pair{"TRAIN", author.train}}) {
        for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + path.size())) {
            text.replace(at, std::string(mark).size(), path);
        }
    }
    return text;
}

// The first n lines.
std::string first_lines(const std::string& text, int n) {
    std::size_t end = 0;
    for (int i = 0; i < n && end != std::string::npos; ++i) end = text.find('\n', end == 0 && i == 0 ? 0 : end + 1);
    return end == std::string::npos ? text : text.substr(0, end + 1);
}

// The first line that reports an error.
std::string first_error(const std::string& err) {
    for (std::size_t at = 0; at < err.size();) {
        const std::size_t end = err.find('\n', at);
        std::string line = err.substr(at, end - at);
        if (line.find(": error: ") != std::string::npos) return line;
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return {};
}

TEST(Compile, ExplainsEveryCodeAtItsField) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Author author;
        if (c.line) write_file(author.line, *c.line);
        if (c.train) write_file(author.train, *c.train);
        const Outcome r = author.compile();
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(first_error(r.err), with_paths(c.diagnostic, author));
        // The author's files are never changed or deleted; no copy is left.
        if (c.line) {
            EXPECT_EQ(read_file(author.line), *c.line);
        }
        if (c.train) {
            EXPECT_EQ(read_file(author.train), *c.train);
        }
        EXPECT_EQ(author.folder.files().size(), (c.line ? 1u : 0u) + (c.train ? 1u : 0u));
        const std::vector<std::string> written = author.out.files();
        if (r.err.find("no file was written") == std::string::npos) {
            EXPECT_EQ(written, (std::vector<std::string>{"Linea_T 1.dat", "Linea_T 1.sim", "Linea_linea.dat"}));
        } else {
            EXPECT_TRUE(written.empty());
        }
    }
}

TEST(Compile, TheReadersErrorAndThePassesAreBothReported) {
    Author author;
    write_file(author.line,
               line_description(20000, {sign_at(9650, "(C)"), sign_at(9700, "(B)"), sign_at(9750, "(A)")}));
    write_file(author.train, train_description({"velocita,   0,    100", "aderenza,   0,    90",
                                                "rallentamento,   10000,    60,  1000, 0,  0,  0", signal_at(10000)}));
    const Outcome r = author.compile();
    EXPECT_EQ(r.status, 1);
    // The reading stopped at the signal; the pass then could not place the
    // marks before the slowdown. Each is told at its own row.
    EXPECT_EQ(r.err,
              author.train +
                  ":4:18: error: no restriction mark can be placed before the start of the slowdown at 10000 m (route "
                  "cell 201): route cell 196 holds the roadside sign (A) at 9750 m, route cell 195 holds the roadside "
                  "sign (B) at 9700 m and route cell 194 holds the roadside sign (C) at 9650 m "
                  "[no-room-for-marks-before-slowdown]\n"
                  " 4 | rallentamento,   10000,    60,  1000, 0,  0,  0\n"
                  "   |                  ^~~~~\n" +
                  author.line +
                  ":6:23: note: the roadside sign (A) at 9750 m takes route cell 196\n"
                  " 6 | cartello_indicatore,  9750,   (A)\n"
                  "   |                       ^~~~\n" +
                  author.line +
                  ":5:23: note: the roadside sign (B) at 9700 m takes route cell 195\n"
                  " 5 | cartello_indicatore,  9700,   (B)\n"
                  "   |                       ^~~~\n" +
                  author.line +
                  ":4:23: note: the roadside sign (C) at 9650 m takes route cell 194\n"
                  " 4 | cartello_indicatore,  9650,   (C)\n"
                  "   |                       ^~~~\n" +
                  author.train +
                  ":5:11: error: the signal at 10000 m goes into route cell 201, which already holds the start of the "
                  "slowdown at 10000 m [signal-cell-taken]\n"
                  " 5 | segnale,  10000,  2, 4, 1,  1, 0,  2,  2,1,1, 0\n"
                  "   |           ^~~~~\n" +
                  author.train +
                  ":4:18: note: the start of the slowdown at 10000 m takes route cell 201\n"
                  " 4 | rallentamento,   10000,    60,  1000, 0,  0,  0\n"
                  "   |                  ^~~~~\n"
                  "2 errors, 0 warnings\n"
                  "scenario-tool: the binary files were written all the same, as the program writes them: "
                  "Linea_linea.dat, Linea_T 1.sim and Linea_T 1.dat\n");
}

TEST(Compile, ShowsTheLineWithACaretUnderTheField) {
    Author author;
    write_file(author.line, line_description(20000, {sign_at(10950, "(A)"), "\tcartello_indicatore,\t10960,   (B)"}));
    write_file(author.train, plain_train);
    const Outcome r = author.compile();
    // Tabs stay tabs under the line, so that the caret lines up.
    EXPECT_EQ(first_lines(r.err, 3),
              author.line +
                  ":5:23: error: the roadside sign (B) at 10960 m goes into route cell 220, which already holds the "
                  "roadside sign (A) at 10950 m [sign-cell-taken]\n"
                  " 5 | \tcartello_indicatore,\t10960,   (B)\n"
                  "   | \t                    \t^~~~~\n");

    // Columns count characters, not bytes, in UTF-8 and in single-byte text.
    Author utf8;
    write_file(utf8.line, line_description(20000, {}, {"sfondo uno,\t1", "ripetizione segnali città,  2100,  11050"}));
    write_file(utf8.train, plain_train);
    EXPECT_EQ(first_lines(utf8.compile().err, 3),
              utf8.line +
                  ":4:1: error: signal-repetition keyword `ripetizione segnali città` names neither 4 nor 9 codes "
                  "[repetition-without-codes]\n"
                  " 4 | ripetizione segnali città,  2100,  11050\n"
                  "   | ^~~~~~~~~~~~~~~~~~~~~~~~~\n");
    Author single_byte;
    write_file(single_byte.line, line_description(20000, {"cartello_indicatore,  10950,   (Citt\xE0)",
                                                          "cartello_indicatore\xE0,  10960,   (B)"}));
    write_file(single_byte.train, plain_train);
    EXPECT_EQ(first_lines(single_byte.compile().err, 3),
              single_byte.line +
                  ":5:24: error: the roadside sign (B) at 10960 m goes into route cell 220, which already holds the "
                  "roadside sign (Città) at 10950 m [sign-cell-taken]\n"
                  " 5 | cartello_indicatoreà,  10960,   (B)\n"
                  "   |                        ^~~~~\n");
}

TEST(Compile, ReportsAsOneJsonObject) {
    Author author;
    write_file(author.line, line_description(20000, {sign_at(10950, "(A)"), sign_at(10960, "(B)")}));
    write_file(author.train, plain_train);
    const Outcome r = author.compile(true);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "");
    const auto report = nlohmann::json::parse(r.out);
    const std::string message =
        "the roadside sign (B) at 10960 m goes into route cell 220, which already holds the roadside sign (A) at "
        "10950 m";
    nlohmann::json expected = nlohmann::json::parse(R"json({"errorCode": 6, "errorPosition": 10960, "stamp": null,
        "line": 5, "column": 23,
        "written": ["Linea_linea.dat", "Linea_T 1.sim", "Linea_T 1.dat"],
        "diagnostics": [{"severity": "error", "code": 6, "name": "sign-cell-taken", "line": 5, "column": 23,
            "notes": [{"line": 4, "column": 23, "message": "the roadside sign (A) at 10950 m takes route cell 220"}]}]
        })json");
    expected["file"] = author.line;
    expected["message"] = message;
    expected["diagnostics"][0]["file"] = author.line;
    expected["diagnostics"][0]["message"] = message;
    expected["diagnostics"][0]["notes"][0]["file"] = author.line;
    EXPECT_EQ(report, expected);
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1);  // exactly one line

    Author fine;
    write_file(fine.line, plain_line);
    write_file(fine.train, plain_train);
    const auto done = nlohmann::json::parse(fine.compile(true).out);
    EXPECT_EQ(done["errorCode"], 0);
    EXPECT_TRUE(done["file"].is_null());
    EXPECT_EQ(done["written"].size(), 3u);
    EXPECT_TRUE(done["diagnostics"].empty());
}

TEST(Compile, AnItemInCellOneStopsTheStampAndNothingIsWritten) {
    struct Stamp {
        std::string train;
        int number;
        std::string diagnostic;
    };
    const Stamp stamps[] = {
        {train_description({signal_at(0)}), 1250,
         "TRAIN:2:11: error: the signal at 0 m goes into route cell 1 with a non-zero first value, but the scenario "
         "stamp needs that cell: the program stops with \" Errore n. 1250\" and writes no binary file; point items "
         "must stand at 25 m or beyond [stamp-marker-slot-taken]"},
        {train_description({"rallentamento,   0,    0,  500, 0,  0,  5"}), 1251,
         "TRAIN:2:18: error: the slowdown at 0 m goes into route cell 1 with a non-zero second value, but the "
         "scenario stamp needs that cell: the program stops with \" Errore n. 1251\" and writes no binary file; "
         "point items must stand at 25 m or beyond [stamp-code-slot-taken]"},
    };
    for (const Stamp& s : stamps) {
        Author author;
        write_file(author.line, plain_line);
        write_file(author.train, s.train);
        const Outcome r = author.compile();
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(first_error(r.err), with_paths(s.diagnostic, author));
        EXPECT_NE(r.err.find("\n Errore n. " + std::to_string(s.number) +
                             "\nscenario-tool: the scenario stamp was refused, so no file was written\n"),
                  std::string::npos)
            << r.err;
        EXPECT_TRUE(author.out.files().empty());
        const auto report = nlohmann::json::parse(author.compile(true).out);
        EXPECT_EQ(report["stamp"], s.number);
        EXPECT_EQ(report["diagnostics"].back()["name"],
                  s.number == 1250 ? "stamp-marker-slot-taken" : "stamp-code-slot-taken");
        EXPECT_TRUE(report["written"].empty());
    }
}

// The program run from a copy in `folder`, leaving its files there.
void run_program(const TempFolder& folder) {
    const std::string program = folder.file("Valcorvina_IC 318");
    std::filesystem::copy_file(PROGRAM_PATH, program);
    ASSERT_EQ(std::system(("cd / && " + quoted(program) + " >/dev/null").c_str()), 0);
}

TEST(Compile, TheEmbeddedDescriptionsGiveTheProgramsFiles) {
    TempFolder program;
    run_program(program);
    TempFolder work;
    const std::string sources = "--line " + quoted(testing::embedded_line()) + " --train " +
                                quoted(testing::embedded_train()) + " --title Valcorvina --train-code 'IC 318'";
    const Outcome r = run_tool("compile " + sources, work.path().string());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "wrote Valcorvina_linea.dat, Valcorvina_IC 318.sim and Valcorvina_IC 318.dat into .\n");
    EXPECT_EQ(r.err, testing::embedded_warning() + "0 errors, 1 warning\n");
    const std::vector<std::string> binary{"Valcorvina_IC 318.dat", "Valcorvina_IC 318.sim", "Valcorvina_linea.dat"};
    ASSERT_EQ(work.files(), binary);
    for (const std::string& name : binary)
        EXPECT_TRUE(read_file(work.file(name)) == read_file(program.file(name))) << name;

    // Without the plan geometry the other two files are the same, and an
    // older geometry file in the folder is left alone.
    TempFolder plain;
    write_file(plain.file("Valcorvina_linea.dat"), "older");
    const Outcome n = run_tool("compile --no-geometry --out " + quoted(plain.path().string()) + " " + sources, "/");
    ASSERT_EQ(n.status, 0) << n.err;
    EXPECT_EQ(read_file(plain.file("Valcorvina_linea.dat")), "older");
    for (const std::string& name : {binary[0], binary[1]}) {
        EXPECT_TRUE(read_file(plain.file(name)) == read_file(program.file(name))) << name;
    }
}

}  // namespace
}  // namespace scenario::tool
