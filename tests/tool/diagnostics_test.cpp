// scenario-tool check and compile: one minimal wrong input for every
// diagnostic, where it is reported and where its note points; every error
// of a reading in one run and none invented; warnings that never change a
// byte; the explanations and their reference page.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <sstream>
#include <vector>

#include <nlohmann/json.hpp>

#include "compactor/memorizza_percorso.h"
#include "support/item_rows.h"
#include "tool/authoring.h"
#include "tool/diagnostics/analysis.h"
#include "tool/diagnostics/catalogue.h"
#include "tool/diagnostics/report.h"

namespace scenario::tool {
namespace {

using scenario::testing::crlf;
using scenario::testing::line_description;
using scenario::testing::many;
using scenario::testing::sign_at;
using scenario::testing::signal_at;
using scenario::testing::station;
using scenario::testing::train;
using scenario::testing::train_description;
using testing::Author;
using testing::Outcome;
using testing::read_file;
using testing::write_file;

const std::string plain_train = train({});
const std::string plain_line = line_description(20000, {});

// Where a diagnostic stands: "LINE:4:12", "TRAIN:2:11", "LINE" (the whole
// file) or "" (no note).
std::string where(const nlohmann::json& at, const Author& author) {
    if (!at.contains("file") || at["file"].is_null()) return "";
    std::string file = at["file"] == author.line ? "LINE" : at["file"] == author.train ? "TRAIN" : "?";
    if (at["line"].is_null()) return file;
    return file + ":" + std::to_string(at["line"].get<int>()) + ":" + std::to_string(at["column"].get<int>());
}

struct Case {
    const char* name;                 // the diagnostic expected
    std::optional<std::string> line;  // nothing: the file is missing
    std::optional<std::string> train;
    std::string at;    // where it is reported
    std::string note;  // where its first note points; "" for none
    int status;        // the exit status of the check
};

const std::vector<Case> cases{
    // Errors of the line description.
    {"line-description-missing", std::nullopt, plain_train, "LINE", "", 1},
    {"general-header-missing", crlf({"[generle]", "lunghezza percorso,  20000", "[fine]"}), plain_train, "LINE:1:1", "",
     1},
    {"route-too-long", line_description(1000001, {}), plain_train, "LINE:2:24", "", 1},
    {"missing-route-length", crlf({"[generale]", "[curve]", "pendenza,  0,   0", "[fine]"}), plain_train, "LINE:1:1",
     "", 1},
    {"negative-route-length", line_description(-8000, {}), plain_train, "LINE:2:24", "", 1},
    {"break-not-on-50", line_description(20000, {}, {"progressiva chilometrica uno,    1025,    0,    0"}), plain_train,
     "LINE:3:34", "", 1},
    {"repetition-start-not-on-50", line_description(20000, {}, {"ripetizione segnali 4 codici,  2110,  11050"}),
     plain_train, "LINE:3:32", "", 1},
    {"repetition-end-not-on-50", line_description(20000, {}, {"ripetizione segnali 4 codici,  2100,  11055"}),
     plain_train, "LINE:3:39", "", 1},
    {"repetition-without-codes", line_description(20000, {}, {"ripetizione segnali codici,  2100,  11050"}),
     plain_train, "LINE:3:1", "", 1},
    {"curve-without-class", line_description(20000, {"curvad,  2000,  300"}), plain_train, "LINE:4:1", "", 1},
    {"curves-beyond-last-metre", line_description(1000000, {"curvas1,  999000,  5000"}), plain_train, "LINE:4:1", "",
     1},
    {"curve-beyond-geometry", line_description(20000, {"curvas1,  26000,  2000"}), plain_train, "LINE:4:11", "", 1},
    {"item-beyond-route", line_description(20000, {"pendenza,  30000,   0"}), train({signal_at(1050)}), "LINE:4:12",
     "TRAIN:4:11", 1},
    {"sign-cell-taken", line_description(20000, {sign_at(10950, "(A)"), sign_at(10960, "(B)")}), plain_train,
     "LINE:5:23", "LINE:4:23", 1},
    {"speed-boards-cell-taken",
     line_description(20000, {sign_at(1100, "(A)"), "indicatori_vmax,  1100,  105,  110,  125,  0,  ,  ,  ,  0"}),
     plain_train, "LINE:5:19", "LINE:4:23", 1},
    {"route-too-short", line_description(20, {"pendenza,  0,   0", "pendenza,  12000,   5"}), plain_train, "LINE:2:24",
     "LINE:5:12", 1},
    {"item-outside-cells", line_description(20000, {"montagna,  19000,  40000,  1"}), plain_train, "LINE:4:12", "", 1},
    {"too-many-signs", line_description(100000, many(81, [](std::int64_t i) { return sign_at(1000 * i, "(S)"); })),
     plain_train, "LINE:84:23", "", 1},
    {"too-many-mountain-spans",
     line_description(200000, many(81,
                                   [](std::int64_t i) {
                                       return "montagna,  " + std::to_string(2000 * i) + ",  " +
                                              std::to_string(2000 * i + 500) + ",  1";
                                   })),
     plain_train, "LINE:84:12", "", 1},
    // Errors of the train description.
    {"train-description-missing", plain_line, std::nullopt, "TRAIN", "", 1},
    {"unreadable-description", plain_line, std::nullopt, "TRAIN", "", 1},  // a folder in its place
    {"signal-cell-taken", line_description(20000, {"indicatori_vmax,  1050,  105,  110,  125,  0,  ,  ,  ,  0"}),
     train({signal_at(1050)}), "TRAIN:4:11", "LINE:4:19", 1},
    {"warning-board-cell-taken", plain_line,
     train({signal_at(12300), "rallentamento,   13500,    60,  500, 0,  1,  60"}), "TRAIN:5:18", "TRAIN:4:11", 1},
    {"slowdown-start-cell-taken", plain_line,
     train({signal_at(13500), "rallentamento,   13500,    60,  500, 0,  1,  60"}), "TRAIN:5:18", "TRAIN:4:11", 1},
    {"slowdown-end-cell-taken", plain_line,
     train({signal_at(14000), "rallentamento,   13500,    60,  500, 0,  1,  60"}), "TRAIN:5:33", "TRAIN:4:11", 1},
    {"slowdown-approach-cell-taken", plain_line,
     train({signal_at(12250), "rallentamento,   13500,    60,  500, 0,  1,  60"}), "TRAIN:5:18", "TRAIN:4:11", 1},
    {"restriction-cell-taken", plain_line, train({signal_at(1050), "abbattimento,  1100,  100"}), "TRAIN:5:16",
     "TRAIN:4:11", 1},
    {"station-position-not-on-50", plain_line, train({station(1025, 24, 400, "Primo")}), "TRAIN:4:12", "", 1},
    {"station-length-not-on-100", plain_line, train({station(1000, 24, 450, "Primo")}), "TRAIN:4:22", "", 1},
    {"station-too-near-start", plain_line, train({station(0, 2, 100, "Primo")}), "TRAIN:4:12", "", 1},
    {"stations-too-close", plain_line, train({station(0, 8, 500, "Primo"), station(800, 24, 400, "Secondo")}),
     "TRAIN:5:12", "TRAIN:4:12", 1},
    {"too-many-stations", line_description(100000, {sign_at(99000, "(S)")}),
     train(many(78, [](std::int64_t i) { return station(1000 * i, 28, 100, "S" + std::to_string(i)); })), "TRAIN:81:12",
     "LINE:4:23", 1},
    {"empty-description", std::string(), plain_train, "LINE", "", 1},
    {"unexpected-end-of-file", crlf({"[generale]", "lunghezza percorso,  20000", "[curve]", "pendenza,  1000"}),
     plain_train, "LINE:4:1", "", 1},
    {"not-a-number", line_description(20000, {"pendenza,  1x00,   0"}), plain_train, "LINE:4:12", "", 1},
    {"number-out-of-range", plain_line, train({"sabbia,    40000"}), "TRAIN:4:12", "", 1},
    {"value-out-of-range", plain_line, train_description({"velocita,   0,    2000", "velocita,   1000,   100"}),
     "TRAIN:2:19", "", 1},
    {"unclosed-quote", line_description(20000, {"cartello_indicatore,  10950,   \"Bivio, Nord"}), plain_train,
     "LINE:4:32", "", 1},
    {"text-too-long", plain_line, train({station(0, 8, 500, std::string(40000, 'x'))}), "TRAIN:4:64", "", 1},
    // Errors of the completion pass and the stamp.
    {"no-room-for-mark-before-signal", line_description(20000, {sign_at(4900, "(B)"), sign_at(4950, "(A)")}),
     train({signal_at(5000), "rallentamento,   6700,    60,  500, 0,  0,  0"}), "TRAIN:4:11", "TRAIN:5:18", 1},
    {"no-room-for-marks-before-slowdown",
     line_description(20000, {sign_at(9650, "(C)"), sign_at(9700, "(B)"), sign_at(9750, "(A)")}),
     train({"rallentamento,   10000,    60,  1000, 0,  0,  0"}), "TRAIN:4:18", "LINE:6:23", 1},
    {"no-room-for-mark-in-slowdown",
     line_description(20000, {sign_at(10350, "(A)"), sign_at(10400, "(B)"), sign_at(10450, "(C)")}),
     train({"rallentamento,   10000,    60,  1000, 0,  0,  0"}), "TRAIN:4:18", "LINE:4:23", 1},
    {"stamp-marker-slot-taken", plain_line, train({signal_at(0)}), "TRAIN:4:11", "", 2},
    {"stamp-code-slot-taken", plain_line, train({"rallentamento,   0,    0,  500, 0,  0,  5"}), "TRAIN:4:18", "", 2},
    // Warnings.
    {"unknown-keyword", line_description(20000, {"pendeza,  1000,   5"}), plain_train, "LINE:4:1", "", 0},
    {"keyword-letter-case", line_description(20000, {}, {"Progressiva chilometrica uno,    0,    0,    0"}),
     plain_train, "LINE:3:1", "", 0},
    {"hyphenated-keyword", line_description(20000, {"cartello-indicatore,  10950,   (A)"}), plain_train, "LINE:4:1", "",
     0},
    {"keyword-in-wrong-section", line_description(20000, {"sabbia,    200"}), plain_train, "LINE:4:1", "", 0},
    {"section-header-missing",
     crlf({"[generale]", "lunghezza percorso,  20000", "[curve", "pendenza,  0,   0", "[fine]"}), plain_train,
     "LINE:4:1", "LINE:3:1", 0},
    {"tab-in-field", plain_line, train({"sabbia,    2\t00"}), "TRAIN:4:12", "", 0},
    {"hash-is-not-a-comment", plain_line, train({"# velocita,  2000,  80"}), "TRAIN:4:1", "", 0},
    {"gradient-out-of-range", line_description(20000, {"pendenza,  1000,   200"}), plain_train, "LINE:4:20", "", 0},
    {"descending-positions", line_description(20000, {"pendenza,  3000,   5", "pendenza,  1000,   0"}), plain_train,
     "LINE:5:12", "LINE:4:12", 0},
    {"overlapping-curves", line_description(20000, {"curvas2,  1000,  500", "curvad3,  1300,  200"}), plain_train,
     "LINE:5:11", "LINE:4:11", 0},
    {"end-not-after-start", line_description(20000, {"montagna,   5000,  4000,  1"}), plain_train, "LINE:4:20", "", 0},
    {"decimal-comma", plain_line, train({"velocita,   2000,    8,5"}), "TRAIN:4:22", "", 0},
    {"profile-not-from-start", plain_line, train_description({"velocita,   1000,    100", "aderenza,   0,    90"}),
     "TRAIN:2:13", "", 0},
    {"profile-missing", plain_line, train_description({"aderenza,   0,    90"}), "TRAIN", "", 0},
    {"speed-not-multiple-of-5", plain_line, train({"velocita,   1000,    127"}), "TRAIN:4:22", "", 0},
    {"signal-type-out-of-range", plain_line, train({signal_at(1050, "3, 4, 1,  1, 0,  2,  2,1,1, 0")}), "TRAIN:4:18",
     "", 0},
    {"signal-code-not-a-digit", plain_line, train({signal_at(1050, "2, 14, 1,  1, 0,  2,  2,1,1, 0")}), "TRAIN:4:21",
     "", 0},
    {"value-truncated", plain_line, train_description({"velocita,   0,    100", "aderenza,   0,    300"}), "TRAIN:3:19",
     "", 0},
    {"mountain-type-unknown", line_description(20000, {"montagna,   7900,  8550,  5"}), plain_train, "LINE:4:27", "",
     0},
    {"board-speeds-overlap", line_description(20000, {"indicatori_vmax,  9450,  140,  155,  165,  2,  100,  ,  ,  0"}),
     plain_train, "LINE:4:48", "", 0},
    {"text-not-single-byte", plain_line, train({station(0, 8, 500, "Citt\xC3\xA0")}), "TRAIN:4:64", "", 0},
    {"ignored-values", plain_line, train({"sabbia,    200,    300"}), "TRAIN:4:20", "", 0},
    {"values-on-next-line", plain_line, train_description({"velocita,   0", "100", "aderenza,   0,   90"}), "TRAIN:3:1",
     "", 0},
    {"train-header-missing", plain_line, crlf({"[generle]", "velocita,   0,    100"}), "TRAIN", "", 0},
};

TEST(Diagnostics, EachAtItsRowWithItsNote) {
    std::set<std::string> tested;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tested.insert(c.name);
        Author author;
        if (c.line) write_file(author.line, *c.line);
        if (c.train) {
            write_file(author.train, *c.train);
        } else if (std::string(c.name) == "unreadable-description") {
            std::filesystem::create_directory(author.train);
        }
        const Outcome r = author.check(true);
        const auto report = nlohmann::json::parse(r.out);
        const DiagnosticKind* kind = find_diagnostic(c.name);
        ASSERT_NE(kind, nullptr);
        bool found = false;
        for (const auto& d : report["diagnostics"]) {
            if (d["name"] != c.name) continue;
            found = true;
            EXPECT_EQ(d["severity"], kind->severity == Severity::error ? "error" : "warning");
            EXPECT_EQ(where(d, author), c.at);
            EXPECT_EQ(d["notes"].empty() ? "" : where(d["notes"][0], author), c.note);
            EXPECT_EQ(d["code"].is_null(), !kind->code);
            break;
        }
        EXPECT_TRUE(found) << r.out;
        // A warning alone never fails a check; an error does.
        EXPECT_EQ(r.status, c.status);
    }
    // Every diagnostic but the catch-all of faults without a situation of
    // their own has its case.
    for (const DiagnosticKind& kind : diagnostic_catalogue()) {
        if (kind.name == "run-time-fault") continue;
        EXPECT_EQ(tested.count(std::string(kind.name)), 1u) << kind.name << " has no case";
    }
}

TEST(Diagnostics, TheEmbeddedScenarioHasItsOneWarning) {
    // Its author meant a gradient of -4.5 per mille and got -4.
    Author author;
    write_file(author.line, read_file(testing::embedded_line()));
    write_file(author.train, read_file(testing::embedded_train()));
    const Outcome r = author.check();
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, author.line +
                         ":115:20: warning: `-4,5` is read as -4: the comma ends the number and `5` is ignored; values "
                         "are whole numbers [decimal-comma]\n"
                         " 115 | pendenza,  1250,   -4,5\n"
                         "     |                    ^~~~\n"
                         "0 errors, 1 warning\n");
    EXPECT_EQ(r.out, "");
}

