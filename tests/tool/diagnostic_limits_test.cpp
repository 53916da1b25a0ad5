// Every numeric limit of an error or a warning, tried on both sides: the
// last value that passes and the first that does not, so that no limit can
// move by one unnoticed.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/item_rows.h"
#include "tool/authoring.h"
#include "tool/diagnostics/recorder.h"
#include "tool/diagnostics/rows.h"

namespace scenario::tool {
namespace {

using scenario::testing::line_description;
using scenario::testing::many;
using scenario::testing::sign_at;
using scenario::testing::station;
using scenario::testing::train;
using scenario::testing::train_description;
using testing::Author;
using testing::write_file;

const std::string plain_train = train({});
const std::string plain_line = line_description(20000, {});

std::string text(std::int64_t v) { return std::to_string(v); }
std::string signal(const std::string& values) { return "segnale,  5050,  " + values; }

struct Descriptions {
    std::string line;
    std::string train;
};

struct Limit {
    const char* what;
    std::function<Descriptions(std::int64_t)> descriptions;
    // Each value tried, and the names of all it reports, in order.
    std::vector<std::pair<std::int64_t, std::vector<std::string>>> values;
};

Descriptions line_items(const std::vector<std::string>& rows, int route = 20000) {
    return {line_description(route, rows), plain_train};
}
Descriptions line_general(const std::vector<std::string>& rows) {
    return {line_description(20000, {}, rows), plain_train};
}
Descriptions train_rows(const std::vector<std::string>& rows) { return {plain_line, train(rows)}; }

const std::vector<Limit> warning_limits{
    {"gradient",
     [](std::int64_t v) { return line_items({"pendenza,  1000,   " + text(v)}); },
     {{-101, {"gradient-out-of-range"}}, {-100, {}}, {155, {}}, {156, {"gradient-out-of-range"}}}},
    {"line speed in steps of 5 (the speed byte beyond)",
     [](std::int64_t v) { return train_rows({"velocita,   1000,    " + text(v)}); },
     {{-3, {"value-out-of-range"}},
      {-2, {}},
      {0, {}},
      {1, {"speed-not-multiple-of-5"}},
      {1277, {"speed-not-multiple-of-5"}},
      {1278, {"value-out-of-range"}}}},
    {"adhesion byte",
     [](std::int64_t v) { return train_rows({"aderenza,   1000,    " + text(v)}); },
     {{-1, {"value-truncated"}}, {0, {}}, {255, {}}, {256, {"value-truncated"}}}},
    {"signal type sx",
     [](std::int64_t v) { return train_rows({signal(text(v) + ", 4, 1,  1, 0,  2,  2,1,1, 0")}); },
     {{-1, {"signal-type-out-of-range"}}, {0, {}}, {2, {}}, {3, {"signal-type-out-of-range"}}}},
    {"signal type dx",
     [](std::int64_t v) { return train_rows({signal("2, 4, 1,  1, 0,  " + text(v) + ",  2,1,1, 0")}); },
     {{-1, {"signal-type-out-of-range"}}, {0, {}}, {2, {}}, {3, {"signal-type-out-of-range"}}}},
    {"signal code",
     [](std::int64_t v) { return train_rows({signal("2, " + text(v) + ", 1,  1, 0,  2,  2,1,1, 0")}); },
     {{-1, {"signal-code-not-a-digit"}}, {0, {}}, {9, {}}, {10, {"signal-code-not-a-digit"}}}},
    {"signal tempo byte, sx 2",
     [](std::int64_t v) { return train_rows({signal("2, 4, 1,  1, 0,  2,  2,1,1, " + text(v))}); },
     {{-1, {"value-truncated"}}, {0, {}}, {255, {}}, {256, {"value-truncated"}}}},
    {"signal tempo, sx not 2",
     [](std::int64_t v) { return train_rows({signal("1, 4, 1,  1, 0,  2,  2,1,1, " + text(v))}); },
     {{-1, {}}, {256, {}}}},
    {"slowdown speed in 16 bits",
     [](std::int64_t v) { return train_rows({"rallentamento,   13500,    " + text(v) + ",  500, 0,  1,  60"}); },
     {{-32769, {"value-truncated"}}, {-32768, {}}, {32767, {}}, {32768, {"value-truncated"}}}},
    {"restriction value in 16 bits",
     [](std::int64_t v) { return train_rows({"abbattimento,  6100,  " + text(v)}); },
     {{-40000, {}}, {0, {}}, {32767, {}}, {32768, {"value-truncated"}}}},
    {"mountain span type",
     [](std::int64_t v) { return line_items({"montagna,   7900,  8550,  " + text(v)}); },
     {{0, {"mountain-type-unknown"}},
      {1, {}},
      {2, {}},
      {3, {"mountain-type-unknown"}},
      {10, {"mountain-type-unknown"}},
      {11, {}},
      {12, {}},
      {13, {"mountain-type-unknown"}}}},
    {"right-hand board speed",
     [](std::int64_t v) {
         return line_items({"indicatori_vmax,  9450,  140,  155,  165,  2,  " + text(v) + ",  ,  ,  0"});
     },
     {{-5, {"board-speeds-overlap"}},
      {0, {}},
      {5, {}},
      {7, {"board-speeds-overlap"}},
      {95, {}},
      {100, {"board-speeds-overlap"}}}},
    {"board stripes",
     [](std::int64_t v) {
         return line_items({"indicatori_vmax,  9450,  140,  155,  165,  " + text(v) + ",  ,  ,  ,  0"});
     },
     {{-1, {"value-truncated"}}, {0, {}}, {9, {}}, {10, {"value-truncated"}}}},
    {"first line speed row",
     [](std::int64_t v) {
         return Descriptions{plain_line,
                             train_description({"velocita,   " + text(v) + ",    100", "aderenza,   0,    90"})};
     },
     {{25, {}}, {26, {"profile-not-from-start"}}}},
    {"ascending positions",
     [](std::int64_t v) {
         return line_items({"pendenza,  1000,   5", "pendenza,  " + text(v) + ",   0"});
     },
     {{999, {"descending-positions"}}, {1000, {}}}},
    {"curves one after the other",
     [](std::int64_t v) {
         return line_items({"curvas2,  1000,  500", "curvad3,  " + text(v) + ",  200"});
     },
     {{999, {"descending-positions"}}, {1000, {"overlapping-curves"}}, {1499, {"overlapping-curves"}}, {1500, {}}}},
};

const std::vector<Limit> error_limits{
    {"route length",
     [](std::int64_t v) {
         return Descriptions{line_description(static_cast<int>(v), {}), plain_train};
     },
     // A route of -7000 m has route cells but a plan geometry of one metre,
     // which the reading of the line steps past.
     {{-7001, {"negative-route-length"}},
      {-7000, {"curve-beyond-geometry", "curve-beyond-geometry"}},
      {1000000, {}},
      {1000001, {"route-too-long"}}}},
    {"kilometre-point break position",
     [](std::int64_t v) { return line_general({"progressiva chilometrica uno,    " + text(v) + ",    0,    0"}); },
     {{1049, {"break-not-on-50"}}, {1050, {}}, {1051, {"break-not-on-50"}}}},
    {"kilometre-point break offset",
     [](std::int64_t v) { return line_general({"progressiva chilometrica uno,    1000,    " + text(v) + ",    0"}); },
     {{-51, {"break-not-on-50"}}, {-50, {}}, {-49, {"break-not-on-50"}}}},
    {"first signal-repetition position",
     [](std::int64_t v) { return line_general({"ripetizione segnali 4 codici,  " + text(v) + ",  11050"}); },
     {{2099, {"repetition-start-not-on-50"}}, {2100, {}}, {2101, {"repetition-start-not-on-50"}}}},
    {"second signal-repetition position",
     [](std::int64_t v) { return line_general({"ripetizione segnali 4 codici,  2100,  " + text(v)}); },
     {{11049, {"repetition-end-not-on-50"}}, {11050, {}}, {11051, {"repetition-end-not-on-50"}}}},
    {"last position of an item (20000 m: 540 cells)",
     [](std::int64_t v) { return line_items({sign_at(v)}); },
     {{26900, {}}, {26901, {"item-beyond-route"}}}},
    {"last position of a station",
     [](std::int64_t v) { return train_rows({station(v, 28, 100)}); },
     {{26200, {}}, {26250, {"item-beyond-route"}}}},
    {"station position on the 50 m grid",
     [](std::int64_t v) { return train_rows({station(v, 24, 400)}); },
     {{1049, {"station-position-not-on-50"}}, {1050, {}}, {1051, {"station-position-not-on-50"}}}},
    {"station length on the 100 m grid",
     [](std::int64_t v) { return train_rows({station(1000, 24, v)}); },
     {{399, {"station-length-not-on-100"}}, {400, {}}, {401, {"station-length-not-on-100"}}}},
    {"end of a station with route cells",
     [](std::int64_t v) { return train_rows({station(v, 2, 100)}); },
     {{50, {"station-too-near-start"}}, {100, {}}}},
    {"gap between stations",
     [](std::int64_t v) {
         return train_rows({station(0, 8, 500, "A"), station(v, 24, 400, "B")});
     },
     {{1000, {"stations-too-close"}}, {1050, {}}}},
    {"roadside signs",
     [](std::int64_t v) { return line_items(many(v, [](std::int64_t i) { return sign_at(1000 * i); }), 100000); },
     {{80, {}}, {81, {"too-many-signs"}}, {83, {"too-many-signs"}}}},
    {"mountain spans",
     [](std::int64_t v) {
         return line_items(many(v,
                                [](std::int64_t i) {
                                    return "montagna,  " + text(2000 * i) + ",  " + text(2000 * i + 500) + ",  1";
                                }),
                           200000);
     },
     {{80, {}}, {81, {"too-many-mountain-spans"}}, {82, {"too-many-mountain-spans"}}}},
    {"stations beside one roadside sign",
     [](std::int64_t v) {
         return Descriptions{line_description(100000, {sign_at(99000)}),
                             train(many(v, [](std::int64_t i) { return station(1000 * i, 28, 100); }))};
     },
     {{77, {}}, {78, {"too-many-stations"}}, {80, {"too-many-stations"}}}},
    {"a route length below 1000 m is blamed for a single item beyond the route",
     [](std::int64_t v) { return line_items({"pendenza,  9000,   0"}, static_cast<int>(v)); },
     {{999, {"route-too-short"}}, {1000, {"item-beyond-route"}}}},
    {"the route length is blamed for more than one item beyond it",
     [](std::int64_t v) {
         return line_items(many(v, [](std::int64_t i) { return "pendenza,  " + text(26000 + 1000 * i) + ",   0"; }));
     },
     {{1, {"item-beyond-route"}}, {2, {"route-too-short"}}}},
    {"end of the curves",
     [](std::int64_t v) { return line_items({"curvas1,  999000,  " + text(v)}, 1000000); },
     {{999, {}}, {1000, {"curves-beyond-last-metre"}}}},
    {"end of the plan geometry (20000 m: metre 27000)",
     [](std::int64_t v) { return line_items({"curvas1,  26000,  " + text(v)}); },
     {{1000, {}}, {1001, {"curve-beyond-geometry"}}}},
    {"text of a record",
     [](std::int64_t v) { return train_rows({station(0, 8, 500, std::string(static_cast<std::size_t>(v), 'x'))}); },
     {{32767, {}}, {32768, {"text-too-long"}}}},
    {"byte field",
     [](std::int64_t v) { return train_rows({station(0, static_cast<int>(v), 500)}); },
     {{255, {}}, {256, {"number-out-of-range"}}}},
    {"16-bit field",
     [](std::int64_t v) { return train_rows({"sabbia,    " + text(v)}); },
     {{-32769, {"number-out-of-range"}}, {-32768, {}}, {32767, {}}, {32768, {"number-out-of-range"}}}},
    {"32-bit field",
     [](std::int64_t v) { return train_rows({"numero vetture,    " + text(v)}); },
     {{-2147483649, {"number-out-of-range"}},
      {-2147483648, {}},
      {2147483647, {}},
      {2147483648, {"number-out-of-range"}}}},
    {"point items and the stamp's cell",
     [](std::int64_t v) { return train_rows({"segnale,  " + text(v) + ",  2, 4, 1,  1, 0,  2,  2,1,1, 0"}); },
     {{24, {"stamp-marker-slot-taken"}}, {25, {}}}},
};

std::vector<std::string> names_reported(const Descriptions& d) {
    Author author;
    write_file(author.line, d.line);
    write_file(author.train, d.train);
    const auto report = nlohmann::json::parse(author.check(true).out);
    std::vector<std::string> names;
    for (const auto& diagnostic : report["diagnostics"]) {
        names.push_back(diagnostic["name"]);
    }
    return names;
}

void try_both_sides(const std::vector<Limit>& limits) {
    for (const Limit& limit : limits) {
        for (const auto& [value, names] : limit.values) {
            SCOPED_TRACE(std::string(limit.what) + ": " + text(value));
            EXPECT_EQ(names_reported(limit.descriptions(value)), names);
        }
    }
}

TEST(DiagnosticLimits, EveryWarningOnBothSidesOfItsLimits) { try_both_sides(warning_limits); }

TEST(DiagnosticLimits, EveryErrorOnBothSidesOfItsLimits) { try_both_sides(error_limits); }

TEST(DiagnosticLimits, TheWarningsShownInAllAndOnOneLine) {
    const std::string cut = " (more warnings were found than are shown: at most 1000, and 20 on one line)";
    struct Case {
        const char* what;
        Descriptions descriptions;
        std::size_t shown;
        bool more;
    };
    auto misspelt_row = [](std::int64_t) { return std::string{"pendeza,  1000,   1"}; };
    auto on_one_line = [](std::int64_t rows) {
        std::string line;
        for (std::int64_t i = 0; i < rows; ++i) line += "sabbia,  200,  300, ";
        return train({line});
    };
    const Case cases[] = {
        {"1000 rows", line_items(many(1000, misspelt_row)), 1000, false},
        {"1001 rows", line_items(many(1001, misspelt_row)), 1000, true},
        {"20 on a line", {plain_line, on_one_line(20)}, 20, false},
        {"21 on a line", {plain_line, on_one_line(21)}, 20, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Author author;
        write_file(author.line, c.descriptions.line);
        write_file(author.train, c.descriptions.train);
        const testing::Outcome r = author.check();
        EXPECT_EQ(r.status, 0);
        const std::string summary = "0 errors, " + std::to_string(c.shown) + " warnings" + (c.more ? cut : "") + "\n";
        ASSERT_GE(r.err.size(), summary.size());
        EXPECT_EQ(r.err.substr(r.err.size() - summary.size()), summary);
    }
}

}  // namespace
}  // namespace scenario::tool
