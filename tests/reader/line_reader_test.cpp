// The line half of the reading, on small line descriptions.
#include <gtest/gtest.h>

#include <cmath>

#include "io/file_system.h"
#include "support/description_files.h"

namespace scenario {
namespace {

using testing::crlf;
using testing::line_description;
using testing::ScenarioFolder;
using testing::train_description;

// A minimal train description, so that the train half has something to read.
const std::string plain_train = train_description({"velocita,   0,    100", "aderenza,   0,    90"});

struct LineRun : ScenarioFolder {
    void run(const std::string& line, int with_geometry = 1) {
        write_line(line);
        write_train(plain_train);
        read(with_geometry);
    }
    bool line_file_left() const { return file_exists(files.line_description()); }
    bool train_file_left() const { return file_exists(files.train_description()); }
};

TEST(LineReader, RouteLengthCreatesCellsAndTrack) {
    LineRun r;
    r.run(line_description(218000, {}));
    EXPECT_EQ(r.model.errorCode, 0);
    EXPECT_EQ(r.model.trackLength, 225000);
    EXPECT_EQ(r.model.cellCount, 4500);
    EXPECT_EQ(r.model.cells.size(), 4501u);
    EXPECT_EQ(r.model.track.last_metre(), 225000);
    EXPECT_EQ(r.model.records[84].long2, 218000);
    EXPECT_EQ(r.model.records[85].text, "Linea");
    EXPECT_EQ(r.model.records[86].text, "T 1");
    EXPECT_FALSE(r.line_file_left());
    EXPECT_FALSE(r.train_file_left());

    LineRun short_route;
    short_route.run(line_description(25, {}));
    EXPECT_EQ(short_route.model.cellCount, 140);  // 140.5 rounds to even
}

TEST(LineReader, GeneralSectionKeywordsAndTheirCase) {
    LineRun r;
    r.run(line_description(218000, {},
                           {"progressiva chilometrica uno,    180350,    -180350,    0",
                            "progressiva chilometrica due,    194700,    -16400,    0",
                            "Progressiva chilometrica tre,    500,    500,    1",  // capital P: stray
                            "sfondo uno,    1", "sfondo due,    7", "sfondo tre,    9",
                            "ripetizione segnali 4 codici,    2100,    211050"}));
    ASSERT_EQ(r.model.errorCode, 0);
    const auto& rec = r.model.records;
    EXPECT_EQ(rec[81].long1, 194700);
    EXPECT_EQ(rec[81].long2, -16400);
    EXPECT_EQ(rec[82].long1, 180350);
    EXPECT_EQ(rec[82].long2, -180350);
    EXPECT_EQ(rec[83].long1, 0);
    EXPECT_EQ(rec[83].long2, 0);
    EXPECT_EQ(rec[85].long1, 1);
    EXPECT_EQ(rec[85].long3, 7);
    EXPECT_EQ(rec[85].long2, 9);
    EXPECT_EQ(rec[86].long1, 2100);
    EXPECT_EQ(rec[86].long2, 211050);
    EXPECT_EQ(rec[86].long3, 4);

    LineRun mixed_case;
    mixed_case.run(crlf({"[GENERALE]", "Lunghezza Percorso,    30000", "[curve]", "[fine]"}));
    EXPECT_EQ(mixed_case.model.errorCode, 0);
    EXPECT_EQ(mixed_case.model.cellCount, 740);
}

TEST(LineReader, SignalRepetitionCodes) {
    struct Case {
        const char* row;
        int code;
        int codes;  // records(86).long3 when accepted
    };
    const Case cases[] = {
        {"ripetizione segnali 9 codici,    2100,    211050", 0, 9},
        {"ripetizione segnali 4 o 9 codici,    2100,    211050", 0, 4},
        {"ripetizione segnali 4 codici,    2100,    0", 0, 0},
        {"ripetizione segnali 4 codici,    2110,    211050", 3, 0},
        {"ripetizione segnali 4 codici,    2100,    211055", 4, 0},
        {"ripetizione segnali codici,    2100,    211050", 5, 0},
    };
    for (const Case& c : cases) {
        LineRun r;
        r.run(line_description(218000, {}, {c.row}));
        EXPECT_EQ(r.model.errorCode, c.code) << c.row;
        if (c.code == 0) {
            EXPECT_EQ(r.model.records[86].long3, c.codes) << c.row;
        }
        EXPECT_FALSE(r.line_file_left()) << c.row;
        // An abandoned line description leaves the train description unread.
        EXPECT_EQ(r.train_file_left(), c.code != 0) << c.row;
    }
}

TEST(LineReader, RouteLengthLimit) {
    LineRun longest;
    longest.run(line_description(1000000, {}), 0);
    EXPECT_EQ(longest.model.errorCode, 0);
    EXPECT_EQ(longest.model.cellCount, 20140);

    LineRun too_long;
    too_long.run(line_description(1000001, {}));
    EXPECT_EQ(too_long.model.errorCode, 1);
    EXPECT_EQ(too_long.model.records[84].long2, 1000001);
    EXPECT_TRUE(too_long.model.cells.empty());
    EXPECT_FALSE(too_long.line_file_left());
    EXPECT_TRUE(too_long.train_file_left());
}

TEST(LineReader, HeaderSearchAndFileCodes) {
    LineRun missing;
    missing.write_train(plain_train);
    missing.read();
    EXPECT_EQ(missing.model.errorCode, 101);
    EXPECT_TRUE(missing.train_file_left());

    LineRun empty;
    empty.run("");
    EXPECT_EQ(empty.model.errorCode, 25);  // the header search reads before it tests the end
    EXPECT_FALSE(empty.line_file_left());
    EXPECT_FALSE(empty.train_file_left());

    LineRun header_only;
    header_only.run(crlf({"prologue, 1, 2", "[generale]"}));
    EXPECT_EQ(header_only.model.errorCode, 102);
    EXPECT_FALSE(header_only.line_file_left());
    EXPECT_TRUE(header_only.train_file_left());

    LineRun no_header;
    no_header.run(crlf({"lunghezza percorso, 20000", "[curve]"}));
    EXPECT_EQ(no_header.model.errorCode, 102);
}

TEST(LineReader, HyphenatedFieldsArePassedOver) {
    // A dashed comment line in the general section, and a sign keyword
    // written with a hyphen, which is never recognised.
    LineRun r;
    r.run(crlf({"[generale]", "------ lunghezza ------", "lunghezza percorso,    20000", "[curve]",
                "cartello-indicatore,  5000,   (Galleria)", "cartello_indicatore,  6000,   (Bivio)", "[fine]"}));
    ASSERT_EQ(r.model.errorCode, 0);
    EXPECT_EQ(r.model.cell(101).kind, 0);
    EXPECT_EQ(r.model.cell(121).kind, cell_kind::roadside_sign);
    EXPECT_EQ(r.model.records[80].text, "(Bivio)");
}

TEST(LineReader, FileEndingInTheGeneralSectionHasNoItems) {
    LineRun r;
    r.run(crlf({"[generale]", "lunghezza percorso,    20000", "sfondo uno,    1", "sfondo due,    0"}));
    EXPECT_EQ(r.model.errorCode, 0);
    EXPECT_EQ(r.model.records[85].long1, 1);
    EXPECT_EQ(r.model.cell(0).gradient, 100);
}

TEST(LineReader, GradientsFillForwardFromTheirCell) {
    LineRun r;
    r.run(line_description(20000, {"pendenza,  0,   0", "pendenza,  600,   -11", "pendenza,  1200,   0",
                                   "pendenza,  1250,   -4,5", "pendenza,  1450,   0", "pendenza,  3975,   7"}));
    ASSERT_EQ(r.model.errorCode, 0);
    for (int i = 0; i <= 11; ++i) EXPECT_EQ(r.model.cell(i).gradient, 100) << i;
    for (int i = 12; i <= 23; ++i) EXPECT_EQ(r.model.cell(i).gradient, 89) << i;
    EXPECT_EQ(r.model.cell(24).gradient, 100);
    for (int i = 25; i <= 28; ++i) EXPECT_EQ(r.model.cell(i).gradient, 96) << i;
    EXPECT_EQ(r.model.cell(79).gradient, 100);  // 3975 / 50 = 79.5 takes effect from cell 80
    EXPECT_EQ(r.model.cell(80).gradient, 107);
    // The last three cells are never filled.
    const int count = r.model.cellCount;
    EXPECT_EQ(r.model.cell(count - 3).gradient, 107);
    EXPECT_EQ(r.model.cell(count - 2).gradient, 0);
    EXPECT_EQ(r.model.cell(count).gradient, 0);
}

TEST(LineReader, GradientRowsPastTheCellsAreAFailure) {
    // Each row writes at least one cell: rows at 0 or 25 m write nothing, but
    // a run of rows whose cell is already passed moves on one cell each.
    std::vector<std::string> rows{"pendenza,  25,   3"};
    for (int i = 0; i < 200; ++i) rows.push_back("pendenza,  100,   1");
    LineRun r;
    r.run(line_description(1000, rows));  // 160 cells
    EXPECT_EQ(r.model.errorCode, 25);
    EXPECT_EQ(r.model.cell(0).gradient, 103);
    EXPECT_EQ(r.model.cell(1).gradient, 103);
    EXPECT_EQ(r.model.cell(2).gradient, 101);
}

TEST(LineReader, FirstCurveBendsTheTrackToTheLeft) {
    LineRun r;
    r.run(line_description(218000, {"curvas1,  1350,  150"}));
    ASSERT_EQ(r.model.errorCode, 0);
    const Track& t = r.model.track;
    EXPECT_EQ(t.at(0, Track::x), (TrackValue{TrackTag::int16, 0}));
    EXPECT_EQ(t.at(1, Track::y), (TrackValue{TrackTag::int16, 1}));
    EXPECT_EQ(t.at(2, Track::y), (TrackValue{TrackTag::real, 2}));
    EXPECT_EQ(t.at(1350, Track::x), (TrackValue{TrackTag::real, 0}));
    EXPECT_EQ(t.at(1350, Track::y), (TrackValue{TrackTag::real, 1350}));
    EXPECT_DOUBLE_EQ(t.number(1351, Track::x), -0.0001);
    EXPECT_DOUBLE_EQ(t.number(1351, Track::y), 1351);
    EXPECT_NEAR(t.number(1500, Track::x), -1.13248, 5e-6);
    EXPECT_NEAR(t.number(1500, Track::y), 1499.99438, 5e-6);
    EXPECT_NEAR(t.number(1500, Track::x) - t.number(1499, Track::x), -0.0149994, 5e-8);
    EXPECT_NEAR(t.number(1500, Track::y) - t.number(1499, Track::y), 0.999888, 5e-7);
    // The straight extension keeps the last direction up to trackLength - 2.
    EXPECT_EQ(t.at(224998, Track::x).tag, TrackTag::real);
    EXPECT_EQ(t.at(224999, Track::x).tag, TrackTag::empty);
    EXPECT_EQ(t.at(225000, Track::y).tag, TrackTag::empty);
}

TEST(LineReader, CurveClassAndHandFromTheKeyword) {
    struct Case {
        const char* keyword;
        double k;
    };
    const Case cases[] = {{"Curvas2", -0.0002}, {"curvad12", 0.0001}, {"CURVAD6", 0.003}, {"curvas5", -0.002}};
    for (const Case& c : cases) {
        LineRun r;
        r.run(line_description(20000, {std::string(c.keyword) + ",  100,  1"}));
        ASSERT_EQ(r.model.errorCode, 0) << c.keyword;
        // Metre 101 is the single curved step from a heading along +y.
        EXPECT_DOUBLE_EQ(r.model.track.number(101, Track::x), c.k) << c.keyword;
    }
}

TEST(LineReader, CurveFailures) {
    LineRun no_class;
    no_class.run(line_description(20000, {"curvad,  100,  50"}));
    EXPECT_EQ(no_class.model.errorCode, 103);
    EXPECT_FALSE(no_class.line_file_left());
    EXPECT_TRUE(no_class.train_file_left());

    LineRun class_seven;
    class_seven.run(line_description(20000, {"curvas7,  100,  50"}));
    EXPECT_EQ(class_seven.model.errorCode, 103);

    LineRun past_metre_limit;
    past_metre_limit.run(line_description(1000000, {"curvad1,  999000,  5000"}));
    EXPECT_EQ(past_metre_limit.model.errorCode, 103);

    LineRun past_track;
    past_track.run(line_description(20000, {"curvad1,  20000,  8000"}));
    EXPECT_EQ(past_track.model.errorCode, 25);
    EXPECT_FALSE(past_track.line_file_left());
    EXPECT_FALSE(past_track.train_file_left());
}

TEST(LineReader, AGeometryThatKeepsNoPointsEndsReadingsAlike) {
    // A reading that only looks for its errors keeps where the geometry ends
    // but not its points: every outcome must be that of a full reading.
    const std::string lines[] = {
        line_description(20000, {"curvas1,  1350,  150", "pendenza,  3000,   5", "curvad2,  5000,  700"}),
        line_description(20000, {"curvas1,  26000,  2000"}),     // past the geometry: a fault
        line_description(1000000, {"curvas1,  999000,  5000"}),  // past the last metre of curves: 103
        line_description(20000, {"curvad,  2000,  300"}),        // no class: 103
        line_description(0, {"curvas3,  100,  50"}),
        crlf({"[generale]", "[curve]", "curvas1,  1350,  150", "[fine]"}),  // no route length
    };
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        LineRun full;
        full.run(line);
        LineRun bounds;
        bounds.diagnostics.keepGeometry = false;
        bounds.run(line);
        EXPECT_EQ(bounds.model.errorCode, full.model.errorCode);
        EXPECT_EQ(bounds.model.errorPosition, full.model.errorPosition);
        EXPECT_EQ(bounds.diagnostics.fault, full.diagnostics.fault);
        EXPECT_TRUE(bounds.model.cells == full.model.cells);
        EXPECT_EQ(bounds.model.track.last_metre(), full.model.track.last_metre());
        EXPECT_FALSE(bounds.model.track.keeps_values());
    }
}

TEST(LineReader, WithoutGeometryCurvesAreStrayFields) {
    LineRun r;
    r.run(line_description(20000, {"curvas1,  1350,  150", "pendenza,  1000,   5"}), 0);
    EXPECT_EQ(r.model.errorCode, 0);
    EXPECT_FALSE(r.model.track.exists());
    EXPECT_EQ(r.model.cell(20).gradient, 105);
}

TEST(LineReader, SignsTakeRecordsFromEightyDown) {
    LineRun r;
    r.run(line_description(218000, {"cartello_indicatore,  10950,   (Cippo )(  Km  )(11+000)",
                                    "cartello_indicatore,  79900,   (Culmine)"}));
    ASSERT_EQ(r.model.errorCode, 0);
    EXPECT_EQ(r.model.cell(220).kind, cell_kind::roadside_sign);
    EXPECT_EQ(r.model.cell(220).data1, 80);
    EXPECT_EQ(r.model.records[80].text, "(Cippo )(  Km  )(11+000)");
    EXPECT_EQ(r.model.cell(1599).data1, 79);
    EXPECT_EQ(r.model.records[79].text, "(Culmine)");
}

TEST(LineReader, SignOnATakenCellIsCodeSix) {
    LineRun r;
    r.run(line_description(
        218000, {"cartello_indicatore,  10950,   (A)", "cartello_indicatore,  10960,   (B)", "pendenza,  20000,   5"}));
    EXPECT_EQ(r.model.errorCode, 6);
    EXPECT_EQ(r.model.errorPosition, 10960);
    EXPECT_EQ(r.model.cell(401).gradient, 0);  // nothing after the sign was read or finished
    EXPECT_FALSE(r.line_file_left());
    EXPECT_TRUE(r.train_file_left());
}

TEST(LineReader, MoreThanEightySignsIsAFailure) {
    std::vector<std::string> rows;
    rows.reserve(81);
    for (int i = 0; i < 81; ++i) rows.push_back("cartello_indicatore,  " + std::to_string(1000 + 100 * i) + ",   (S)");
    LineRun r;
    r.run(line_description(20000, rows));
    EXPECT_EQ(r.model.errorCode, 25);
    EXPECT_EQ(r.model.records[1].text, "(S)");
}

TEST(LineReader, SignTextTooLongForItsRecordIsAFailure) {
    LineRun fits;
    fits.run(line_description(20000, {"cartello_indicatore,  5000,   " + std::string(32767, 'x')}));
    EXPECT_EQ(fits.model.errorCode, 0);
    LineRun too_long;
    too_long.run(line_description(20000, {"cartello_indicatore,  5000,   " + std::string(32768, 'x')}));
    EXPECT_EQ(too_long.model.errorCode, 25);
}

TEST(LineReader, ItemPositionsMustLieWithinTheCells) {
    // cellCount 540: the last accepted position is 50 * 540 - 100 = 26900.
    LineRun accepted;
    accepted.run(line_description(20000, {"cartello_indicatore,  26900,   (Last)"}));
    EXPECT_EQ(accepted.model.errorCode, 0);
    EXPECT_EQ(accepted.model.cell(539).kind, cell_kind::roadside_sign);

    LineRun beyond;
    beyond.run(line_description(20000, {"pendenza,  1000,  5", "cartello_indicatore,  26901,   (Far)",
                                        "cartello_indicatore,  5000,   (Skipped)"}));
    EXPECT_EQ(beyond.model.errorCode, 15);
    EXPECT_EQ(beyond.model.errorPosition, 26901);
    EXPECT_EQ(beyond.model.cell(101).kind, 0);
    // The finishing steps ran and the train half was read.
    EXPECT_EQ(beyond.model.cell(537).gradient, 105);
    EXPECT_EQ(beyond.model.cell(10).speedLimit, 20);
    EXPECT_FALSE(beyond.line_file_left());
    EXPECT_FALSE(beyond.train_file_left());
}

TEST(LineReader, SpeedBoardsAndMountainMarkers) {
    LineRun r;
    r.run(line_description(
        218000, {"montagna,   79000,  80550,  12", "indicatori_vmax,  1100,  105,  110,  125,  0,  ,  ,  ,  0",
                 "indicatori_vmax,  79500,  140,  30,  30,  2,  90,  ,  ,  1"}));
    ASSERT_EQ(r.model.errorCode, 0);
    const RouteCell& first = r.model.cell(23);
    EXPECT_EQ(first.kind, cell_kind::speed_boards);
    EXPECT_EQ(first.data1, 2100);
    EXPECT_EQ(first.data2, 2200);
    EXPECT_EQ(first.data3, 2500);
    EXPECT_EQ(first.data4, 0);
    // The board replaced the marker of cell 1591.
    const RouteCell& on_marker = r.model.cell(1591);
    EXPECT_EQ(on_marker.kind, cell_kind::speed_boards);
    EXPECT_EQ(on_marker.data1, 2818);
    EXPECT_EQ(on_marker.data4, 21);
    EXPECT_EQ(on_marker.mountainType, 2);
}

TEST(LineReader, SpeedBoardOnASignIsCodeTwentyOne) {
    LineRun r;
    r.run(line_description(
        20000, {"cartello_indicatore,  5000,   (S)", "indicatori_vmax,  5000,  100,  100,  100,  0,  ,  ,  ,  0"}));
    EXPECT_EQ(r.model.errorCode, 21);
    EXPECT_EQ(r.model.errorPosition, 5000);
    EXPECT_EQ(r.model.cell(101).kind, cell_kind::roadside_sign);
    EXPECT_FALSE(r.line_file_left());
    EXPECT_TRUE(r.train_file_left());
}

TEST(LineReader, SpeedThatDoesNotPackIsAFailure) {
    LineRun r;
    r.run(line_description(20000, {"indicatori_vmax,  5000,  1700,  100,  100,  0,  ,  ,  ,  0"}));
    EXPECT_EQ(r.model.errorCode, 25);
}

TEST(LineReader, OutsideTheDesignIsCodeTwentyFive) {
    const std::string cases[] = {
        // No route length before the first item.
        crlf({"[generale]", "sfondo uno,    1", "[curve]", "pendenza,  1000,  5", "[fine]"}),
        // A mountain span ending beyond the cells.
        line_description(20000, {"montagna,   20000,  40000,  1"}),
        // A number that is not a whole number.
        line_description(20000, {"pendenza,  1000,  5.5x"}),
        // Reading past the end inside the general section's hyphen rule.
        crlf({"[generale]", "lunghezza percorso, 20000", "----", "----"}),
        // A negative route length below -7000 cannot create the cells.
        line_description(-8000, {}),
    };
    for (const std::string& text : cases) {
        LineRun r;
        r.run(text);
        EXPECT_EQ(r.model.errorCode, 25) << text;
        EXPECT_FALSE(r.line_file_left());
        EXPECT_FALSE(r.train_file_left());
    }
}

TEST(LineReader, EightyMountainSpansFitAndTheNextFails) {
    std::vector<std::string> rows;
    rows.reserve(81);
    for (int i = 0; i < 81; ++i) {
        rows.push_back("montagna,   " + std::to_string(1000 + 400 * i) + ",  " + std::to_string(1200 + 400 * i) +
                       ",  1");
    }
    LineRun r;
    r.run(line_description(40000, std::vector<std::string>(rows.begin(), rows.end() - 1)));
    EXPECT_EQ(r.model.errorCode, 0);
    EXPECT_EQ(r.model.mountainCount, 80);
    LineRun over;
    over.run(line_description(40000, rows));
    EXPECT_EQ(over.model.errorCode, 25);
}

TEST(LineReader, DiagnosticsPointAtTheField) {
    LineRun r;
    r.run(line_description(218000, {"cartello_indicatore,  10950,   (A)", "cartello_indicatore,  10960,   (B)"}));
    EXPECT_EQ(r.diagnostics.source, ReadDiagnostics::Source::line_description);
    EXPECT_EQ(r.diagnostics.location, (FieldLocation{5, 23}));
    EXPECT_EQ(r.diagnostics.sourceLine, "cartello_indicatore,  10960,   (B)");
}

}  // namespace
}  // namespace scenario
