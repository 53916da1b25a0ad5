// scenario-tool view and the route items it shares with plot: what the
// items say is what the reader placed, a compiled scenario gives the same
// items as its descriptions, and the page carries its data safely.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <regex>
#include <sstream>
#include <tuple>

#include <nlohmann/json.hpp>

#include "reader/track_builder.h"
#include "tool/authoring.h"
#include "tool/base/compaction.h"
#include "tool/drawing/compiled_scenario.h"
#include "tool/drawing/plot.h"
#include "tool/drawing/route_items.h"
#include "tool/drawing/route_range.h"
#include "tool/drawing/view_page.h"

namespace scenario::tool {
namespace {

using scenario::testing::line_description;
using scenario::testing::train_description;
using testing::Outcome;
using testing::read_file;
using testing::TempFolder;
using testing::write_file;

Outcome view(const ScenarioInput& input, const std::string& out) {
    return testing::run_command(view_command, {input, out});
}

// The data of a page, read back from its script element.
nlohmann::json page_data(const std::string& page) {
    const std::string open = "<script id=\"scenario-data\" type=\"application/json\">";
    const std::size_t from = page.find(open);
    const std::size_t to = page.find("</script>", from);
    if (from == std::string::npos || to == std::string::npos) throw std::runtime_error("no data in the page");
    return nlohmann::json::parse(page.substr(from + open.size(), to - from - open.size()));
}

const RouteItem* find_item(const RouteData& route, ItemKind kind, std::int64_t at) {
    for (const RouteItem& item : route.items) {
        if (item.kind == kind && item.at == at) return &item;
    }
    return nullptr;
}

std::string field_text(const RouteItem& item, const std::string& name) {
    for (const ItemField& f : item.fields) {
        if (f.name != name) continue;
        if (const auto* s = std::get_if<std::string>(&f.value)) return *s;
        if (const auto* n = std::get_if<std::int64_t>(&f.value)) return std::to_string(*n);
        return std::to_string(std::get<double>(f.value));
    }
    return "(no " + name + ")";
}

// ---------------------------------------------------------------- curves

struct CurveCase {
    const char* name;
    // (start, length, class, side) of each curve, in order; straight between.
    std::vector<std::array<int, 4>> curves;
};

class CurvesFromThePlan : public ::testing::TestWithParam<CurveCase> {};

TEST_P(CurvesFromThePlan, AreTheCurvesThatBuiltIt) {
    const CurveCase& c = GetParam();
    Track track;
    track.create(30000);
    TrackBuilder builder(track);
    builder.start();
    for (const auto& [start, length, cls, side] : c.curves) {
        while (builder.next_metre() <= start) builder.straight_step();
        while (builder.next_metre() <= start + length) builder.curved_step(side * curvature_of_class(cls));
    }
    while (builder.next_metre() <= 29998) builder.straight_step();

    const std::vector<RouteItem> found = curves_of(track, 30000);
    ASSERT_EQ(found.size(), c.curves.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        const auto& [start, length, cls, side] = c.curves[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(found[i].from, start);
        EXPECT_EQ(found[i].to, start + length);
        EXPECT_EQ(found[i].value, cls);
        EXPECT_EQ(found[i].side, side);
        EXPECT_EQ(field_text(found[i], "radius"), std::to_string(std::lround(1 / curvature_of_class(cls))));
        EXPECT_EQ(field_text(found[i], "keyword"), (side < 0 ? "curvas" : "curvad") + std::to_string(cls));
    }

    // The thinned plan stays within its tolerance of every metre.
    const std::vector<PlanPoint> plan = thinned_plan(track, found, 30000, 0.05);
    EXPECT_LT(plan.size(), 2000u);
    std::size_t k = 0;
    for (std::int64_t m = 0; m <= 29998; ++m) {
        while (plan[k + 1].metre < m) ++k;
        const PlanPoint& a = plan[k];
        const PlanPoint& b = plan[k + 1];
        const double t = static_cast<double>(m - a.metre) / static_cast<double>(b.metre - a.metre);
        const double dx = a.x + t * (b.x - a.x) - track.number(m, Track::x);
        const double dy = a.y + t * (b.y - a.y) - track.number(m, Track::y);
        ASSERT_LT(std::hypot(dx, dy), 0.06) << "metre " << m;
    }
}

INSTANTIATE_TEST_SUITE_P(Plan, CurvesFromThePlan,
                         ::testing::Values(CurveCase{"none", {}}, CurveCase{"one_left", {{{1350, 150, 1, -1}}}},
                                           CurveCase{"every_class",
                                                     {{{1000, 400, 1, 1},
                                                       {3000, 400, 2, -1},
                                                       {5000, 400, 3, 1},
                                                       {7000, 400, 4, -1},
                                                       {9000, 400, 5, 1},
                                                       {11000, 600, 6, -1}}}},
                                           // One curve starting where the last ends, of another class or hand.
                                           CurveCase{"back_to_back",
                                                     {{{2000, 300, 5, 1}, {2300, 300, 6, 1}, {2600, 300, 6, -1}}}},
                                           CurveCase{"one_metre", {{{4000, 1, 3, 1}}}}),
                         [](const ::testing::TestParamInfo<CurveCase>& test) { return std::string(test.param.name); });

// ---------------------------------------------------------------- places

struct PlaceCase {
    const char* text;
    std::int64_t position;  // -1: refused
};

class PlaceOnTheRoute : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceOnTheRoute, ReadsMetresOrKilometreReadings) {
    RouteData route;
    route.extent = 218000;
    // The embedded line's breaks: the count restarts at 180350 and again at 194700.
    route.breaks = {{0, 0}, {180350, -180350}, {194700, -16400}};
    const PlaceCase& c = GetParam();
    if (c.position < 0) {
        EXPECT_THROW(route_position(c.text, route, "--from"), UsageError);
    } else {
        EXPECT_EQ(route_position(c.text, route, "--from"), c.position);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, PlaceOnTheRoute,
                         ::testing::Values(PlaceCase{"12500", 12500}, PlaceCase{"12500m", 12500},
                                           PlaceCase{"12.5km", 12500}, PlaceCase{"0km", 0}, PlaceCase{"179km", 179000},
                                           // After a break: the first place with that reading.
                                           PlaceCase{"14.35km", 14350}, PlaceCase{"190km", 206400},
                                           PlaceCase{"201.6km", 218000}, PlaceCase{"-1km", -1}, PlaceCase{"220km", -1},
                                           PlaceCase{"twelve", -1}, PlaceCase{"", -1}, PlaceCase{"12 km", 12000},
                                           PlaceCase{"1e300", -1}, PlaceCase{"nan", -1}),
                         [](const ::testing::TestParamInfo<PlaceCase>& test) {
                             std::string name = "case" + std::to_string(test.index) + "_";
                             for (char c : std::string(test.param.text))
                                 name += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
                             return name;
                         });

// ---------------------------------------------------------------- items

// A small scenario read by the real reader, its items as the reader placed
// them.
class SmallScenario : public ::testing::Test {
protected:
    void SetUp() override {
        write_file(author_.line, line_description(20000, {"pendenza,  0,  0", "pendenza,  1000,  -11",
                                                          "pendenza,  3000,  6", "montagna,  5000,  6000,  11",
                                                          "indicatori_vmax,  1100,  105,  110,  125,  1,  ,  ,  ,  0",
                                                          "cartello_indicatore,  2950,   (Culmine)"}));
        write_file(author_.train,
                   train_description({"velocita,   0,    30", "velocita,  2000,  125", "aderenza,   0,    90",
                                      "stazione,  0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,  1,  15,47,30, Alfa",
                                      "stazione,  4000, 24,  400,  0, 0, 0,  1,1,0,  4,1,1,  60,  16,8,0, Beta",
                                      "stazione,  8000, 24,  400,  0, 0, 0,  1,1,0,  2,1,1,   0,  16,13,30, Gamma",
                                      "stazione,  12000, 6,  500,  1, 0, 0,  1,1,0,  2,1,1,  0,  17,39,0, Delta",
                                      "rallentamento,   13500,    60,  500, 0,  1,  0",
                                      "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
                                      "abbattimento,  15000,  90", "abbattimento,  16000,  0"}));
        const Compaction c = compact(author_.sources(), author_.out.path(), {.keep = false});
        ASSERT_EQ(c.model.errorCode, 0);
        route_ = route_data(c.model);
    }