TEST(Diagnostics, OrdinaryWritingGivesNoWarning) {
    // Comments, an empty field after a row, headers, empty speed fields of
    // the boards. (A fraction after a gradient is warned like any other.)
    Author author;
    write_file(author.line, line_description(20000, {"-- curves --------", "curvas1,  1350,  150,", "[pendenze]",
                                                     "pendenza,  0,   0",
                                                     "indicatori_vmax,  1100,  105,  110,  125,  0,  ,  ,  ,  0"}));
    write_file(author.train, train({"Cardevola-Scarpella", "sabbia,    200", "orologio,    15    47    30 "}));
    const Outcome r = author.check();
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

// A gradient change every kilometre, from 0.
std::string every_km(std::int64_t i) { return "pendenza,  " + std::to_string(1000 * (i - 1)) + ",   0"; }
std::string mountain_every_2km(std::int64_t i) {
    return "montagna,  " + std::to_string(2000 * i) + ",  " + std::to_string(2000 * i + 500) + ",  1";
}

TEST(Diagnostics, EachRuleAtItsCause) {
    struct Cause {
        const char* what;
        std::string line;
        std::string train;
        std::string first;  // the first line of the report, LINE and TRAIN for the files
        std::size_t errors;
    };
    const Cause causes[] = {
        {"a board speed past 16 bits, at the speed that overflows",
         line_description(20000, {"indicatori_vmax,  9450,  1640,  155,  165,  2,  95,  ,  ,  0"}), plain_train,
         "LINE:4:26: error: rank A left-hand speed 1640 km/h does not fit its 16 bits: the rank is stored as 1640 * 20 "
         "+ 95 / 5 = 32819, and speed * 20 + right / 5 must lie from -32768 to 32767 [value-out-of-range]",
         1},
        {"a mountain span that ends before it starts", line_description(20000, {"montagna,   5000,  4000,  1"}),
         plain_train,
         "LINE:4:20: warning: the mountain span at 5000 m ends at 4000 m, before its start: its end must stand after "
         "5000 m [end-not-after-start]",
         0},
        {"a curve of no length", line_description(20000, {"curvas1,  1000,  0"}), plain_train,
         "LINE:4:18: warning: the curve at 1000 m has a length of 0 m: it must be above 0 [end-not-after-start]", 0},
        {"a slowdown of negative length", plain_line, train({"rallentamento,   5000,    60,  -100, 0,  0,  60"}),
         "TRAIN:4:32: warning: the slowdown at 5000 m has a length of -100 m: it must be above 0 "
         "[end-not-after-start]",
         0},
        {"a signal repetition that ends where it starts",
         line_description(20000, {}, {"ripetizione segnali 4 codici,  2100,  2100"}), plain_train,
         "LINE:3:39: warning: the signal repetition at 2100 m ends at 2100 m, where it starts: its end must stand "
         "after 2100 m [end-not-after-start]",
         0},
        {"a tab after a keyword", plain_line, train_description({"velocita\t0,    100", "aderenza,   0,    90"}),
         "TRAIN:2:1: error: `velocita\t0` is read as a `velocita` row, which takes its values from the next line "
         "(tabs do not separate fields; use a comma); there `aderenza` is not a whole number [not-a-number]",
         1},
        {"a missing comma after a keyword", plain_line,
         train_description({"velocita   0,    100", "aderenza,   0,    90"}),
         "TRAIN:2:1: error: `velocita   0` is read as a `velocita` row, which takes its values from the next line (a "
         "comma is missing after the keyword `velocita`); there `aderenza` is not a whole number [not-a-number]",
         1},
        {"a line that is only a name", plain_line, train({"Cardevola"}),
         "TRAIN:4:1: warning: `Cardevola` is no keyword of the train description, so the row is ignored; to keep a "
         "name as a note, write it as a comment, whose first field holds a hyphen: `- Cardevola` [unknown-keyword]",
         0},
        {"a decimal comma after a gradient", line_description(20000, {"pendenza,  1250,   -4,5"}), plain_train,
         "LINE:4:20: warning: `-4,5` is read as -4: the comma ends the number and `5` is ignored; values are whole "
         "numbers [decimal-comma]",
         0},
        // Each of these gave one error for every item beyond the route, and
        // none at the route length.
        {"a route length in kilometres", line_description(20, many(20, every_km)), train({signal_at(12000)}),
         "LINE:2:24: error: route length `20` is read as 20 m, so 20 of the 23 items lie beyond the route, the "
         "furthest at 19000 m: the route length is in metres: 20 km is 20000 [route-too-short]",
         1},
        // This one blamed the first curve past the plan geometry.
        {"a route length in kilometres, a curve past the geometry",
         line_description(20, {"curvad1,  6200,  1290", "pendenza,  9000,   5"}), plain_train,
         "LINE:2:24: error: route length `20` is read as 20 m, so all 2 items lie beyond the route, the furthest at "
         "9000 m: the route length is in metres: 20 km is 20000 [route-too-short]",
         1},
        {"a negative route length", line_description(-20, many(20, every_km)), plain_train,
         "LINE:2:24: error: route length `-20` is read as -20 m, so all 22 items lie beyond the route, the "
         "furthest at 19000 m: write the route length in metres, above 0 [route-too-short]",
         1},
        {"a route length far too short", line_description(2000, many(20, every_km)), plain_train,
         "LINE:2:24: error: route length `2000` is read as 2000 m, so 17 of the 22 items lie beyond the route, the "
         "furthest at 19000 m: the route length is in metres: make it 19000 m or more to hold them, or take them out "
         "[route-too-short]",
         1},
        // These said only that the general section gives no route length.
        {"the route length after the header that ends the general section",
         crlf({"[generale]", "[curve]", "lunghezza percorso,  20000", "pendenza,  0,   0", "[fine]"}), plain_train,
         "LINE:3:1: error: `lunghezza percorso` stands after `[curve]` on line 2, which ends the general section, so "
         "it is not read: move it above line 2 [missing-route-length]",
         1},
        {"the route length before the header", crlf({"lunghezza percorso,  20000", "[generale]", "[curve]", "[fine]"}),
         plain_train,
         "LINE:1:1: error: `lunghezza percorso` stands before the \"[generale]\" header on line 2, where nothing is "
         "read: move it below that header [missing-route-length]",
         1},
        // These gave one warning for every item row, each naming the row's
        // keyword as one not read here.
        {"no header ends the general section",
         crlf({"[generale]", "lunghezza percorso,  20000", "pendenza,  0,   0", "curvad2,  1000,   300",
               "pendenza,  2000,   5", "[fine]"}),
         plain_train,
         "LINE:3:1: warning: `pendenza` stands in the general section, which no section header ends before it, so "
         "neither this row nor any item row after it is read: add a header such as `[curve]` above line 3 "
         "[section-header-missing]",
         0},
        {"a header without its closing bracket",
         crlf({"[generale]", "lunghezza percorso,  20000", "[pendenze", "pendenza,  0,   0", "pendenza,  2000,   5",
               "[fine]"}),
         plain_train,
         "LINE:4:1: warning: `pendenza` stands in the general section, which `[pendenze` on line 3 does not end (a "
         "section header holds both \"[\" and \"]\"), so neither this row nor any item row after it is read: write "
         "`[pendenze]` on line 3 [section-header-missing]",
         0},
        {"a line keyword in the train description, named as written", plain_line, train({"curvad2,  1000,  300"}),
         "TRAIN:4:1: warning: `curvad2` is not read here: it belongs to the line description; the row is ignored "
         "[keyword-in-wrong-section]",
         0},
        // These said "the 81st" of every row after the 80th, and counted
        // stations below 0.
        {"84 roadside signs", line_description(100000, many(84, [](std::int64_t i) { return sign_at(1000 * i); })),
         plain_train,
         "LINE:84:23: error: the roadside sign (S) at 81000 m is the 81st roadside sign: at most 80 fit, and 3 more "
         "follow it; take out 4 roadside signs [too-many-signs]",
         1},
        {"82 mountain spans", line_description(200000, many(82, mountain_every_2km)), plain_train,
         "LINE:84:12: error: the mountain span at 162000 m is the 81st mountain span: at most 80 fit, and 1 more "
         "follows it; take out 2 mountain spans [too-many-mountain-spans]",
         1},
        {"stations beside 79 roadside signs",
         line_description(100000, many(79, [](std::int64_t i) { return sign_at(1000 * i + 50); })),
         train(many(5, [](std::int64_t i) { return station(1000 * i, 28, 100, "S" + std::to_string(i)); })),
         "TRAIN:4:12: error: station S1, the 1st station, does not fit: stations and roadside signs share the "
         "records 1 to 80, and with 79 roadside signs no station fits; take out 5 stations or 6 roadside signs "
         "[too-many-stations]",
         1},
        {"the 22nd station beside 57 roadside signs",
         line_description(100000, many(57, [](std::int64_t i) { return sign_at(1000 * i + 50); })),
         train(many(23, [](std::int64_t i) { return station(1000 * i, 28, 100, "S" + std::to_string(i)); })),
         "TRAIN:25:12: error: station S22, the 22nd station, does not fit: stations and roadside signs share the "
         "records 1 to 80, and with 57 roadside signs at most 21 stations fit; take out 2 stations or 2 roadside "
         "signs [too-many-stations]",
         1},
        // A tab was told as a decimal comma, or not at all.
        {"a tab between a value and a field after the row", plain_line, train({"sabbia,    2\t00"}),
         "TRAIN:4:12: warning: `2\t00` is read as `2`: the tab ends the field and `00` is ignored after the last "
         "value of the `sabbia` row; tabs do not separate fields; use a comma [tab-in-field]",
         0},
        {"a tab between two values", plain_line, train({"velocita,   2000\t80"}),
         "TRAIN:4:13: warning: a tab stands between the position `2000` and the speed `80` of the `velocita` row: "
         "tabs do not separate fields; use a comma [tab-in-field]",
         0},
        {"a tab inside a station's name", plain_line, train({station(0, 8, 500, "San\tMarco")}),
         "TRAIN:4:64: warning: the name `San\tMarco` holds a tab, which is stored as it is: tabs do not separate "
         "fields; use a comma between fields and a blank inside a text [tab-in-field]",
         0},
    };
    for (const Cause& c : causes) {
        SCOPED_TRACE(c.what);
        Author author;
        write_file(author.line, c.line);
        write_file(author.train, c.train);
        const Outcome r = author.check();
        std::string first = c.first;
        first.replace(0, first.find(':'), first.rfind("LINE", 0) == 0 ? author.line : author.train);
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), first);
        const auto report = nlohmann::json::parse(author.check(true).out);
        std::size_t errors = 0;
        for (const auto& d : report["diagnostics"]) errors += d["severity"] == "error" ? 1u : 0u;
        EXPECT_EQ(errors, c.errors);
    }
}

