// scenario-tool dump: the program's files decoded give back the model's
// values; files whose length does not fit are refused cleanly.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include <nlohmann/json.hpp>

#include "tool/authoring.h"
#include "tool/compaction.h"

namespace scenario::tool {
namespace {

using testing::Outcome;
using testing::read_file;
using testing::TempFolder;
using testing::write_file;

std::vector<nlohmann::json> json_lines(const std::string& text) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
}

// The embedded scenario compacted once, with its model and its files.
class EmbeddedScenario : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder;
        compaction_ =
            new Compaction(compact({testing::embedded_line(), testing::embedded_train(), "Valcorvina", "IC 318"},
                                   folder_->path(), true, true));
    }
    static void TearDownTestSuite() {
        delete compaction_;
        delete folder_;
    }
    static const RouteModel& model() { return compaction_->model; }
    static std::string file(const std::string& name) { return folder_->file(name); }

    static TempFolder* folder_;
    static Compaction* compaction_;
};

TempFolder* EmbeddedScenario::folder_ = nullptr;
Compaction* EmbeddedScenario::compaction_ = nullptr;

TEST_F(EmbeddedScenario, RecordsComeBackFieldByField) {
    const Outcome r = testing::dump(file("Valcorvina_IC 318.sim"), true);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = json_lines(r.out);
    ASSERT_EQ(lines.size(), 87u);
    std::size_t offset = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const nlohmann::json& j = lines[i];
        const ScenarioRecord& rec = model().records[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(j["index"], i);
        EXPECT_EQ(j["offset"], offset);
        ScenarioRecord back{j["tag"],   j["long1"], j["long2"], j["long3"], j["byte1"], j["text"],
                            j["int1"],  j["int2"],  j["int3"],  j["int4"],  j["int5"],  j["byte2"],
                            j["byte3"], j["byte4"], j["byte5"], j["long4"]};
        EXPECT_EQ(back, rec);
        offset += 34 + rec.text.size();
    }

    const Outcome text = testing::dump(file("Valcorvina_IC 318.sim"));
    std::istringstream rows(text.out);
    std::string header;
    std::getline(rows, header);
    EXPECT_EQ(header,
              "index  offset  tag   long1    long2   long3  byte1  int1  int2  int3  int4  int5  byte2  byte3  "
              "byte4  byte5  long4  text");
    EXPECT_NE(text.out.find("\n   85    3546    0       1        0       0      0   610     0     0     0     0      0"
                            "      0      0      0  32242  \"Valcorvina\"\n"),
              std::string::npos);
}

TEST_F(EmbeddedScenario, CellsComeBackWithTheirMetres) {
    const Outcome r = testing::dump(file("Valcorvina_IC 318.dat"), true);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = json_lines(r.out);
    ASSERT_EQ(lines.size(), model().cells.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const nlohmann::json& j = lines[i];
        const RouteCell back{j["kind"],       j["data1"],    j["data2"],        j["data3"],
                             j["data4"],      j["data5"],    j["approachCode"], j["mountainType"],
                             j["speedLimit"], j["gradient"], j["adhesion"]};
        ASSERT_EQ(back, model().cells[i]) << i;
        ASSERT_EQ(j["from"], 50 * i);
        ASSERT_EQ(j["to"], 50 * i + 50);
    }
    const Outcome text = testing::dump(file("Valcorvina_IC 318.dat"));
    EXPECT_NE(
        text.out.find("\n  22    1100    1150     1     42     11     11      8      0             0             0"
                      "          25        89        90  signal\n"),
        std::string::npos);
}

