// scenario-tool compile: the program's files, and a diagnostic for every
// error code with its whole text.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "tool/authoring.h"

namespace scenario::tool {
namespace {

using scenario::testing::crlf;
using scenario::testing::line_description;
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

std::string signal_at(int position) {
    return "segnale,  " + std::to_string(position) + ",  2, 4, 1,  1, 0,  2,  2,1,1, 0";
}
std::string sign_at(int position, const std::string& text) {
    return "cartello_indicatore,  " + std::to_string(position) + ",   " + text;
}
std::string station(int position, int kind, int length, const std::string& name) {
    return "stazione,  " + std::to_string(position) + ", " + std::to_string(kind) + ", " + std::to_string(length) +
           ",  0, 0, 0,  1,1,0,  2,1,1,    0,  16,3,0, " + name;
}

std::vector<std::string> too_many_stations() {
    std::vector<std::string> rows;
    for (int i = 1; i <= 79; ++i) rows.push_back(station(1000 * i, 28, 100, "S" + std::to_string(i)));
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
    {"line missing", std::nullopt, plain_train, 1, "LINE: error 101: line description not found, so nothing was read"},
    {"no header", crlf({"a scenario", "without header"}), plain_train, 1,
     "LINE:2:1: error 102: the file ends without a \"[generale]\" header"},
    {"only a header", crlf({"[generale]"}), plain_train, 1,
     "LINE:1:1: error 102: nothing follows the \"[generale]\" header"},
    {"route too long", line_description(1000001, {}), plain_train, 1,
     "LINE:2:24: error 1: route length 1000001 m is longer than the longest route, 1000000 m"},
    {"first repetition position", line_description(20000, {}, {"ripetizione segnali 4 codici,    2110,    11050"}),
     plain_train, 1, "LINE:3:34: error 3: first signal-repetition position 2110 m is not a multiple of 50"},
    {"second repetition position", line_description(20000, {}, {"ripetizione segnali 4 codici,    2100,    11055"}),
     plain_train, 1, "LINE:3:43: error 4: second signal-repetition position 11055 m is not a multiple of 50"},
    {"repetition codes", line_description(20000, {}, {"ripetizione segnali codici,    2100,    11050"}), plain_train, 1,
     "LINE:3:1: error 5: signal-repetition keyword \"ripetizione segnali codici\" names neither 4 nor 9 codes"},
    {"line item beyond the route", line_description(20000, {"pendenza,  30000,   0"}), plain_train, 1,
     "LINE:4:12: error 15: position 30000 m lies beyond the route: items must stand at 26900 m or before; the rest "
     "of the line description was skipped (at 30000 m)"},
    {"curve without class", line_description(20000, {"curvad,  2000,  300"}), plain_train, 1,
     "LINE:4:1: error 103: curve keyword \"curvad\" names no curve class (a digit 1 to 6)"},
    {"curve past the last metre", line_description(1000000, {"curvas1,  999000,  5000"}), plain_train, 1,
     "LINE:4:1: error 103: the plan geometry passes metre 1000000 within this curve"},
    {"sign on a taken cell", line_description(20000, {sign_at(10950, "(A)"), sign_at(10960, "(B)")}), plain_train, 1,
     "LINE:5:23: error 6: roadside sign cell 220 already holds the roadside sign (A) (at 10960 m)"},
    {"speed boards on a taken cell",
     line_description(20000, {sign_at(1100, "(A)"), "indicatori_vmax,  1100,  105,  110,  125,  0,  ,  ,  ,  0"}),
     plain_train, 1, "LINE:5:19: error 21: speed-limit board cell 23 already holds the roadside sign (A) (at 1100 m)"},
    {"text in a number field", line_description(20000, {"pendenza,  1x00,   0"}), plain_train, 1,
     "LINE:4:12: error 25: a number field holds 'x', not a whole number"},
    {"end of file inside the general section", crlf({"[generale]", "lunghezza percorso,  20000", "a-1", "b-2"}),
     plain_train, 1, "LINE:4:4: error 25: the file ends where a further field is expected"},
    {"empty line description", std::string(), plain_train, 1,
     "LINE:1:1: error 25: the file ends where a further field is expected"},
    {"train missing", plain_line, std::nullopt, 1, "TRAIN: error 25: train description not found"},
    {"speed beyond the speed byte", plain_line,
     train_description({"velocita,   0,    2000", "velocita,   1000,   100"}), 1,
     "TRAIN:2:19: error 25: a line speed of 2000 km/h does not fit the speed byte"},
    {"train item beyond the route", plain_line, train_description({signal_at(30000)}), 1,
     "TRAIN:2:11: error 15: position 30000 m lies beyond the route: items must stand at 26900 m or before; the rest "
     "of the train description was not read (at 30000 m)"},
    {"station beyond the route", plain_line, train_description({station(26500, 24, 400, "Fine")}), 1,
     "TRAIN:2:12: error 15: station position 26500 m lies beyond the route: a station must stand at 26200 m or "
     "before; the rest of the train description was not read (at 26500 m)"},
    {"reading ended by the line", line_description(20000, {"pendenza,  30000,   0"}), train_description({signal_1050}),
     1,
     "TRAIN:2:13: error 15: the reading ended at this signal because an item of the line description lies beyond "
     "the route (at 1050 m)"},
    {"signal on a taken cell", line_description(20000, {"indicatori_vmax,  1050,  105,  110,  125,  0,  ,  ,  ,  0"}),
     train_description({signal_1050}), 1,
     "TRAIN:2:13: error 16: signal cell 22 already holds a speed-limit board (at 1050 m)"},
    {"slowdown warning board on a taken cell", plain_line,
     train_description({signal_at(12300), "rallentamento,   13500,    60,  500, 0,  1,  60"}), 1,
     "TRAIN:3:18: error 17: slowdown warning board cell 247, 1200 m before the slowdown, already holds a signal "
     "(at 13500 m)"},
    {"slowdown start on a taken cell", plain_line,
     train_description({signal_at(13500), "rallentamento,   13500,    60,  500, 0,  1,  60"}), 1,
     "TRAIN:3:18: error 18: slowdown start cell 271 already holds a signal (at 13500 m)"},
    {"slowdown end on a taken cell", plain_line,
     train_description({signal_at(14000), "rallentamento,   13500,    60,  500, 0,  1,  60"}), 1,
     "TRAIN:3:33: error 19: slowdown end cell 281, at 14000 m, already holds a signal (at 13500 m)"},
    {"slowdown approach on a taken cell", plain_line,
     train_description({signal_at(12250), "rallentamento,   13500,    60,  500, 0,  1,  60"}), 1,
     "TRAIN:3:18: error 20: slowdown approach cell 246 already holds a signal: the four cells before the warning "
     "board in cell 247 must be free (at 13500 m)"},
    {"restriction mark on a taken cell", plain_line, train_description({signal_1050, "abbattimento,  1100,  100"}), 1,
     "TRAIN:3:16: error 7: restriction mark cell 22 already holds a signal (at 1100 m)"},
    {"station position", plain_line, train_description({station(1025, 24, 400, "Primo")}), 1,
     "TRAIN:2:12: error 8: station position 1025 m is not a multiple of 50 (at 1025 m)"},
    {"station length", plain_line, train_description({station(1000, 24, 450, "Primo")}), 1,
     "TRAIN:2:22: error 9: station length 450 m is not a multiple of 100 (at 1000 m)"},
    {"station too near the start", plain_line, train_description({station(0, 2, 100, "Primo")}), 1,
     "TRAIN:2:12: error 24: station Primo ends at 50 m, too near the start for its stop cell: a station must end "
     "beyond 100 m"},
    {"stations too close", plain_line,
     train_description({station(0, 8, 500, "Primo"), station(800, 24, 400, "Secondo")}), 1,
     "TRAIN:3:12: error 22: station Secondo starts at 600 m, less than 350 m after station Primo ends at 500 m "
     "(at 800 m)"},
    {"too many stations", line_description(100000, {}), train_description(too_many_stations()), 1,
     "TRAIN:80:12: error 10: station S79 is one station too many: stations and roadside signs share the records 1 "
     "to 80, and with 0 roadside signs at most 78 stations fit"},
    {"kilometre-point break", line_description(20000, {}, {"progressiva chilometrica uno,    1025,    0,    0"}),
     plain_train, 1, "LINE:3:34: error 2: kilometre-point break value 1025 m is not a multiple of 50"},
    {"no room before a signal near a warning board",
     line_description(20000, {sign_at(4900, "(B)"), sign_at(4950, "(A)")}),
     train_description({signal_at(5000), "rallentamento,   6700,    60,  500, 0,  0,  0"}), 1,
     "scenario-tool: error 11: no free cell for a restriction mark before the signal in cell 101 near a slowdown "
     "warning board: cells 100 and 99 hold the roadside sign (A) and the roadside sign (B) (at 5050 m)"},
    {"no room before a slowdown start",
     line_description(20000, {sign_at(9650, "(C)"), sign_at(9700, "(B)"), sign_at(9750, "(A)")}),
     train_description({"rallentamento,   10000,    60,  1000, 0,  0,  0"}), 1,
     "scenario-tool: error 12: no free cell for a restriction mark before the slowdown start in cell 201: cells "
     "196, 195 and 194 hold the roadside sign (A), the roadside sign (B) and the roadside sign (C) (at 10050 m)"},
    {"no room for an interval mark",
     line_description(20000, {sign_at(10350, "(A)"), sign_at(10400, "(B)"), sign_at(10450, "(C)")}),
     train_description({"rallentamento,   10000,    60,  1000, 0,  0,  0"}), 1,
     "scenario-tool: error 13: no free cell for an interval restriction mark through the slowdown near cell 209: "
     "cells 208, 209 and 210 hold the roadside sign (A), the roadside sign (B) and the roadside sign (C) "
     "(at 10450 m)"},
};

std::string with_paths(std::string text, const Author& author) {
    for (const auto& [mark, path] : {std::pair{"LINE", author.line}, std::pair{"TRAIN", author.train}}) {
        for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + path.size())) {
            text.replace(at, std::string(mark).size(), path);
        }
    }
    return text;
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
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), with_paths(c.diagnostic, author));
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