TEST(Diagnostics, EveryErrorOfTheReadingInOneRun) {
    Author author;
    // A sign on a taken cell stops the line half; behind it a curve without a
    // class, a slowdown on a signal and a station off the 50 m grid.
    write_file(author.line,
               line_description(20000, {sign_at(10950, "(A)"), sign_at(10960, "(B)"), "curvad,  12000,  300"}));
    write_file(author.train,
               train({signal_at(5000), "rallentamento,   5000,    60,  500, 0,  0,  0", station(8025, 24, 400, "X")}));
    const Outcome r = author.check(true);
    EXPECT_EQ(r.status, 1);
    const auto report = nlohmann::json::parse(r.out);
    std::vector<std::string> names;
    for (const auto& d : report["diagnostics"]) names.push_back(d["name"]);
    EXPECT_EQ(names, (std::vector<std::string>{"sign-cell-taken", "curve-without-class", "slowdown-start-cell-taken",
                                               "station-position-not-on-50"}));
    // The program's own outcome is the first error's.
    EXPECT_EQ(report["errorCode"], 6);
    EXPECT_EQ(report["errorPosition"], 10960);
}

TEST(Diagnostics, NoErrorIsInventedByTakingARowOut) {
    struct Quiet {
        const char* what;
        std::string line;
        std::string train;
        std::vector<std::string> names;
    };
    const Quiet quiet[] = {
        // Without its route length the line has nothing to place: no further error.
        {"route length",
         line_description(1000001, {sign_at(1000, "(A)"), sign_at(1010, "(B)")}),
         plain_train,
         {"route-too-long"}},
        // A station out of order is real; without the first one, the second
        // is no longer too close, and nothing is said of it.
        {"station spacing",
         plain_line,
         train({station(0, 8, 500, "A"), station(600, 24, 400, "B"), station(1500, 24, 400, "C")}),
         {"stations-too-close"}},
    };
    for (const Quiet& q : quiet) {
        SCOPED_TRACE(q.what);
        Author author;
        write_file(author.line, q.line);
        write_file(author.train, q.train);
        const auto report = nlohmann::json::parse(author.check(true).out);
        std::vector<std::string> names;
        for (const auto& d : report["diagnostics"]) names.push_back(d["name"]);
        EXPECT_EQ(names, q.names);
    }
}

