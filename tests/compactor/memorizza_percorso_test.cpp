// The compactor end to end on small description files.
#include "compactor/memorizza_percorso.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace scenario