TEST(Compile, ACompletionPassCodeStillTellsWhereTheReadingStopped) {
    Author author;
    write_file(author.line,
               line_description(20000, {sign_at(9650, "(C)"), sign_at(9700, "(B)"), sign_at(9750, "(A)")}));
    write_file(author.train, train_description({"rallentamento,   10000,    60,  1000, 0,  0,  0", signal_at(10000)}));
    const Outcome r = author.compile();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.substr(0, r.err.find("\nnote: the binary")),
              "scenario-tool: error 12: no free cell for a restriction mark before the slowdown start in cell 201: "
              "cells 196, 195 and 194 hold the roadside sign (A), the roadside sign (B) and the roadside sign (C) "
              "(at 10050 m)\nnote: the reading had already stopped with an error at " +
                  author.train + ":3:11; the completion pass's code replaced it");
}

TEST(Compile, ShowsTheLineWithACaretUnderTheField) {
    Author author;
    write_file(author.line, line_description(20000, {sign_at(10950, "(A)"), "\tcartello_indicatore,\t10960,   (B)"}));
    write_file(author.train, plain_train);
    const Outcome r = author.compile();
    // Tabs stay tabs under the line, so that the caret lines up.
    EXPECT_EQ(r.err, author.line +
                         ":5:23: error 6: roadside sign cell 220 already holds the roadside sign (A) (at "
                         "10960 m)\n"
                         " 5 | \tcartello_indicatore,\t10960,   (B)\n"
                         "   | \t                    \t^~~~~\n"
                         "note: the binary files were written all the same, as the program does: "
                         "Linea_linea.dat, Linea_T 1.sim and Linea_T 1.dat\n");

    // Columns count characters, not bytes, in UTF-8 and in single-byte text.
    Author utf8;
    write_file(utf8.line, line_description(20000, {}, {"sfondo uno,\t1", "ripetizione segnali città,  2100,  11050"}));
    write_file(utf8.train, plain_train);
    const Outcome u = utf8.compile();
    EXPECT_EQ(u.err.substr(0, u.err.find("note:")),
              utf8.line +
                  ":4:1: error 5: signal-repetition keyword \"ripetizione segnali città\" names neither 4 "
                  "nor 9 codes\n"
                  " 4 | ripetizione segnali città,  2100,  11050\n"
                  "   | ^~~~~~~~~~~~~~~~~~~~~~~~~\n");
    Author single_byte;
    write_file(single_byte.line, line_description(20000, {"cartello_indicatore,  10950,   (Citt\xE0)",
                                                          "cartello_indicatore\xE0,  10960,   (B)"}));
    write_file(single_byte.train, plain_train);
    const Outcome s = single_byte.compile();
    EXPECT_EQ(s.err.substr(0, s.err.find("note:")),
              single_byte.line +
                  ":5:24: error 6: roadside sign cell 220 already holds the roadside sign (Città) "
                  "(at 10960 m)\n"
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
    nlohmann::json expected = nlohmann::json::parse(R"json({"errorCode": 6, "errorPosition": 10960, "stamp": null,
        "line": 5, "column": 23,
        "message": "roadside sign cell 220 already holds the roadside sign (A)",
        "written": ["Linea_linea.dat", "Linea_T 1.sim", "Linea_T 1.dat"]})json");
    expected["file"] = author.line;
    EXPECT_EQ(report, expected);
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1);  // exactly one line

    Author fine;
    write_file(fine.line, plain_line);
    write_file(fine.train, plain_train);
    const auto done = nlohmann::json::parse(fine.compile(true).out);
    EXPECT_EQ(done["errorCode"], 0);
    EXPECT_TRUE(done["file"].is_null());
    EXPECT_EQ(done["written"].size(), 3u);
}

