// The compactor end to end on small description files.
#include "compactor/memorizza_percorso.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "compactor/little_endian.h"
#include "io/file_system.h"
#include "support/description_files.h"

namespace scenario {
namespace {

using testing::line_description;
using testing::read_file;
using testing::ScenarioFolder;
using testing::train_description;

struct Compaction : ScenarioFolder {
    std::string reported;
    void run(const std::string& line, const std::string& train, std::int32_t flag = 1) {
        write_line(line);
        write_train(train);
        model.errorCode = 99;
        model.records[5].text = "left from before";
        memorizza_percorso(
            model, files, flag, [this](const std::string& n) { reported = n; }, &diagnostics);
    }
};

const std::string small_line = line_description(
    20000, {"pendenza,  0,   0", "curvad2,  2000,  300", "indicatori_vmax,  1100,  105,  110,  125,  0,  ,  ,  ,  0",
            "cartello_indicatore,  10950,   (Cippo )(  Km  )(11+000)"});
const std::string small_train = train_description(
    {"numero vetture,    13", "velocita,   0,    30", "aderenza,   0,    90",
     "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  15,47,30, Brenzola",
     "rallentamento,   13500,    60,  500, 0,  1,  60", "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0"});

TEST(MemorizzaPercorso, ReadsCompletesStampsAndWritesTheThreeFiles) {
    Compaction c;
    c.run(small_line, small_train);
    EXPECT_EQ(c.model.errorCode, 0);
    EXPECT_EQ(c.model.withGeometry, 1);
    EXPECT_EQ(c.model.records[5].text, "");  // records cleared before reading
    EXPECT_EQ(c.reported, "");
    EXPECT_EQ(c.folder.files(), (std::vector<std::string>{"Linea_T 1.dat", "Linea_T 1.sim", "Linea_linea.dat"}));

    const std::string dat = read_file(c.files.route_cells());
    ASSERT_EQ(dat.size(), 15u * (540 + 1));
    EXPECT_EQ(get_i16(dat, 15 + 1), 5121);
    EXPECT_EQ(get_i16(dat, 15 + 3), codice_gara_og(c.model));
    EXPECT_EQ(get_u8(dat, std::size_t{22} * 15), cell_kind::signal);
    EXPECT_EQ(get_u8(dat, std::size_t{266} * 15), cell_kind::restriction);  // from the completion pass
    EXPECT_EQ(get_i16(dat, 266 * 15 + 1), 180);

    const std::string sim = read_file(c.files.scenario_records());
    // Texts: station "Brenzola" (1), sign (80), title (85), train code (86).
    EXPECT_EQ(sim.size(), 2958u + 8 + 24 + 5 + 3);
    EXPECT_EQ(read_file(c.files.line_geometry()).size(), 24u + 20 * (27000 - 3));
}

TEST(MemorizzaPercorso, WithoutGeometryNoLineFileIsTouched) {
    Compaction c;
    testing::write_file(c.files.line_geometry(), "older");
    c.run(small_line, small_train, 0);
    EXPECT_EQ(c.model.errorCode, 0);
    EXPECT_EQ(read_file(c.files.line_geometry()), "older");
    EXPECT_TRUE(file_exists(c.files.route_cells()));
}

TEST(MemorizzaPercorso, FilesAreWrittenWhateverTheErrorCode) {
    Compaction c;
    c.run(small_line, train_description({"segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
                                         "segnale,    1060,   2, 4, 1,  1, 0,    2,  2,1,1, 0"}));
    EXPECT_EQ(c.model.errorCode, 16);
    EXPECT_TRUE(file_exists(c.files.scenario_records()));
    EXPECT_TRUE(file_exists(c.files.route_cells()));
}

TEST(MemorizzaPercorso, AnItemInCellOneStopsTheStamp) {
    Compaction c;
    EXPECT_THROW(c.run(small_line, train_description({"segnale,    0,   2, 4, 1,  1, 0,    2,  2,1,1, 0"})),
                 StampError);
    EXPECT_EQ(c.reported, "1250");
    EXPECT_TRUE(c.folder.files().empty());
}

TEST(MemorizzaPercorso, NoRouteLengthMeansNothingToWrite) {
    Compaction c;
    EXPECT_THROW(c.run("", small_train), std::runtime_error);
    EXPECT_EQ(c.model.errorCode, 25);
    EXPECT_TRUE(c.folder.files().empty());
}

// The line geometry file at the edges of the track's building, byte for byte
// as the compactor has always written it (its size and FNV-1a digest).
struct GeometryEdge {
    const char* name;
    std::string line;
    std::int32_t errorCode;
    std::size_t size;
    std::uint64_t digest;
};

std::uint64_t fnv1a(const std::string& bytes) {
    std::uint64_t h = 0xcbf29ce484222325;
    for (char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3;
    return h;
}

class GeometryEdges : public ::testing::TestWithParam<GeometryEdge> {};

TEST_P(GeometryEdges, BytesOfTheLineGeometryFile) {
    const GeometryEdge& e = GetParam();
    Compaction c;
    c.run(e.line, train_description({}));
    EXPECT_EQ(c.model.errorCode, e.errorCode);
    const std::string geometry = read_file(c.files.line_geometry());
    EXPECT_EQ(geometry.size(), e.size);
    EXPECT_EQ(fnv1a(geometry), e.digest);
}

INSTANTIATE_TEST_SUITE_P(
    Routes, GeometryEdges,
    ::testing::Values(
        // The shortest route that has a cell 1: 26 metres, built to metre 24.
        GeometryEdge{"ShortestRoute", line_description(-6974, {}), 0, 484, 0x54d0870e7208c65c},
        GeometryEdge{"ShortestRouteWithACurveBeyondIt", line_description(-6974, {"curvad1,  10,  5"}), 15, 484,
                     0x54d0870e7208c65c},
        // Metres from 2751 on stay empty.
        GeometryEdge{"AbandonedAtACurveWithoutClass",
                     line_description(20000, {"curvas1,  1350,  150", "curvad3,  2700,  50", "curvas,  5000,  100"}),
                     103, 151996, 0xf00133a6f3608188},
        GeometryEdge{"AbandonedAtASign",
                     line_description(20000, {"curvas1,  1350,  150", "cartello_indicatore,  10950,   (A)",
                                              "cartello_indicatore,  10960,   (B)", "curvad2,  15000,  100"}),
                     6, 131996, 0x14c5d2b31375b10f},
        // Doubles up to the table's last metre, then the failure.
        GeometryEdge{"CurvePastTheTable", line_description(20000, {"curvad1,  20000,  8000"}), 25, 539996,
                     0x3beac40b7ff21b2b},
        GeometryEdge{"CurvesBehindTheTrackAndOfNegativeLength",
                     line_description(2000, {"curvad1,  1000,  3000", "curvas2,  2000,  500", "curvas4,  2500,  -5",
                                             "curvad6,  -100,  200"}),
                     0, 179964, 0x4adfd1fbde4f41c0}),
    [](const ::testing::TestParamInfo<GeometryEdge>& param) { return std::string(param.param.name); });

TEST(MemorizzaPercorso, ShortestRouteWithoutGeometryWritesNoLineFile) {
    Compaction c;
    c.run(line_description(-6974, {}), train_description({}), 0);
    EXPECT_EQ(c.model.errorCode, 0);
    EXPECT_EQ(c.folder.files(), (std::vector<std::string>{"Linea_T 1.dat", "Linea_T 1.sim"}));
}

// One metre shorter and the route has no cell 1: nothing is written.
TEST(MemorizzaPercorso, BelowTheShortestRouteNothingIsWritten) {
    Compaction c;
    EXPECT_THROW(c.run(line_description(-6975, {}), train_description({})), NothingToWrite);
    EXPECT_TRUE(c.folder.files().empty());
}

}  // namespace
}  // namespace scenario
