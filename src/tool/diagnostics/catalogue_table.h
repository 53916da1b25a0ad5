// The table of every diagnostic, one row for each: its name, severity,
// program error code, whether it ends the search for further errors, and
// its explanation. Kept in a header so that detection can name an entry
// by a lookup made as the tool is compiled (catalogue.h, kind_named).
#pragma once

#include <optional>
#include <string_view>

#include "model/error_codes.h"
#include "tool/diagnostics/diagnostic.h"

namespace scenario::tool {

// Whether reading the descriptions again, with the row of an error taken
// out, can find anything of the author's: not once the file is unread or
// the route length is gone.
enum class Search { goes_on, ends };

struct DiagnosticKind {
    std::string_view name;
    Severity severity = Severity::error;
    std::optional<ErrorCode> code;    // none for a warning
    Search search = Search::goes_on;  // an error's; a warning never ends the search
    std::string_view summary;         // one line
    std::string_view explanation;     // what it means, the typical causes, how to fix it
    std::string_view wrong;           // a minimal wrong row ...
    std::string_view right;           // ... and its corrected form
};

namespace catalogue_columns {
using E = ErrorCode;
inline constexpr Severity error = Severity::error;
inline constexpr Severity warning = Severity::warning;
inline constexpr Search ends_search = Search::ends;
inline constexpr Search search_goes_on = Search::goes_on;
}  // namespace catalogue_columns

namespace catalogue_rows {
using namespace catalogue_columns;

inline constexpr DiagnosticKind diagnostic_table[] = {
    // Reading the line description: its general section.
    {"line-description-missing", error, E::line_description_missing, ends_search,
     "the line description file does not exist",
     "Nothing is read when the line description is missing: the train description is not read either and no binary "
     "file can be written. Check the path given with --line.",
     "", ""},
    {"general-header-missing", error, E::general_header_missing, ends_search,
     "the line description has no \"[generale]\" header, or nothing after it",
     "Everything before the first field holding \"[generale]\" (in any letter case) is skipped, so a line description "
     "without that header gives nothing. A misspelt header is the usual cause; a header that is the file's last "
     "field has nothing after it. The train description is not read.",
     "[generle]", "[generale]"},
    {"route-too-long", error, E::route_too_long, ends_search,
     "the route length is longer than the longest route, 1000000 m",
     "A route may be at most 1000000 m long. The reading stops at the route length, the train description is not "
     "read. A slip of one digit is the usual cause.",
     "lunghezza percorso,    2180000", "lunghezza percorso,    218000"},
    {"missing-route-length", error, E::run_time_fault, ends_search,
     "the line description gives no route length before its first item",
     "The route length (\"lunghezza percorso\") creates the route cells and the plan geometry; the general section "
     "must give it before the first item is read. Without it nothing can be placed and no binary file is written. "
     "The row may be missing, misspelt, or placed outside the general section: before \"[generale]\", or after the "
     "header that ends the section (such as `[curve]`); the error then stands at the row and says where to move it.",
     "[generale]\r\n[curve]\r\ncurvas1,  1350,  150",
     "[generale]\r\nlunghezza percorso,  20000\r\n[curve]\r\n"
     "curvas1,  1350,  150"},
    {"negative-route-length", error, E::run_time_fault, ends_search,
     "the route length is too far below 0 for any route cell",
     "A route length below -7000 m leaves no route cells to create. Write the route length in metres as a positive "
     "number.",
     "lunghezza percorso,  -20000", "lunghezza percorso,  20000"},
    {"break-not-on-50", error, E::break_not_on_50, search_goes_on,
     "a kilometre-point break's position or offset is not a multiple of 50",
     "The kilometre readings change at the breaks in steps of whole cells, so both the position and the offset of a "
     "break must be multiples of 50 m. The check is made once both descriptions are read, so everything else was "
     "read and written.",
     "progressiva chilometrica uno,    180375,    -180350,    0",
     "progressiva chilometrica uno,    180350,    -180350,    0"},
    {"repetition-start-not-on-50", error, E::repetition_start_not_on_50, search_goes_on,
     "the first signal-repetition position is not a multiple of 50",
     "Both positions of in-cab signal repetition must be multiples of 50 m. The reading stops there and the train "
     "description is not read.",
     "ripetizione segnali 4 codici,    2110,    211050", "ripetizione segnali 4 codici,    2100,    211050"},
    {"repetition-end-not-on-50", error, E::repetition_end_not_on_50, search_goes_on,
     "the second signal-repetition position is not a multiple of 50",
     "Both positions of in-cab signal repetition must be multiples of 50 m. The reading stops there and the train "
     "description is not read.",
     "ripetizione segnali 4 codici,    2100,    211055", "ripetizione segnali 4 codici,    2100,    211050"},
    {"repetition-without-codes", error, E::repetition_without_codes, search_goes_on,
     "the signal-repetition keyword names neither 4 nor 9 codes",
     "The keyword of signal repetition tells how many codes are repeated in the cab by holding the digit 4 or the "
     "digit 9. Without either the reading stops and the train description is not read.",
     "ripetizione segnali codici,    2100,    211050", "ripetizione segnali 4 codici,    2100,    211050"},

    // Reading the line description: its items.
    {"curve-without-class", error, E::curve_without_class, search_goes_on,
     "a curve keyword holds no curve class (a digit 1 to 6)",
     "A curve keyword is recognised by \"curva\"; its class is the first of the digits 1 to 6 found in it, and \"s\" "
     "makes it a left-hand curve. A curve without a class stops the reading; the train description is not read.",
     "curvad,  2000,  300", "curvad3,  2000,  300"},
    {"curves-beyond-last-metre", error, E::curve_without_class, search_goes_on,
     "the plan geometry passes metre 1000000 within a curve",
     "The plan geometry is built metre by metre up to the end of each curve; a curve that reaches beyond metre "
     "1000000 stops the reading (with the code of a curve without class). Check the curve's start and length.",
     "curvas1,  999000,  5000", "curvas1,  990000,  5000"},
    {"curve-beyond-geometry", error, E::run_time_fault, search_goes_on, "a curve reaches beyond the plan geometry",
     "The plan geometry reaches 7000 m beyond the route length; a curve must end within it (start + length at most "
     "the route length + 7000).",
     "curvad2,  19000,  9000", "curvad2,  19000,  900"},
    {"item-beyond-route", error, E::item_beyond_route, search_goes_on, "an item stands beyond the last route cell",
     "Every item must satisfy (position + 100) / 50 <= the number of cells, a station (position + 800) / 50. The "
     "rest of the file is not read; when the line description stops so, the train description is read but its "
     "first row beyond the route cells made so far ends the reading. Positions are in metres from the start of the "
     "line. When more than one item lies beyond, or the route length is below 1000 m, the route length is reported "
     "instead (route-too-short).",
     "lunghezza percorso,    20000\r\n[curve]\r\npendenza,  30000,   0",
     "lunghezza percorso,    20000\r\n[curve]\r\npendenza,  13000,   0"},
    {"route-too-short", error, E::item_beyond_route, ends_search,
     "items stand beyond the route: the route length is not in metres, or far too short",
     "The route length is in metres (20000 for a 20 km route). Written in kilometres, negative or far too short, it "
     "leaves the items beyond it outside the route, and the first one beyond the last route cell stops the reading "
     "with the code of an item beyond the route. When more than one item lies beyond the route length, or the route "
     "length is below 1000 m (kilometres, most likely), this one error is reported at the route length, with the "
     "count of the items beyond it and a note at the first of them, in place of one error for each item; the "
     "search for further errors ends there.",
     "lunghezza percorso,    20\r\n[curve]\r\npendenza,  0,   0\r\npendenza,  12000,   5",
     "lunghezza percorso,    20000\r\n[curve]\r\npendenza,  0,   0\r\npendenza,  12000,   5"},
    {"sign-cell-taken", error, E::sign_cell_taken, search_goes_on,
     "a roadside sign falls into a route cell already taken",
     "A roadside sign at p goes into cell round(p / 50 + 1), which must be empty or hold a mountain marker. Two point "
     "items less than 50 m apart often share a cell. The reading stops; the train description is not read.",
     "cartello_indicatore,  10950,   (A)\r\ncartello_indicatore,  10960,   (B)",
     "cartello_indicatore,  10950,   (A)\r\ncartello_indicatore,  11050,   (B)"},
    {"speed-boards-cell-taken", error, E::speed_boards_cell_taken, search_goes_on,
     "a set of speed-limit boards falls into a route cell already taken",
     "Speed boards at p go into cell round(p / 50 + 1), which must be empty or hold a mountain marker. The reading "
     "stops; the train description is not read.",
     "cartello_indicatore,  10950,   (A)\r\nindicatori_vmax,  10960,  100,  100,  100,  0,  ,  ,  ,  0",
     "cartello_indicatore,  10950,   (A)\r\nindicatori_vmax,  11050,  100,  100,  100,  0,  ,  ,  ,  0"},
    {"item-outside-cells", error, E::run_time_fault, search_goes_on, "an item reaches a route cell beyond the last one",
     "The position of the row is within the route, but the item reaches further: a mountain span's end, a "
     "slowdown's end, or gradient rows whose cells pass the last cell.",
     "montagna,   19000,  40000,  1", "montagna,   19000,  20000,  1"},
    {"too-many-signs", error, E::run_time_fault, search_goes_on, "more than 80 roadside signs",
     "The texts of roadside signs fill the scenario records from 80 downward; an 81st sign does not fit. The error "
     "stands at the 81st sign once, with the count of the signs to take out (it and every sign after it). Sign rows "
     "that only repeat another, or kilometre posts the simulator does not need, are the ones to take out.",
     "cartello_indicatore,  1000,   (Cippo )(  Km  )(1+000)\r\n... 80 more signs ...",
     "at most 80 cartello_indicatore rows"},
    {"too-many-mountain-spans", error, E::run_time_fault, search_goes_on, "more than 80 mountain spans",
     "At most 80 mountain spans can be recorded. The error stands at the 81st span once, with the count of the "
     "spans to take out (it and every span after it). Neighbouring spans can often be joined into one.",
     "montagna,   10950,  11000,  1\r\nmontagna,   11000,  11500,  1", "montagna,   10950,  11500,  1"},

    // Reading the train description.
    {"signal-cell-taken", error, E::signal_cell_taken, search_goes_on, "a signal falls into a route cell already taken",
     "A signal at p goes into cell round(p / 50 + 1), which must be empty or hold a mountain marker. The reading "
     "stops there.",
     "(line description)\r\nindicatori_vmax,  1050,  105,  110,  125,  0,  ,  ,  ,  0\r\n(train description)\r\n"
     "segnale,    1060,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
     "(line description)\r\nindicatori_vmax,  1050,  105,  110,  125,  0,  ,  ,  ,  0\r\n(train description)\r\n"
     "segnale,    1150,   2, 4, 1,  1, 0,    2,  2,1,1, 0"},
    {"warning-board-cell-taken", error, E::warning_board_cell_taken, search_goes_on,
     "a slowdown's warning board falls into a route cell already taken",
     "A slowdown starting beyond 1500 m gets a warning board 1200 m before its start, in cell round((x - 1200) / 50 "
     "+ 1), which must be free. The reading stops there. Move the slowdown or the item in the way.",
     "segnale,    12300,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\nrallentamento,   13500,    60,  500, 0,  1,  60",
     "segnale,    12300,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\nrallentamento,   13600,    60,  500, 0,  1,  60"},
    {"slowdown-start-cell-taken", error, E::slowdown_start_cell_taken, search_goes_on,
     "a slowdown's start falls into a route cell already taken",
     "A slowdown's start at x goes into cell round(x / 50 + 1), which must be free. The reading stops there.",
     "segnale,    13500,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\nrallentamento,   13500,    60,  500, 0,  1,  60",
     "segnale,    13500,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\nrallentamento,   13600,    60,  500, 0,  1,  60"},
    {"slowdown-end-cell-taken", error, E::slowdown_end_cell_taken, search_goes_on,
     "a slowdown's end falls into a route cell already taken",
     "A slowdown's end at x + length goes into cell round((x + length) / 50 + 1), which must be free. The reading "
     "stops there; the length decides the cell.",
     "segnale,    14000,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\nrallentamento,   13500,    60,  500, 0,  1,  60",
     "segnale,    14000,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\nrallentamento,   13500,    60,  600, 0,  1,  60"},
    {"slowdown-approach-cell-taken", error, E::slowdown_approach_cell_taken, search_goes_on,
     "one of a slowdown's four approach cells is already taken",
     "With its fifth value set, a slowdown marks the four cells just before its warning board; all four must be "
     "free. The start, end and warning board are already written when this is found; the reading stops.",
     "segnale,    12250,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\nrallentamento,   13500,    60,  500, 0,  1,  60",
     "segnale,    12250,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\nrallentamento,   13500,    60,  500, 0,  0,  60"},
    {"restriction-cell-taken", error, E::restriction_cell_taken, search_goes_on,
     "a restriction mark falls into a route cell already taken",
     "A restriction mark at p goes into cell round(p / 50) (not + 1), which must be free. The reading stops there.",
     "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\nabbattimento,  1100,  100",
     "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\nabbattimento,  1200,  100"},
    {"station-position-not-on-50", error, E::station_position_not_on_50, search_goes_on,
     "a station's position is not a multiple of 50",
     "Stations stand on multiples of 50 m. The reading stops at the station.",
     "stazione,  1025,  24,  400,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, Primo",
     "stazione,  1050,  24,  400,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, Primo"},
    {"station-length-not-on-100", error, E::station_length_not_on_100, search_goes_on,
     "a station's length is not a multiple of 100",
     "Station lengths are multiples of 100 m. The reading stops at the station.",
     "stazione,  1000,  24,  450,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, Primo",
     "stazione,  1000,  24,  400,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, Primo"},
    {"station-too-near-start", error, E::stop_cell_too_early, search_goes_on,
     "a station ends so near the start that its stop cell would be cell 1 or lower",
     "A station's stop is the cell round(end / 50 - 1); it must lie beyond cell 1, so a station with route cells "
     "must end beyond 100 m.",
     "stazione,  0,  2,  100,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, Primo",
     "stazione,  0,  8,  500,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, Primo"},
    {"stations-too-close", error, E::stations_too_close, search_goes_on,
     "a station starts less than 350 m after the previous station ends",
     "Stations are listed in running order, each starting at least 350 m after the previous one ends; the extent of "
     "a station follows from its kind and length. The reading stops at the station (its cells are already written).",
     "stazione,  0,  8,  500,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, Primo\r\n"
     "stazione,  800,  24,  400,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, Secondo",
     "stazione,  0,  8,  500,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, Primo\r\n"
     "stazione,  1100,  24,  400,  0, 0, 0,  0,0,0,  0,0,0,  0,  0,0,0, Secondo"},
    {"too-many-stations", error, E::station_table_full, search_goes_on,
     "the stations reach the scenario records of the roadside signs",
     "Stations fill the scenario records from 1 upward and the texts of roadside signs from 80 downward; together "
     "they may hold at most 78. The reading stops at the first station that does not fit; the error stands there "
     "once and says how many stations (it and every one after it), or how many roadside signs, to take out. Take "
     "out stations the run does not need, or roadside signs.",
     "", ""},
    {"train-description-missing", error, E::run_time_fault, ends_search, "the train description file does not exist",
     "The line description was read, but the train description cannot be opened. Check the path given with --train.",
     "", "[generale]\r\nvelocita,   0,    100\r\naderenza,   0,    90"},
    {"unreadable-description", error, E::run_time_fault, ends_search, "a description cannot be read",
     "The file is a folder, a device or another kind of file that is not a regular file, or it cannot be opened or "
     "read. Give the path of the description file itself.",
     "", ""},

    // Either description: fields.
    {"empty-description", error, E::run_time_fault, ends_search, "a description file is empty",
     "An empty file cannot be read: reading its first field already reads past its end.", "", "[generale]"},
    {"unexpected-end-of-file", error, E::run_time_fault, search_goes_on,
     "the file ends where a further field is expected",
     "A row's values are read field after field, across line ends; a file that ends before all of them (or, in the "
     "line description's general section, after comment fields) is a failure.",
     "[generale]\r\nlunghezza percorso", "[generale]\r\nlunghezza percorso,  20000\r\n[curve]"},
    {"not-a-number", error, E::run_time_fault, search_goes_on,
     "a number field holds something other than a whole number",
     "Every value in the descriptions is a whole number, optionally with a minus sign. A letter, a point or a sign "
     "other than '-' is a failure. A comment row that holds a keyword takes its values from the next line, whose "
     "keyword is then read as a number.",
     "pendenza,  1x00,   0", "pendenza,  1100,   0"},
    {"number-out-of-range", error, E::run_time_fault, search_goes_on, "a number does not fit its field",
     "Each value is read into a field of 8 bits (0 to 255), 16 bits (-32768 to 32767) or 32 bits; a value outside "
     "its field's range, at either end, is a failure.",
     "sabbia,    40000", "sabbia,    200"},
    {"value-out-of-range", error, E::run_time_fault, search_goes_on,
     "a value computed from the row does not fit where it is stored",
     "A line speed is stored in km/h divided by 5 in one byte (at most 1277 km/h); speed boards pack a left-hand "
     "speed times 20 and a fifth of the right-hand one into 16 bits (speed * 20 + right / 5 <= 32767); a station's "
     "clock time and extent must fit 32 bits.",
     "velocita,   0,    2000", "velocita,   0,    200"},
    {"unclosed-quote", error, E::run_time_fault, search_goes_on, "a quoted field has no closing quote",
     "A field that begins with a double quote runs to the next double quote; without one the rest of the file "
     "would be one field.",
     "cartello_indicatore,  10950,   \"Bivio, Nord", "cartello_indicatore,  10950,   \"Bivio, Nord\""},
    {"text-too-long", error, E::run_time_fault, search_goes_on, "a text is longer than a scenario record can hold",
     "A sign's lettering or a station's name is stored with a 16-bit length: at most 32767 characters. A missing "
     "line end can make the rest of a file one text.",
     "", ""},
    {"run-time-fault", error, E::run_time_fault, ends_search, "the reading failed for another reason",
     "Any failure without a code of its own ends the reading with code 25: the message says what failed (a "
     "description too large for memory, for one).",
     "", ""},

    // The completion pass.
    {"no-room-for-mark-before-signal", error, E::no_mark_before_signal, search_goes_on,
     "no free cell one or two before a signal near a slowdown warning board",
     "Every signal up to 20 cells (1000 m) before a slowdown warning board gets a restriction mark of at most 180 "
     "km/h in one of the two cells before it. When both hold other items the mark is missing; the pass goes on and "
     "the files are written. Move the signal, or the items in the two cells before it.",
     "(line description)\r\ncartello_indicatore,  4900,   (B)\r\ncartello_indicatore,  4950,   (A)\r\n"
     "(train description)\r\nsegnale,  5000,  2, 4, 1,  1, 0,  2,  2,1,1, 0\r\n"
     "rallentamento,   6700,    60,  500, 0,  0,  0",
     "(line description)\r\ncartello_indicatore,  4850,   (B)\r\ncartello_indicatore,  4900,   (A)\r\n"
     "(train description)\r\nsegnale,  5000,  2, 4, 1,  1, 0,  2,  2,1,1, 0\r\n"
     "rallentamento,   6700,    60,  500, 0,  0,  0"},
    {"no-room-for-marks-before-slowdown", error, E::no_mark_before_slowdown, search_goes_on,
     "no free cell for a restriction mark before a slowdown start",
     "Three restriction marks are placed before each slowdown start, each on the first free cell of the cells 5 to "
     "7, 11 to 13 and 18 to 20 before it. When a group has no free cell that mark is missing. Move the slowdown, or "
     "one of the items in the group.",
     "(line description)\r\ncartello_indicatore,  9650,   (C)\r\ncartello_indicatore,  9700,   (B)\r\n"
     "cartello_indicatore,  9750,   (A)\r\n(train description)\r\nrallentamento,   10000,    60,  1000, 0,  0,  0",
     "(line description)\r\ncartello_indicatore,  9650,   (C)\r\ncartello_indicatore,  9700,   (B)\r\n"
     "cartello_indicatore,  9750,   (A)\r\n(train description)\r\nrallentamento,   10100,    60,  1000, 0,  0,  0"},
    {"no-room-for-mark-in-slowdown", error, E::no_mark_through_slowdown, search_goes_on,
     "no free cell for a restriction mark through a slowdown or before the first signal after it",
     "A slowdown slower than 110 km/h gets a restriction mark every 8 cells from its start to its end, and the first "
     "signal within 12 cells after its end gets a mark before it. When no nearby cell is free that mark is missing. "
     "Move the items around the cell named.",
     "(line description)\r\ncartello_indicatore,  10350,   (A)\r\ncartello_indicatore,  10400,   (B)\r\n"
     "cartello_indicatore,  10450,   (C)\r\n(train description)\r\nrallentamento,   10000,    60,  1000, 0,  0,  0",
     "(line description)\r\ncartello_indicatore,  10350,   (A)\r\ncartello_indicatore,  10450,   (C)\r\n"
     "cartello_indicatore,  10600,   (B)\r\n(train description)\r\nrallentamento,   10000,    60,  1000, 0,  0,  0"},

    // The scenario stamp.
    {"stamp-marker-slot-taken", error, E::stamp_marker_taken, search_goes_on,
     "an item in route cell 1 holds a non-zero first value, which the scenario stamp needs",
     "Route cell 1 carries the scenario stamp. A point item between 0 and 24 m lands there; the program then stops "
     "with \" Errore n. 1250\" and writes no binary file. Point items must stand at 25 m or beyond.",
     "segnale,    0,   2, 4, 1,  1, 0,    2,  2,1,1, 0", "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0"},
    {"stamp-code-slot-taken", error, E::stamp_code_taken, search_goes_on,
     "an item in route cell 1 holds a non-zero second value, which the scenario stamp needs",
     "Route cell 1 carries the scenario codes. A point item between 0 and 24 m lands there; the program then stops "
     "with \" Errore n. 1251\" and writes no binary file. Point items must stand at 25 m or beyond.",
     "rallentamento,   0,    60,  500, 0,  0,  60", "rallentamento,   2000,    60,  500, 0,  0,  60"},

    // Warnings: what the reader accepts but an author almost never means.
    {"unknown-keyword", warning, std::nullopt, search_goes_on,
     "a row begins with a word that is no keyword: the row is ignored",
     "A field that holds no keyword is passed over, and so are the values after it. A misspelt keyword is the usual "
     "cause; the warning names the nearest keyword when it is one or two letters away.",
     "pendeza,  1000,   5", "pendenza,  1000,   5"},
    {"keyword-letter-case", warning, std::nullopt, search_goes_on,
     "a keyword of the line's general section written in other letters' case is not recognised",
     "In the line description's general section every keyword but \"lunghezza percorso\" is matched with its exact "
     "letter case; written otherwise the row is ignored and its values are read as stray fields.",
     "Progressiva chilometrica uno,    180350,    -180350,    0",
     "progressiva chilometrica uno,    180350,    -180350,    0"},
    {"hyphenated-keyword", warning, std::nullopt, search_goes_on,
     "a keyword written with a hyphen is skipped as a comment",
     "A keyword candidate that holds a hyphen is a comment and is passed over, so a keyword written with a hyphen in "
     "place of an underscore or a space is never read; its values are then read as stray fields.",
     "cartello-indicatore,  10950,   (Cippo )", "cartello_indicatore,  10950,   (Cippo )"},
    {"keyword-in-wrong-section", warning, std::nullopt, search_goes_on, "a known keyword stands where it is not read",
     "The line description's general section reads only its own keywords (route length, breaks, backgrounds, signal "
     "repetition) and the items after it only theirs; a train keyword in the line description, or a line keyword in "
     "the train description, is not read either. The row is ignored.",
     "[generale]\r\npendenza,  0,   0", "[pendenze]\r\npendenza,  0,   0"},
    {"section-header-missing", warning, std::nullopt, search_goes_on,
     "item rows stand in the line description's general section: the header that ends it is missing",
     "The general section of the line description ends at the first field holding both \"[\" and \"]\", such as "
     "`[curve]`; item rows before that are not read. When that header is missing or misspelt (a bracket left out), "
     "this warning stands once, at the first item row, and names the misspelt header when there is one; the item "
     "rows after it are the same mistake and are not told of one by one.",
     "[generale]\r\nlunghezza percorso,  20000\r\n[curve\r\npendenza,  0,   0\r\npendenza,  1000,   5",
     "[generale]\r\nlunghezza percorso,  20000\r\n[curve]\r\npendenza,  0,   0\r\npendenza,  1000,   5"},
    {"hash-is-not-a-comment", warning, std::nullopt, search_goes_on, "'#' does not start a comment: the row is read",
     "The descriptions have no comment sign: a row that begins with '#' but holds a keyword is read like any other. "
     "A comment is a row whose first field holds a hyphen.",
     "# velocita,  2000,  80", "- velocita,  2000,  80"},
    {"gradient-out-of-range", warning, std::nullopt, search_goes_on,
     "a gradient outside -100 to 155 per mille does not fit its byte",
     "A gradient is stored as the gradient + 100 in one byte; outside -100 to 155 per mille the simulator reads back "
     "another gradient.",
     "pendenza,  1000,   200", "pendenza,  1000,   20"},
    {"descending-positions", warning, std::nullopt, search_goes_on,
     "rows stand in descending position where ascending is expected",
     "Gradients, curves, mountain spans, line speeds, adhesion values, signals, slowdowns and stations must be listed "
     "in ascending position. A gradient or profile row out of order writes one cell and hands over; a curve behind "
     "the geometry built so far only continues it.",
     "pendenza,  3000,   5\r\npendenza,  1000,   0", "pendenza,  1000,   0\r\npendenza,  3000,   5"},
    {"overlapping-curves", warning, std::nullopt, search_goes_on, "a curve starts inside the previous curve",
     "Curves must not overlap: a curve that starts before the previous one ends gets no straight before it and only "
     "its own curvature up to its end, so the plan differs from what the rows say.",
     "curvas2,  1000,  500\r\ncurvad3,  1300,  200", "curvas2,  1000,  500\r\ncurvad3,  1500,  200"},
    {"end-not-after-start", warning, std::nullopt, search_goes_on,
     "a row's end stands at or before its start, or its length is not above 0",
     "Mountain spans and signal repetition give a start and an end, curves and slowdowns a start and a length. A "
     "row whose end does not stand after its start covers no stretch of the route: it is read, but what it should "
     "mark is missing or lands elsewhere. A start and end written the wrong way round, or a length of 0, is the "
     "usual cause.",
     "montagna,   5000,  4000,  1", "montagna,   4000,  5000,  1"},
    {"tab-in-field", warning, std::nullopt, search_goes_on, "a tab stands where a comma is expected, or inside a text",
     "Fields are separated by commas and line ends only. A tab ends a number, so two numbers with only a tab "
     "between them are read apart, but after a row's last value the rest is ignored, and inside a text (a sign's "
     "lettering, a station's name) a tab is stored as it is. After a keyword a tab keeps the keyword's first value "
     "in the keyword field. Write a comma between fields, and a blank inside a text.",
     "sabbia,    2\t00", "sabbia,    200"},
    {"decimal-comma", warning, std::nullopt, search_goes_on,
     "a decimal comma splits a number: only its whole part is read",
     "Every value is a whole number; a comma ends a field, so the digits after a decimal comma are a field of their "
     "own and are ignored: `pendenza, 1250, -4,5` is a gradient of -4 per mille, not -4.5. Write the whole number "
     "the simulator is to use.",
     "curvas2,  1000,  250,5", "curvas2,  1000,  250"},
    {"profile-not-from-start", warning, std::nullopt, search_goes_on,
     "the first row of the line speed or the adhesion is not at 0: the cells before it get 0",
     "The line speed and the adhesion hold from each row's position up to the next row; before the first row the "
     "cells get 0 (0 km/h, no adhesion). Put the first row at 0.",
     "velocita,   1000,    100", "velocita,   0,    100"},
    {"profile-missing", warning, std::nullopt, search_goes_on,
     "the train description gives no line speed or no adhesion",
     "Without any \"velocita\" row the whole line has speed 0, without any \"aderenza\" row adhesion 0.",
     "[generale]\r\nsabbia,    200", "velocita,   0,    100\r\naderenza,   0,    90"},
    {"speed-not-multiple-of-5", warning, std::nullopt, search_goes_on, "a line speed is stored in steps of 5 km/h",
     "The line speed is stored divided by 5 and rounded (halves to the even neighbour), so a speed that is not a "
     "multiple of 5 km/h comes out as another speed.",
     "velocita,   1000,    127", "velocita,   1000,    125"},
    {"signal-type-out-of-range", warning, std::nullopt, search_goes_on,
     "a signal type outside 0 to 2 gives an invalid combined type",
     "The types of a signal's left and right parts (its 2nd and 7th values) are packed as sx * 3 + dx, a combined "
     "type from 0 to 8 only while both lie from 0 to 2.",
     "segnale,    1050,   3, 4, 1,  1, 0,    2,  2,1,1, 0", "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0"},
    {"signal-code-not-a-digit", warning, std::nullopt, search_goes_on, "a signal code has more than one digit",
     "A signal's codes are packed two decimal digits to a field (left-hand code as tens, right-hand code as units), "
     "so each code must be a single digit 0 to 9; the tens digit of the combined type likewise.",
     "segnale,    1050,   2, 14, 1,  1, 0,    2,  2,1,1, 0", "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0"},
    {"value-truncated", warning, std::nullopt, search_goes_on, "a value is stored in fewer bits than it needs",
     "Some values are kept in one byte or in 16 bits without a check: adhesion in a byte, a signal's time in a byte, "
     "restriction and slowdown values in 16 bits, stripe counts packed as tens and units. Outside their range the "
     "simulator reads back another value.",
     "aderenza,   0,    300", "aderenza,   0,    90"},
    {"mountain-type-unknown", warning, std::nullopt, search_goes_on, "a mountain span's type is not 1, 2, 11 or 12",
     "A mountain span's type is 1 or 2, or 11 or 12 for the same type with markers every 200 m; other values are "
     "stored as they are.",
     "montagna,   79000,  80550,  5", "montagna,   79000,  80550,  12"},
    {"board-speeds-overlap", warning, std::nullopt, search_goes_on,
     "a right-hand board speed does not fit beside the left-hand one",
     "Each rank of a speed board is stored as left speed * 20 + right speed / 5, so the right-hand speed must be a "
     "multiple of 5 below 100 km/h to stay apart from the left-hand one.",
     "indicatori_vmax,  9450,  140,  155,  165,  2,  100,  ,  ,  0",
     "indicatori_vmax,  9450,  140,  155,  165,  2,  95,  ,  ,  0"},
    {"text-not-single-byte", warning, std::nullopt, search_goes_on,
     "a station's or sign's text is not single-byte text",
     "Texts go into the scenario records byte for byte in the single-byte code page of the simulator. Text saved as "
     "UTF-8 stores two bytes for each accented letter; save the description in the single-byte code page.",
     "stazione,  0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,  1,  15,47,30, Città   (saved as UTF-8)",
     "stazione,  0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,  1,  15,47,30, Città   (saved in the single-byte code page)"},
    {"ignored-values", warning, std::nullopt, search_goes_on, "text after the last value of a row is ignored",
     "A row reads a fixed number of values; what follows on its line is read as keyword candidates and ignored "
     "(unless it happens to hold a keyword).",
     "sabbia,    200,    300", "sabbia,    200"},
    {"values-on-next-line", warning, std::nullopt, search_goes_on, "a row takes values from the next line",
     "Line ends separate fields like commas, so a row with too few values takes the missing ones from the next line, "
     "whose own row is then read out of step.",
     "velocita,   0\r\nvelocita,   1000,    100", "velocita,   0,    100\r\nvelocita,   1000,    100"},
    {"train-header-missing", warning, std::nullopt, search_goes_on,
     "the train description has no \"[generale]\" header: nothing in it is read",
     "Everything before the first field holding \"[generale]\" is skipped; without that header the train "
     "description gives no train data, no profiles, no stations, no signals and no slowdowns, and no error.",
     "[generle]", "[generale]"},
};

}  // namespace catalogue_rows

using catalogue_rows::diagnostic_table;

}  // namespace scenario::tool