TEST(Compile, AnItemInCellOneStopsTheStampAndNothingIsWritten) {
    struct Stamp {
        std::string train;
        int number;
        std::string explanation;
    };
    const Stamp stamps[] = {
        {train_description({signal_at(0)}), 1250,
         "route cell 1 holds a signal with a non-zero first value, but cell 1 is kept for the scenario stamp: a "
         "point item between 0 and 24 m lands there, so point items must stand at 25 m or beyond; nothing was "
         "written"},
        {train_description({"rallentamento,   0,    0,  500, 0,  0,  5"}), 1251,
         "route cell 1 holds the start of a slowdown with a non-zero second value, but cell 1 is kept for the "
         "scenario stamp: a point item between 0 and 24 m lands there, so point items must stand at 25 m or beyond; "
         "nothing was written"},
    };
    for (const Stamp& s : stamps) {
        Author author;
        write_file(author.line, plain_line);
        write_file(author.train, s.train);
        const Outcome r = author.compile();
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, " Errore n. " + std::to_string(s.number) + "\nscenario-tool: " + s.explanation + "\n");
        EXPECT_TRUE(author.out.files().empty());
        const auto report = nlohmann::json::parse(author.compile(true).out);
        EXPECT_EQ(report["stamp"], s.number);
        EXPECT_EQ(report["message"], " Errore n. " + std::to_string(s.number) + ": " + s.explanation);
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
    EXPECT_EQ(r.err, "");
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

TEST(Compile, UsageErrorsShowTheUsage) {
    TempFolder work;
    const std::string sources = "--line a --train b --title T --train-code C";
    const std::pair<std::string, std::string> wrong[] = {
        {"compile " + sources + " --colour", "The following argument was not expected: --colour"},
        {"compile --line a --train b --title T", "--train-code is required"},
        {"compile " + sources + " --out", "--out: 1 required TEXT missing"},
        {"compile " + sources + " --out 'no such folder'", "output folder 'no such folder' does not exist"},
        {"compile " + sources + " --out /dev/null", "output folder '/dev/null' is not a folder"},
        {"compile --line a --train b --title a/b --train-code C",
         "--title cannot hold '/': it becomes part of file names"},
        {"compile --line a --train b --title " + std::string(250, 't') + " --train-code C",
         "--title is too long for a file name: '" + std::string(250, 't') + "_linea.txt' would be 260 bytes"},
        {"compile --line a --train b --title " + std::string(240, 't') + " --train-code " + std::string(20, 'c'),
         "--title and --train-code together are too long for a file name"},
        {"compile --line . --train b --title T --train-code C", "line description '.' is a folder"},
        {"compile --line a --train /dev/null --title T --train-code C",
         "train description '/dev/null' is not a regular file"},
        {"dump", "FILE is required"},
        {"dump notes.txt", "cannot tell what 'notes.txt' holds: its name must end in .sim, .dat or _linea.dat"},
        {"", "A subcommand is required"},
    };
    for (const auto& [arguments, what] : wrong) {
        const Outcome r = run_tool(arguments, work.path().string());
        EXPECT_EQ(r.status, 64) << arguments;
        EXPECT_NE(r.err.find(what), std::string::npos) << arguments << "\n" << r.err;
        EXPECT_NE(r.err.find("Usage:"), std::string::npos) << arguments;
    }
    EXPECT_TRUE(work.files().empty());
}

}  // namespace
}  // namespace scenario::tool