TEST(Diagnostics, TheSearchStopsAfterTwentyErrors) {
    Author author;
    write_file(author.line, plain_line);
    write_file(author.train, train(many(25, [](std::int64_t i) { return station(1000 * i + 25, 24, 400, "S"); })));
    const Outcome r = author.check();
    EXPECT_NE(r.err.find("\n20 errors, 0 warnings (the search for errors stopped after 20 errors; more may follow)\n"),
              std::string::npos)
        << r.err;
}

TEST(Diagnostics, WarningsNeverChangeTheFiles) {
    // Rows that warn, and an error; the files are the program's either way.
    Author author;
    write_file(author.line,
               line_description(20000, {"pendenza,  1000,   200", "pendenza,  500,   0", "curvas2,  1000,  500",
                                        "curvad3,  1300,  200", sign_at(10950, "(A)"), sign_at(10960, "(B)")}));
    write_file(author.train, train({"velocita,   2000,    127", signal_at(3050, "3, 14, 1,  1, 0,  2,  2,1,1, 0")}));
    DiagnosticOptions quiet;
    for (const DiagnosticKind& kind : diagnostic_catalogue()) {
        if (kind.severity == Severity::warning) quiet.warnings.push_back("no-" + std::string(kind.name));
    }
    const Outcome loud = author.compile();
    const std::vector<std::string> files = author.out.files();
    std::vector<std::string> bytes;
    bytes.reserve(files.size());
    for (const std::string& f : files) bytes.push_back(read_file(author.out.file(f)));
    const Outcome silent = author.compile(false, false, quiet);
    EXPECT_EQ(loud.status, silent.status);
    EXPECT_NE(loud.err.find("warning:"), std::string::npos);
    EXPECT_EQ(silent.err.find("warning:"), std::string::npos);
    ASSERT_EQ(author.out.files(), files);
    for (std::size_t i = 0; i < files.size(); ++i) EXPECT_TRUE(read_file(author.out.file(files[i])) == bytes[i]);

    // The program's own compaction of the same descriptions.
    scenario::testing::ScenarioFolder program;
    program.files.title = "Linea";
    program.files.trainCode = "T 1";
    program.write_line(read_file(author.line));
    program.write_train(read_file(author.train));
    std::int32_t flag = 1;
    memorizza_percorso(program.model, program.files, flag, [](const std::string&) {});
    for (const std::string& f : files) {
        EXPECT_TRUE(read_file(program.folder.file(f)) == read_file(author.out.file(f))) << f;
    }
}

