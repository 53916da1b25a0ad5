// The built program run as a whole, from a copy in a fresh folder.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <filesystem>

#include "compactor/binary_decoding.h"
#include "compactor/little_endian.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

using testing::read_file;
using testing::TempFolder;
using testing::write_file;

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Copies the program into the folder and runs it from another current folder.
RunResult run_program(const TempFolder& folder) {
    const std::filesystem::path program = folder.path() / "Valcorvina_IC 318";
    std::filesystem::copy_file(PROGRAM_PATH, program, std::filesystem::copy_options::overwrite_existing);
    // The streams go to a folder of this run's own, beside neither the
    // program nor another test's run.
    const TempFolder streams;
    const std::string out = streams.file("stdout");
    const std::string err = streams.file("stderr");
    const std::string command = "cd / && " + quoted(program.string()) + " >" + quoted(out) + " 2>" + quoted(err);
    RunResult r;
    const int raw = std::system(command.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = read_file(out);
    r.err = read_file(err);
    std::filesystem::remove(program);
    return r;
}

const std::vector<std::string> kept_files{"Valcorvina_IC 318.dat",
                                          "Valcorvina_IC 318.sim",
                                          "Valcorvina_IC 318_note.txt",
                                          "Valcorvina_IC 318_rallentamenti.txt",
                                          "Valcorvina_IC 318_scheda_treno.txt",
                                          "Valcorvina_linea.dat"};

TEST(ProgramRun, ShowsAttendereAndLeavesTheSixFilesBesideItself) {
    TempFolder folder;
    const RunResult r = run_program(folder);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Attendere\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(folder.files(), kept_files);
}

TEST(ProgramRun, ASecondRunReplacesEveryFileWithTheSameBytes) {
    TempFolder first;
    run_program(first);
    TempFolder second;
    for (const std::string& name : kept_files) write_file(second.file(name), std::string(5000000, 'x'));
    write_file(second.file("Valcorvina_linea.txt"), "[generale]\r\nstale\r\n");
    const RunResult r = run_program(second);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(second.files(), kept_files);
    for (const std::string& name : kept_files) {
        EXPECT_EQ(read_file(first.file(name)), read_file(second.file(name))) << name;
    }
}

// The embedded scenario's files, decoded field by field.
class EmbeddedScenarioFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder;
        const RunResult r = run_program(*folder_);
        ASSERT_EQ(r.status, 0) << r.err;
        geometry_ = new std::string(read_file(folder_->file("Valcorvina_linea.dat")));
        sim_ = new std::string(read_file(folder_->file("Valcorvina_IC 318.sim")));
        dat_ = new std::string(read_file(folder_->file("Valcorvina_IC 318.dat")));
    }
    static void TearDownTestSuite() {
        delete geometry_;
        delete sim_;
        delete dat_;
        delete folder_;
    }
    static const RouteCell cell(std::size_t i) { return decode_cells(*dat_).at(i); }

    static TempFolder* folder_;
    static std::string* geometry_;
    static std::string* sim_;
    static std::string* dat_;
};

TempFolder* EmbeddedScenarioFiles::folder_ = nullptr;
std::string* EmbeddedScenarioFiles::geometry_ = nullptr;
std::string* EmbeddedScenarioFiles::sim_ = nullptr;
std::string* EmbeddedScenarioFiles::dat_ = nullptr;

TEST_F(EmbeddedScenarioFiles, PlanGeometry) {
    ASSERT_EQ(geometry_->size(), 4499964u);
    EXPECT_EQ(geometry_->substr(0, 10), std::string("\x02\x00\x00\x00\x02\x00\x00\x00\x05\x00", 10));
    std::size_t metres = 0;
    const auto values = decode_line_geometry(*geometry_, metres);
    ASSERT_EQ(metres, 225001u);
    auto x = [&](std::size_t m) { return values[m]; };
    auto y = [&](std::size_t m) { return values[metres + m]; };
    EXPECT_EQ(y(1), (TrackValue{TrackTag::int16, 1}));
    EXPECT_EQ(x(1350).value, 0.0);
    EXPECT_EQ(y(1350).value, 1350.0);
    EXPECT_DOUBLE_EQ(x(1351).value, -0.0001);
    EXPECT_NEAR(x(1500).value, -1.13248, 5e-6);
    EXPECT_NEAR(y(1500).value, 1499.99438, 5e-6);
    EXPECT_EQ(x(224998).tag, TrackTag::real);
    EXPECT_NEAR(x(224998).value, 25989.5, 0.05);
    EXPECT_NEAR(y(224998).value, 196700.9, 0.05);
    EXPECT_EQ(x(224999).tag, TrackTag::empty);
    EXPECT_EQ(y(225000).tag, TrackTag::empty);
}

