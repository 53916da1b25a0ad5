// scenario-tool diff: the embedded scenario's files against copies with
// known edits give exactly those edits, named and placed; equal files give
// nothing and exit 0.
#include <gtest/gtest.h>

#include <functional>

#include "compactor/binary_decoding.h"
#include "compactor/binary_files.h"
#include "tool/authoring.h"
#include "tool/base/compaction.h"

namespace scenario::tool {
namespace {

using testing::Outcome;
using testing::read_file;
using testing::TempFolder;
using testing::write_file;

class EmbeddedFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder;
        const Compaction c =
            compact({testing::embedded_line(), testing::embedded_train(), "Valcorvina", "IC 318"}, folder_->path());
        ASSERT_EQ(c.written.size(), 3u);
    }
    static void TearDownTestSuite() { delete folder_; }
    static std::string file(const std::string& name) { return folder_->file(name); }

    static TempFolder* folder_;
};

TempFolder* EmbeddedFiles::folder_ = nullptr;

struct Edit {
    std::string name;  // of the original file
    std::function<std::string(const std::string&)> edit;
    int status;
    std::string out;
};

std::string records_with(const std::string& bytes, const std::function<void(std::vector<ScenarioRecord>&)>& change) {
    std::vector<ScenarioRecord> records = decode_records(bytes);
    change(records);
    std::string out;
    for (const ScenarioRecord& r : records) encode_record(out, r);
    return out;
}

std::string cells_with(const std::string& bytes, const std::function<void(std::vector<RouteCell>&)>& change) {
    std::vector<RouteCell> cells = decode_cells(bytes);
    change(cells);
    std::string out;
    for (const RouteCell& c : cells) encode_cell(out, c);
    return out;
}

std::string geometry_with(const std::string& bytes, const std::function<void(Track&)>& change) {
    std::size_t metres = 0;
    const std::vector<TrackValue> values = decode_line_geometry(bytes, metres);
    Track track;
    track.create(static_cast<std::int32_t>(metres) - 1);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto m = static_cast<std::int64_t>(i % metres);
        const int c = i < metres ? Track::x : Track::y;
        if (values[i].tag == TrackTag::int16) track.set_int16(m, c, static_cast<std::int16_t>(values[i].value));
        if (values[i].tag == TrackTag::real) track.set_real(m, c, values[i].value);
    }
    change(track);
    TempFolder folder;
    write_line_geometry(track, folder.file("edited_linea.dat"));
    return read_file(folder.file("edited_linea.dat"));
}

TEST_F(EmbeddedFiles, EditsComeBackNamedAndPlaced) {
    const std::string sim = "Valcorvina_IC 318.sim";
    const std::string dat = "Valcorvina_IC 318.dat";
    const std::string geometry = "Valcorvina_linea.dat";
    const Edit edits[] = {
        {sim, [](const std::string& b) { return b; }, 0, ""},
        {sim,
         [](const std::string& b) {
             return records_with(b, [](auto& r) {
                 r[18].long4 += 60;
                 r[80].text = "(Cippo )(  Km  )(12+000)";
                 r[79].long1 = 5;
             });
         },
         1,
         "record 18, station \"Tavigna\" at 128450 m: time 16:47:15 -> 16:48:15\n"
         "record 79, sign: long1 0 -> 5\n"
         "record 80, sign: lettering \"(Cippo )(  Km  )(11+000)\" -> \"(Cippo )(  Km  )(12+000)\"\n"
         "3 of 87 records differ\n"},
        {sim, [](const std::string& b) { return records_with(b, [](auto& r) { r[81] = {}; }); }, 1,
         "record 81: kilometre break from=194700 readingOffset=-16400 flag=0 -> empty\n"
         "1 of 87 records differs\n"},
        {dat,
         [](const std::string& b) {
             return cells_with(b, [](auto& c) {
                 c[22].data1 = 32;
                 c[30].kind = cell_kind::signal;
                 c[30].data1 = 5;
             });
         },
         1,
         "cell 22, 1100 to 1150 m, signal: data1 42 -> 32\n"
         "cell 30, 1500 to 1550 m, nothing -> signal: data1 0 -> 5\n"
         "2 cells differ\n"},
        {dat, [](const std::string& b) { return b.substr(0, b.size() - 15); }, 1,
         "A_IC 318.dat holds 4501 cells, B_IC 318.dat 4500: the cells from 4500 on are in one only\n"},
        {geometry,
         [](const std::string& b) {
             return geometry_with(b, [](Track& t) {
                 t.set_real(1000, Track::y, 1002.0);
                 t.set_real(1001, Track::y, 1004.0);
                 t.set_int16(1200, Track::x, 7);
             });
         },
         1,
         "metres 1000 to 1001 (2 m): largest shift 3.000 m at metre 1001: (0.000, 1001.000) -> (0.000, 1004.000)\n"
         "metres 1200 to 1200 (1 m): largest shift 7.000 m at metre 1200: (0.000, 1200.000) -> (7.000, 1200.000)\n"
         "3 metres differ, in 2 stretches\n"},
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.out);
        TempFolder work;
        // Named A and B, so that the messages read the same in every folder.
        const std::string a = work.file("A" + e.name.substr(e.name.find_first_of("_.")));
        const std::string b = work.file("B" + e.name.substr(e.name.find_first_of("_.")));
        const std::string original = read_file(file(e.name));
        write_file(a, original);
        write_file(b, e.edit(original));
        const Outcome r = testing::run_tool(
            "diff " + testing::quoted(a.substr(a.rfind('/') + 1)) + " " + testing::quoted(b.substr(b.rfind('/') + 1)),
            work.path().string());
        EXPECT_EQ(r.status, e.status) << r.err;
        EXPECT_EQ(r.out, e.out);
    }
}

TEST_F(EmbeddedFiles, FilesThatCannotBeComparedAreRefused) {
    TempFolder work;
    const std::string sim = file("Valcorvina_IC 318.sim");
    const std::string cut = work.file("cut.sim");
    write_file(cut, read_file(sim).substr(0, 100));
    struct Case {
        std::string b;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {cut, exit_status::bad_data, cut + ": cannot decode: the file ends inside record 2 (at byte 92)\n"},
        {work.file("missing.sim"), exit_status::no_input, work.file("missing.sim") + ": does not exist\n"},
    };
    for (const Case& c : cases) {
        const Outcome r = testing::diff(sim, c.b);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_THROW(testing::diff(sim, file("Valcorvina_IC 318.dat")), UsageError);
}

}  // namespace
}  // namespace scenario::tool