TEST(Diagnostics, WerrorAndSilencedWarnings) {
    Author author;
    write_file(author.line, line_description(20000, {"pendeza,  1000,   5"}));
    write_file(author.train, plain_train);
    EXPECT_EQ(author.check().status, 0);
    DiagnosticOptions werror;
    werror.warningsAreErrors = true;
    const Outcome strict = author.check(false, werror);
    EXPECT_EQ(strict.status, 1);
    EXPECT_NE(strict.err.find(": error: `pendeza` is no keyword"), std::string::npos) << strict.err;
    DiagnosticOptions silenced;
    silenced.warningsAreErrors = true;
    silenced.warnings = {"no-unknown-keyword"};
    const Outcome quiet = author.check(false, silenced);
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");

    for (const char* wrong : {"no-such-warning", "no-sign-cell-taken", "unknown-keyword"}) {
        DiagnosticOptions bad;
        bad.warnings = {wrong};
        EXPECT_THROW(author.check(false, bad), UsageError) << wrong;
    }
}

TEST(Diagnostics, SourceLinesAreShownSafely) {
    struct Shown {
        std::string line;
        int column;
        int end;
        std::string expected;
    };
    const std::string long_line = "cartello_indicatore,  10950,   (" + std::string(300, 'x') + ")" + ", 5";
    const Shown shown[] = {
        // Control characters are escaped, and the caret still points at the field.
        {"a\x1b[31mb, 7", 10, 11, " 4 | a\\x1b[31mb, 7\n   |             ^\n"},
        // A line over 200 columns is cut around the caret.
        {long_line, 336, 337,
         " 4 | ..." + long_line.substr(long_line.size() - 194) + "\n   | " + std::string(196, ' ') + "^\n"},
    };
    for (const Shown& s : shown) {
        Diagnostic d;
        d.name = "x";
        d.message = "m";
        d.at = SourcePoint{"f", 4, s.column, s.end, s.line};
        const std::string text = render_diagnostic(d, ReportStyle{});
        EXPECT_EQ(text.substr(text.find('\n') + 1), s.expected);
    }
    Diagnostic coloured;
    coloured.name = "x";
    coloured.message = "m";
    coloured.at = SourcePoint{"f", 0, 0, 0, ""};
    EXPECT_EQ(render_diagnostic(coloured, ReportStyle{true}), "\033[1mf:\033[0m \033[1;31merror:\033[0m m [x]\n");
}