TEST_F(EmbeddedScenarioFiles, ScenarioRecords) {
    const auto records = decode_records(*sim_);
    EXPECT_EQ(records[0], ScenarioRecord{});
    const ScenarioRecord& first = records[1];
    EXPECT_EQ(first.text, "Brenzola");
    EXPECT_EQ(first.tag, 8);
    EXPECT_EQ(first.long1, -500);
    EXPECT_EQ(first.long2, 500);
    EXPECT_EQ(first.long4, (15 * 60 + 47) * 60 + 30);
    EXPECT_EQ(records[18].text, "Tavigna");
    EXPECT_EQ(records[18].long3, 128450);
    EXPECT_EQ(records[25].text, "Ostrevo");
    EXPECT_EQ(records[25].long2, 214100);
    EXPECT_EQ(records[26], ScenarioRecord{});
    for (int i = 1; i <= 25; ++i) EXPECT_FALSE(records[static_cast<std::size_t>(i)].text.empty()) << i;
    EXPECT_EQ(records[80].text, "(Cippo )(  Km  )(11+000)");
    for (int i = 61; i <= 80; ++i) EXPECT_EQ(records[static_cast<std::size_t>(i)].text.front(), '(') << i;
    EXPECT_EQ(records[60], ScenarioRecord{});
    EXPECT_EQ(records[81].long1, 194700);
    EXPECT_EQ(records[81].long2, -16400);
    EXPECT_EQ(records[82].long1, 180350);
    EXPECT_EQ(records[82].long2, -180350);
    EXPECT_EQ(records[83].long1, 0);
    EXPECT_EQ(records[84].long1, 130);
    EXPECT_EQ(records[84].long2, 218000);
    EXPECT_EQ(records[84].long3, 13);
    EXPECT_EQ(records[85].text, "Valcorvina");
    EXPECT_EQ(records[85].long1, 1);
    EXPECT_EQ(records[85].int1, 610);
    EXPECT_EQ(records[85].long4, 32242);
    EXPECT_EQ(records[86].text, "IC 318");
    EXPECT_EQ(records[86].long1, 2100);
    EXPECT_EQ(records[86].long2, 211050);
    EXPECT_EQ(records[86].long3, 4);
    EXPECT_EQ(records[86].int1, 200);
    EXPECT_EQ(records[86].int3, 15);
    EXPECT_EQ(records[86].int4, 47);
    EXPECT_EQ(records[86].int5, 30);
    // Element 85 is 44 bytes long and sits just before element 86.
    const std::size_t e86 = sim_->size() - (34 + 6);
    const std::size_t e85 = e86 - 44;
    EXPECT_EQ(sim_->substr(e85 + 14, 12), std::string("\x0A\x00Valcorvina", 12));
    EXPECT_EQ(sim_->substr(e85 + 26, 2), "\x62\x02");
    EXPECT_EQ(get_i32(*sim_, e85 + 40), 32242);
}

TEST_F(EmbeddedScenarioFiles, RouteCells) {
    ASSERT_EQ(dat_->size(), 67515u);
    EXPECT_EQ(dat_->substr(16, 2), "\x01\x14");
    const auto cells = decode_cells(*dat_);
    EXPECT_EQ(cells[1].data1, 5121);
    EXPECT_EQ(cells[1].data2, 2358);

    EXPECT_EQ(cells[22], (RouteCell{1, 42, 11, 11, 8, 0, cells[22].approachCode, cells[22].mountainType,
                                    cells[22].speedLimit, cells[22].gradient, cells[22].adhesion}));
    EXPECT_EQ(cells[20].approachCode, 81);
    EXPECT_EQ(cells[18].approachCode, 82);
    EXPECT_EQ(cells[16].approachCode, 83);
    EXPECT_EQ(cells[14].approachCode, 84);
    const RouteCell& last_signal = cells[4243];
    EXPECT_EQ(last_signal.kind, cell_kind::signal);
    EXPECT_EQ(last_signal.data1, 20);
    EXPECT_EQ(last_signal.data4, 6);
    EXPECT_EQ(last_signal.data5, 245);
    EXPECT_EQ(cells[4241].approachCode, 61);
    EXPECT_EQ(cells[4235].approachCode, 64);

    EXPECT_EQ(cells[9].kind, cell_kind::station_stop);
    EXPECT_EQ(cells[9].data1, 1);
    EXPECT_EQ(cells[23].kind, cell_kind::speed_boards);
    EXPECT_EQ(cells[23].data1, 2100);
    EXPECT_EQ(cells[23].data2, 2200);
    EXPECT_EQ(cells[23].data3, 2500);
    EXPECT_EQ(cells[220].kind, cell_kind::roadside_sign);
    EXPECT_EQ(cells[220].data1, 80);
    EXPECT_EQ(cells[1599].kind, cell_kind::roadside_sign);

    EXPECT_EQ(cells[247].kind, cell_kind::slowdown_warning);
    EXPECT_EQ(cells[271].kind, cell_kind::slowdown_start);
    EXPECT_EQ(cells[281].kind, cell_kind::slowdown_end);
    for (int i : {247, 271, 281}) {
        EXPECT_EQ(cells[static_cast<std::size_t>(i)].data1, 60);
        EXPECT_EQ(cells[static_cast<std::size_t>(i)].data2, 60);
    }
    for (int i = 243; i <= 246; ++i) EXPECT_EQ(cells[static_cast<std::size_t>(i)].kind, cell_kind::slowdown_approach);

    for (int i = 12; i <= 23; ++i) EXPECT_EQ(cells[static_cast<std::size_t>(i)].gradient, 89) << i;
    EXPECT_EQ(cells[24].gradient, 100);
    for (int i = 25; i <= 28; ++i) EXPECT_EQ(cells[static_cast<std::size_t>(i)].gradient, 96) << i;
    EXPECT_EQ(cells[4498].gradient, 0);
    for (int i = 0; i <= 21; ++i) EXPECT_EQ(cells[static_cast<std::size_t>(i)].speedLimit, 6) << i;
    EXPECT_EQ(cells[22].speedLimit, 25);
    EXPECT_EQ(cells[0].adhesion, 90);
    EXPECT_EQ(cells[4497].adhesion, 75);
    for (int i = 1580; i <= 1610; ++i) EXPECT_EQ(cells[static_cast<std::size_t>(i)].mountainType, 2) << i;
    for (int i = 1779; i <= 1929; ++i) EXPECT_EQ(cells[static_cast<std::size_t>(i)].mountainType, 1) << i;
}

}  // namespace
}  // namespace scenario