TEST_F(EmbeddedScenario, PlanGeometryComesBackMetreByMetre) {
    const Outcome r = testing::dump(file("Valcorvina_linea.dat"), true);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = json_lines(r.out);
    const Track& track = model().track;
    ASSERT_EQ(static_cast<std::int64_t>(lines.size()), track.last_metre() + 1);
    for (std::int64_t m = 0; m <= track.last_metre(); ++m) {
        const nlohmann::json& j = lines[static_cast<std::size_t>(m)];
        const TrackValue x = track.at(m, Track::x);
        const TrackValue y = track.at(m, Track::y);
        ASSERT_EQ(j["metre"], m);
        ASSERT_EQ(j["tag"], static_cast<int>(x.tag)) << m;
        ASSERT_FALSE(j.contains("yTag")) << m;
        if (x.tag == TrackTag::empty) {
            ASSERT_TRUE(j["x"].is_null() && j["y"].is_null()) << m;
        } else {
            // Exactly the stored doubles: the text form round-trips.
            ASSERT_EQ(j["x"].get<double>(), x.value) << m;
            ASSERT_EQ(j["y"].get<double>(), y.value) << m;
        }
    }
    const Outcome text = testing::dump(file("Valcorvina_linea.dat"));
    EXPECT_EQ(text.out.substr(0, text.out.find('\n')), " metre                        x                   y  tag");
    EXPECT_NE(text.out.find("\n  1351                   -1e-04                1351  5\n"), std::string::npos);
    EXPECT_NE(text.out.find("\n224999                        -                   -  0\n"), std::string::npos);
}

TEST_F(EmbeddedScenario, LengthsThatDoNotFitAreRefusedAtTheirOffset) {
    struct Case {
        std::string name;
        std::string bytes;
        std::string error;
    };
    const std::string sim = read_file(file("Valcorvina_IC 318.sim"));
    const std::string dat = read_file(file("Valcorvina_IC 318.dat"));
    const std::string geometry = read_file(file("Valcorvina_linea.dat"));
    const Case cases[] = {
        {"cut.sim", sim.substr(0, sim.size() - 1), "the file ends inside record 86 (at byte 3606)"},
        {"header.sim", sim.substr(0, 40), "the file ends inside record 1 (at byte 34)"},
        {"long.sim", sim + "x", "bytes follow the 87th record (at byte 3630)"},
        {"empty.sim", "", "the file ends inside record 0 (at byte 0)"},
        {"cut.dat", dat.substr(0, dat.size() - 1), "the file ends inside a cell (at byte 67500)"},
        {"long.dat", dat + "x", "the file ends inside a cell (at byte 67515)"},
        {"cut_linea.dat", geometry.substr(0, geometry.size() - 3), "the file ends inside a type tag (at byte 4499960)"},
        {"value_linea.dat", geometry.substr(0, geometry.size() - 9),
         "the file ends inside a double value (at byte 4499952)"},
        {"long_linea.dat", geometry + "x", "the file ends inside a type tag (at byte 4499964)"},
        {"odd_linea.dat", geometry + std::string(2, '\0'), "the x and y halves differ in length (at byte 4499966)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.file(c.name);
        write_file(path, c.bytes);
        const Outcome r = testing::dump(path);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, path + ": cannot decode: " + c.error + "\n");
        EXPECT_EQ(r.out, "");
        const Outcome j = testing::dump(path, true);
        const auto error = nlohmann::json::parse(j.out);
        EXPECT_EQ(error["error"], c.error);
        EXPECT_EQ(error["file"], path);
    }
}

TEST_F(EmbeddedScenario, AnyBytesAreDecodedOrRefusedNeverOverrun) {
    // Real files with bytes changed here and there, and short runs of noise:
    // every one decodes or is refused, and the sanitizers watch the reads.
    std::mt19937 random(12345);
    const std::string sim = read_file(file("Valcorvina_IC 318.sim"));
    const std::string dat = read_file(file("Valcorvina_IC 318.dat"));
    TempFolder folder;
    for (int round = 0; round < 300; ++round) {
        const bool records = round % 3 == 0;
        std::string bytes;
        if (round % 2 == 0) {
            bytes = records ? sim : dat.substr(0, 15 * 40);
            for (int i = 0; i < 4; ++i) bytes[random() % bytes.size()] = static_cast<char>(random());
            bytes.resize(random() % (bytes.size() + 20), '\xFF');
        } else {
            bytes.resize(random() % 64);
            for (char& b : bytes) b = static_cast<char>(random() % 8);  // mostly small tags and lengths
        }
        const char* names[] = {"x.sim", "x.dat", "x_linea.dat"};
        const std::string path = folder.file(names[records ? 0 : round % 3]);
        write_file(path, bytes);
        const Outcome r = testing::dump(path, round % 4 == 1);
        ASSERT_TRUE(r.status == 0 || (r.status == 1 && r.err.find("cannot decode") != std::string::npos))
            << round << ": " << r.err;
    }
}

}  // namespace
}  // namespace scenario::tool