TEST(Explain, EveryNameAndCode) {
    for (const DiagnosticKind& kind : diagnostic_catalogue()) {
        std::ostringstream out;
        std::ostringstream err;
        ASSERT_EQ(explain_command({std::string(kind.name)}, out, err), 0);
        EXPECT_EQ(out.str().substr(0, out.str().find('\n')).find("[" + std::string(kind.name) + "]"),
                  out.str().find('['))
            << kind.name;
        EXPECT_FALSE(kind.explanation.empty());
    }
    // A code stands for every situation that yields it: listed first, then
    // each under one heading of its own, its explanation once.
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(explain_command({"25"}, out, err), 0);
    std::size_t situations = 0;
    for (const DiagnosticKind& kind : diagnostic_catalogue()) {
        if (!kind.code || value_of(*kind.code) != 25) continue;
        ++situations;
        const std::string name(kind.name);
        const std::string heading = "\n== " + name + " ";
        const std::size_t at = out.str().find(heading);
        EXPECT_NE(at, std::string::npos) << name;
        EXPECT_EQ(out.str().find(heading, at + 1), std::string::npos) << name;
        EXPECT_NE(out.str().find("\n  " + name + ": " + std::string(kind.summary) + "\n"), std::string::npos) << name;
        const std::string first_line = "error 25 [" + name + "]";
        EXPECT_EQ(out.str().find(first_line), out.str().rfind(first_line)) << name;
    }
    EXPECT_EQ(out.str().substr(0, out.str().find('\n')),
              "error 25 is given in " + std::to_string(situations) + " situations:");
    std::ostringstream none;
    EXPECT_THROW(explain_command({"no-such-thing"}, none, err), UsageError);
}

TEST(Explain, ConflictExamplesShowBothRows) {
    // An error of two rows shows both in its wrong example, and its
    // corrected example keeps every row (with the one moved).
    auto rows = [](std::string_view text) { return std::count(text.begin(), text.end(), '\n') + 1; };
    for (const DiagnosticKind& kind : diagnostic_catalogue()) {
        const std::string_view name = kind.name;
        const bool conflict = name.ends_with("-cell-taken") || name.starts_with("no-room-for-") ||
                              name == "stations-too-close" || name == "descending-positions" ||
                              name == "overlapping-curves";
        if (!conflict) continue;
        SCOPED_TRACE(std::string(name));
        EXPECT_GE(rows(kind.wrong), 2);
        EXPECT_EQ(rows(kind.right), rows(kind.wrong));
    }
}

TEST(Explain, TheReferencePageIsUpToDate) {
    // Regenerate with: cmake --build --preset test --target diagnostics_page
    EXPECT_TRUE(read_file(SOURCE_DIR "/docs/diagnostics.md") == reference_page())
        << "docs/diagnostics.md differs from the table of diagnostics";
}

}  // namespace
}  // namespace scenario::tool