    testing::Author author_;
    RouteData route_;
};

TEST_F(SmallScenario, StationsCallAsTheTimetableSays) {
    const struct {
        std::int64_t at;
        const char* call;
        const char* times;
    } expected[] = {{0, "departure", "15:47:30"},
                    {4000, "stop", "16:08:00 16:09:00"},
                    {8000, "pass", "16:13:30"},
                    {12000, "arrival", "17:39:00"}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.at);
        const RouteItem* st = find_item(route_, ItemKind::station, e.at);
        ASSERT_NE(st, nullptr);
        EXPECT_EQ(field_text(*st, "call"), e.call);
        const std::string times = std::string(e.call) == "stop"
                                      ? field_text(*st, "arrival") + " " + field_text(*st, "departure")
                                      : field_text(*st, std::string(e.call) == "pass" ? "passing" : e.call);
        EXPECT_EQ(times, e.times);
    }
}

TEST_F(SmallScenario, ItemsStandWhereTheirRowsPutThem) {
    const struct {
        ItemKind kind;
        std::int64_t at;
        std::int64_t to;
        const char* label;
        const char* field;
        const char* value;
    } expected[] = {
        // The values named as the description's rows name them.
        {ItemKind::signal, 1050, 1050, "2/2", "s1", "4"},
        {ItemKind::signal, 1050, 1050, "2/2", "d1", "2"},
        {ItemKind::signal, 1050, 1050, "2/2", "rapp", "0"},
        {ItemKind::speed_boards, 1100, 1100, "105/110/125", "vcs", "125"},
        {ItemKind::speed_boards, 1100, 1100, "105/110/125", "strisces", "1"},
        {ItemKind::sign, 2950, 2950, "(Culmine)", "record", "80"},
        {ItemKind::slowdown, 13500, 14000, "60", "l", "500"},
        {ItemKind::slowdown, 13500, 14000, "60", "f_ta", "set: approach marks placed"},
        {ItemKind::warning_board, 12300, 12300, "60", "v", "60"},
        {ItemKind::slowdown_approach, 12150, 12150, "4", "order", "4"},
        {ItemKind::restriction, 15000, 15000, "90", "value", "90"},
        {ItemKind::restriction, 16000, 16000, "", "value", "none (0 or below)"},
        {ItemKind::mountain_span, 5000, 6000, "type 1", "markers", "5"},
        {ItemKind::mountain_span, 5000, 6000, "type 1", "tipo", "1"},
        {ItemKind::gradient, 1000, 3000, "-11\xE2\x80\xB0", "rise", "-22.000000"},
        {ItemKind::speed, 2000, 20000, "125 km/h", "stored", "25"},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(std::string(kind_key(e.kind)) + " " + e.field);
        const RouteItem* item = find_item(route_, e.kind, e.at);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->to, e.to);
        EXPECT_EQ(item->label, e.label);
        EXPECT_EQ(field_text(*item, e.field), e.value);
    }
    // Elevation: level to 1000 m, 11 per mille down to 3000 m, then 6 up.
    EXPECT_DOUBLE_EQ(route_.elevation.at(20), 0);
    EXPECT_DOUBLE_EQ(route_.elevation.at(60), -22);
    EXPECT_DOUBLE_EQ(route_.elevation.at(80), -16);
}

// ---------------------------------------------------------------- compiled files

class EmbeddedCompiled : public testing::CompiledEmbeddedScenario {
protected:
    static CompiledFiles files() { return {sim(), dat(), geometry()}; }
};

TEST_F(EmbeddedCompiled, GivesTheItemsOfTheDescriptions) {
    const RouteData described = route_data(model());
    const RouteData compiled = route_data(read_compiled(files()));
    ASSERT_EQ(compiled.items.size(), described.items.size());
    for (std::size_t i = 0; i < described.items.size(); ++i) {
        const RouteItem& a = described.items[i];
        const RouteItem& b = compiled.items[i];
        SCOPED_TRACE(std::string(kind_key(a.kind)) + " at " + std::to_string(a.at));
        EXPECT_EQ(b.kind, a.kind);
        EXPECT_EQ(b.at, a.at);
        EXPECT_EQ(b.to, a.to);
        EXPECT_EQ(b.label, a.label);
        ASSERT_EQ(b.fields.size(), a.fields.size());
        for (std::size_t f = 0; f < a.fields.size(); ++f) EXPECT_EQ(b.fields[f].value, a.fields[f].value);
    }
    EXPECT_EQ(compiled.elevation, described.elevation);
    ASSERT_EQ(compiled.plan.size(), described.plan.size());
    EXPECT_EQ(compiled.extent, 218000);
    std::size_t stations = 0;
    std::size_t signals = 0;
    std::size_t curves = 0;
    for (const RouteItem& item : compiled.items) {
        stations += item.kind == ItemKind::station;
        signals += item.kind == ItemKind::signal;
        curves += item.kind == ItemKind::curve;
    }
    EXPECT_EQ(stations, 25u);
    EXPECT_EQ(signals, 110u);
    EXPECT_EQ(curves, 100u);  // every curve row of the line, none merged
}

TEST_F(EmbeddedCompiled, PlotOfTheFilesIsThePlotOfTheDescriptions) {
    TempFolder out;
    std::ostringstream o;
    std::ostringstream e;
    PlotOptions described{{testing::embedded_line(), testing::embedded_train(), "Valcorvina", "IC 318"},
                          out.file("d.svg")};
    ASSERT_EQ(plot_command(described, o, e), 0) << e.str();
    PlotOptions compiled{{}, out.file("c.svg"), files().records, files().cells, files().geometry};
    ASSERT_EQ(plot_command(compiled, o, e), 0) << e.str();
    EXPECT_EQ(read_file(out.file("c.svg")), read_file(out.file("d.svg")));
    EXPECT_NE(read_file(out.file("c.svg")).find("Valcorvina \xE2\x80\x94 IC 318"), std::string::npos);
}

TEST_F(EmbeddedCompiled, PageOnStandardOutputCarriesTheScenario) {
    const Outcome r = view({{}, files().records, files().cells, files().geometry}, "-");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("<!DOCTYPE html>", 0), 0u);
    const nlohmann::json data = page_data(r.out);
    EXPECT_EQ(data["route"]["length"], 218000);
    EXPECT_EQ(data["heading"]["title"], "Valcorvina");
    EXPECT_EQ(data["diagnostics"], nlohmann::json::array());
    // Nothing is loaded from outside the page.
    for (const char* outside : {"<script src", "<link", "<img", "@import"}) {
        EXPECT_EQ(r.out.find(outside), std::string::npos) << outside;
    }
}

TEST_F(EmbeddedCompiled, DamagedFilesAreRefusedWithTheirNames) {
    const std::string sim = read_file(files().records);
    const std::string dat = read_file(files().cells);
    const std::string geometry = read_file(files().geometry);
    const struct {
        const char* name;
        std::string records, cells, geometry;
        const char* what;
    } cases[] = {
        {"records cut short", sim.substr(0, 100), dat, geometry, "cut.sim: cannot decode: "},
        {"cells cut short", sim, dat.substr(0, dat.size() - 7), geometry, "cut.dat: cannot decode: "},
        {"no cells", sim, "", geometry,
         "cut.dat: cannot decode: the file holds 0 route cells, and the route length of 218000 m in "},
        {"more cells than a route has", sim, dat + dat + dat + dat + dat, geometry,
         "cut.dat: cannot decode: the file holds 22505 route cells, more than the longest route has (20141)"},
        {"geometry cut short", sim, dat, geometry.substr(0, 1001), "cut_linea.dat: cannot decode: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        write_file(folder.file("cut.sim"), c.records);
        write_file(folder.file("cut.dat"), c.cells);
        write_file(folder.file("cut_linea.dat"), c.geometry);
        const Outcome r = view({{}, folder.file("cut.sim"), folder.file("cut.dat"), folder.file("cut_linea.dat")},
                               folder.file("page.html"));
        EXPECT_EQ(r.status, exit_status::bad_data);
        EXPECT_EQ(r.err.rfind(folder.file(c.what), 0), 0u) << r.err;
        EXPECT_FALSE(std::filesystem::exists(folder.file("page.html")));
    }
}

// ---------------------------------------------------------------- the page

TEST(View, DiagnosticsAndNamesReachThePageIntact) {
    testing::Author author;
    write_file(author.line, line_description(20000, {"curvad2,  2000,  300"}));
    write_file(author.train, train_description({"velocita,   0,    100", "aderenza,   0,    90",
                                                "stazione,  1000, 24, 300,  0, 0, 0,  1,1,0,  2,1,1, "
                                                "   0,  16,3,0, Rio </script><!-- & Citt\xE0",
                                                "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0"}));
    const std::string page = author.out.file("page.html");
    const Outcome r = view({author.sources(), "", "", ""}, page);
    EXPECT_EQ(r.status, exit_status::scenario_error);
    EXPECT_NE(r.err.find("note: " + page + " shows what was read\n"), std::string::npos) << r.err;
    EXPECT_EQ(author.out.files(), std::vector<std::string>{"page.html"});  // no scratch left beside it

    const std::string html = read_file(page);
    // The data cannot end its script element early.
    const std::size_t data = html.find("id=\"scenario-data\"");
    EXPECT_EQ(html.find("</script>", data), html.find("</script>\n<script>", data));
    const nlohmann::json d = page_data(html);
    ASSERT_EQ(d["diagnostics"].size(), 1u);
    const nlohmann::json& diagnostic = d["diagnostics"][0];
    EXPECT_EQ(diagnostic["severity"], "error");
    EXPECT_EQ(diagnostic["code"], 16);
    EXPECT_EQ(diagnostic["name"], "signal-cell-taken");
    EXPECT_EQ(diagnostic["file"], author.train);
    EXPECT_EQ(diagnostic["line"], 5);
    ASSERT_EQ(diagnostic["notes"].size(), 1u);
    EXPECT_EQ(diagnostic["notes"][0]["line"], 4);  // the station whose stop takes the cell
    EXPECT_EQ(diagnostic["at"], 1050);
    EXPECT_NE(diagnostic["message"].get<std::string>().find("route cell 22"), std::string::npos);
    bool named = false;
    for (const auto& item : d["items"]) {
        if (item["kind"] == "station") named = item["label"] == "Rio </script><!-- & Città";
        EXPECT_TRUE(item.contains("source"));
    }
    EXPECT_TRUE(named);
    EXPECT_EQ(d["heading"]["title"], "Linea");
}

// Every diagnostic whose row names a place has it, and so has each note;
// where the reading stopped short, the page is told what it left out.
struct PlacesCase {
    const char* name;
    std::vector<std::string> line_items;
    std::vector<std::string> train_rows;
    // Each diagnostic: its line, its place (-1: none) and the places of its notes.
    std::vector<std::tuple<int, std::int64_t, std::vector<std::int64_t>>> diagnostics;
    const char* ended;  // what the page says of the reading's end; "" when it went through
};

class PlacesOnTheRoute : public ::testing::TestWithParam<PlacesCase> {};

TEST_P(PlacesOnTheRoute, AreThoseOfTheRows) {
    const PlacesCase& c = GetParam();
    testing::Author author;
    write_file(author.line, line_description(20000, c.line_items));
    write_file(author.train, train_description(c.train_rows));
    const Outcome r = view({author.sources(), "", "", ""}, author.out.file("page.html"));
    ASSERT_TRUE(r.status == 0 || r.status == exit_status::scenario_error) << r.err;
    const nlohmann::json d = page_data(read_file(author.out.file("page.html")));
    ASSERT_EQ(d["diagnostics"].size(), c.diagnostics.size()) << d["diagnostics"].dump(1);
    for (std::size_t i = 0; i < c.diagnostics.size(); ++i) {
        const auto& [line, at, notes] = c.diagnostics[i];
        const nlohmann::json& x = d["diagnostics"][i];
        SCOPED_TRACE(x.dump());
        EXPECT_EQ(x["line"], line);
        EXPECT_EQ(x["at"], at < 0 ? nlohmann::json(nullptr) : nlohmann::json(at));
        ASSERT_EQ(x["notes"].size(), notes.size());
        for (std::size_t k = 0; k < notes.size(); ++k) EXPECT_EQ(x["notes"][k]["at"], notes[k]);
    }
    if (*c.ended == 0) {
        EXPECT_EQ(d["readingEnd"], nullptr);
    } else {
        EXPECT_EQ(d["readingEnd"]["message"], c.ended);
    }
}

const std::vector<std::string> profiles{"velocita,   0,    100", "aderenza,   0,    90"};
std::vector<std::string> with_profiles(std::vector<std::string> rows) {
    rows.insert(rows.begin(), profiles.begin(), profiles.end());
    return rows;
}

INSTANTIATE_TEST_SUITE_P(
    Diagnostics, PlacesOnTheRoute,
    ::testing::Values(
        // The second error is found only by reading again without the first
        // one's row: the first reading never got to its rows.
        PlacesCase{"found_when_reading_again",
                   {"curvad2,  2000,  300"},
                   with_profiles({"stazione,  1000, 24, 300,  0, 0, 0,  1,1,0,  2,1,1,    0,  16,3,0, Rio",
                                  "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
                                  "segnale,    3000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
                                  "segnale,    3000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
                                  "rallentamento,   13500,    60,  500, 0,  1,  60"}),
                   {{5, 1050, {1000}}, {7, 3000, {3000}}},
                   "signals and slowdowns after train row 5 are not shown: the reading ended there"},
        // A clock row's first value is an hour, not a place.
        PlacesCase{
            "clock_row", {"curvad2,  2000,  300"}, with_profiles({"orologio,    15  47  30, 99"}), {{4, -1, {}}}, ""},
        // An error of the line leaves the rest of it and the train unread.
        PlacesCase{"line_abandoned",
                   {"cartello_indicatore,  10950,   (A)", "cartello_indicatore,  10960,   (B)", "curvad2,  12000,  300",
                    "pendenza,  13000,  2", "curvas1,  14000,  300"},
                   with_profiles({"segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0"}),
                   {{5, 10960, {10950}}},
                   "curves and gradients after line row 5, and the whole train description, are not shown: the "
                   "reading ended there"},
        // An error at the last row of the train leaves nothing unread.
        PlacesCase{"last_row",
                   {"curvad2,  2000,  300"},
                   with_profiles({"stazione,  1000, 24, 300,  0, 0, 0,  1,1,0,  2,1,1,    0,  16,3,0, Rio",
                                  "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0"}),
                   {{5, 1050, {1000}}},
                   ""}),
    [](const ::testing::TestParamInfo<PlacesCase>& test) { return std::string(test.param.name); });

TEST(View, TextsOfAnyKindComeBackFromThePageData) {
    const struct {
        std::string given;
        std::string read;  // as the page shows it
    } cases[] = {
        {"plain", "plain"},
        {"quote \" and back\\slash", "quote \" and back\\slash"},
        {"control \x01\x1f\t", "control \x01\x1f\t"},
        {"</script><!--", "</script><!--"},
        {"Citt\xE0", "Citt\xC3\xA0"},  // single-byte text
        {"Citt\xC3\xA0", "Citt\xC3\xA0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        RouteData route;
        route.title = c.given;
        route.items.push_back({});
        route.items.back().label = c.given;
        route.items.back().fields.push_back({c.given, c.given});
        const std::string data =
            view_data(route, nlohmann::ordered_json::array(), {c.given, std::nullopt}, {c.given, {c.given}});
        EXPECT_EQ(data.find('<'), std::string::npos);
        const nlohmann::json d = nlohmann::json::parse(data);
        EXPECT_EQ(d["heading"]["title"], c.read);
        EXPECT_EQ(d["heading"]["trainCode"], nullptr);
        EXPECT_EQ(d["origin"]["files"][0], c.read);
        EXPECT_EQ(d["route"]["title"], c.read);
        EXPECT_EQ(d["items"][0]["label"], c.read);
        EXPECT_EQ(d["items"][0]["fields"][c.read], c.read);
    }
}

TEST(View, CommandLinesThatCannotBeCarriedOut) {
    const struct {
        const char* name;
        ScenarioInput input;
        std::string out;
        const char* message;
    } cases[] = {
        {"both", {{"l", "t", "", ""}, "s", "d", ""}, "p.html", "give either --line and --train, or --sim and --dat"},
        {"line alone", {{"l", "", "", ""}, "", "", ""}, "p.html", "--line and --train go together"},
        {"records alone", {{}, "s", "", ""}, "p.html", "--sim and --dat go together (--geometry is optional)"},
        {"geometry alone", {{}, "", "", "g"}, "p.html", "--sim and --dat go together (--geometry is optional)"},
        {"nothing", {}, "p.html", "give --line and --train, or --sim and --dat"},
        {"no output", {{"l", "t", "", ""}, "", "", ""}, "", "--out is required"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            view(c.input, c.out);
            ADD_FAILURE() << "accepted";
        } catch (const UsageError& wrong) {
            EXPECT_EQ(std::string(wrong.what()).rfind(c.message, 0), 0u) << wrong.what();
        }
    }
}

TEST(Plot, ARangeDrawsOnlyWhatLiesThereWithTheHeadingOnlyWhenGiven) {
    TempFolder out;
    std::ostringstream o;
    std::ostringstream e;
    PlotOptions options{{testing::embedded_line(), testing::embedded_train(), "", ""}, out.file("p.svg")};
    options.from = "90km";
    options.to = "95000";
    ASSERT_EQ(plot_command(options, o, e), 0) << e.str();
    const std::string svg = read_file(out.file("p.svg"));
    EXPECT_EQ(svg.find("class=\"heading\""), std::string::npos);  // no heading
    EXPECT_NE(svg.find("drawn from 90000 m to 95000 m (km 90.000 to 95.000)"), std::string::npos);
    // The embedded line has its signals at 91100 and 93900 there.
    std::size_t signals = 0;
    for (std::size_t at = svg.find("class=\"signal\""); at != std::string::npos;
         at = svg.find("class=\"signal\"", at + 1)) {
        ++signals;
    }
    EXPECT_EQ(signals, 2u);
    EXPECT_NE(svg.find("signal 2/2 (91100 m)"), std::string::npos);

    // A stretch beyond the route is cut to it; one wholly outside is refused.
    const struct {
        const char* from;
        const char* to;
        const char* drawn;  // empty: refused
    } stretches[] = {
        {"90km", "80km", ""},
        {"300km", "400km", ""},
        {"-5000", "1000", "drawn from 0 m to 1000 m"},
        {"217000", "1000000000", "drawn from 217000 m to 218000 m"},
    };
    for (const auto& s : stretches) {
        SCOPED_TRACE(std::string(s.from) + " " + s.to);
        options.from = s.from;
        options.to = s.to;
        if (*s.drawn == 0) {
            EXPECT_THROW(plot_command(options, o, e), UsageError);
        } else {
            ASSERT_EQ(plot_command(options, o, e), 0);
            EXPECT_NE(read_file(out.file("p.svg")).find(s.drawn), std::string::npos);
        }
    }
}

// Where the speed lane writes its values, nothing else is drawn: no board
// mark and no other value (the slowdown at 92 km lies among boards).
TEST(Plot, SpeedValuesCoverNoMarkAndNoOtherValue) {
    struct Box {
        double x0, y0, x1, y1;
        bool meets(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
    };
    for (const char* to : {"", "100km"}) {
        SCOPED_TRACE(to);
        TempFolder out;
        std::ostringstream o;
        std::ostringstream e;
        PlotOptions options{{testing::embedded_line(), testing::embedded_train(), "", ""}, out.file("p.svg")};
        options.from = *to == 0 ? "" : "85km";
        options.to = to;
        ASSERT_EQ(plot_command(options, o, e), 0) << e.str();
        const std::string svg = read_file(out.file("p.svg"));
        std::vector<Box> marks;
        const std::regex board(R"re(class="speed-board" d="M([-\d.]+),([-\d.]+) l([\d.]+),)re");
        for (std::sregex_iterator m(svg.begin(), svg.end(), board), end; m != end; ++m) {
            const double x = std::stod((*m)[1]), y = std::stod((*m)[2]), size = std::stod((*m)[3]);
            marks.push_back({x - size, y, x + size, y + 2 * size});
        }
        ASSERT_GT(marks.size(), 10u);
        // Half a font size a character is less than any character takes.
        const std::regex value(
            R"re(<text class="(?:slowdown|step)-value" x="([-\d.]+)" y="([-\d.]+)" font-size="([\d.]+)"[^>]*>([^<]*)<)re");
        std::vector<Box> labels;
        for (std::sregex_iterator m(svg.begin(), svg.end(), value), end; m != end; ++m) {
            const double x = std::stod((*m)[1]), y = std::stod((*m)[2]), size = std::stod((*m)[3]);
            const double half = 0.25 * size * static_cast<double>((*m)[4].length());
            const Box label{x - half, y - 0.7 * size, x + half, y};
            for (const Box& mark : marks) EXPECT_FALSE(label.meets(mark)) << (*m)[4] << " at " << x;
            for (const Box& other : labels) EXPECT_FALSE(label.meets(other)) << (*m)[4] << " at " << x;
            labels.push_back(label);
        }
        EXPECT_GT(labels.size(), 5u);
        if (*to != 0) {  // the slowdown's speed, where it fits
            EXPECT_TRUE(std::regex_search(svg, std::regex(R"re(class="slowdown-value"[^>]*>100[ <])re")));
        }
    }
}

}  // namespace
}  // namespace scenario::tool
