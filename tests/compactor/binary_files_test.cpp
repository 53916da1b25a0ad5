#include "compactor/binary_files.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>
#include <vector>

#include "compactor/binary_decoding.h"
#include "compactor/little_endian.h"
#include "model/read_fault.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

using testing::read_file;
using testing::TempFolder;
using testing::write_file;

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

TEST(LittleEndian, EncodesAndDecodesEveryWidth) {
    std::string out;
    put_u8(out, 0xAB);
    put_i16(out, -2);
    put_i32(out, 0x12345678);
    put_f64(out, 1.0);
    EXPECT_EQ(out, bytes({0xAB, 0xFE, 0xFF, 0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    EXPECT_EQ(get_u8(out, 0), 0xAB);
    EXPECT_EQ(get_i16(out, 1), -2);
    EXPECT_EQ(get_i32(out, 3), 0x12345678);
    EXPECT_EQ(get_f64(out, 7), 1.0);
}

TEST(RouteCellsFile, FifteenBytesACellWithoutFiller) {
    RouteCell mark;
    mark.kind = cell_kind::restriction;
    mark.data1 = 180;
    mark.speedLimit = 30;
    mark.gradient = 100;
    std::string out;
    encode_cell(out, mark);
    EXPECT_EQ(out, bytes({0x0C, 0xB4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x1E, 0x64, 0}));

    RouteCell every;
    every = {1, 0x0102, 0x0304, 0x0506, 0x0708, 9, 10, 11, 12, 13, 14};
    out.clear();
    encode_cell(out, every);
    EXPECT_EQ(out, bytes({1, 2, 1, 4, 3, 6, 5, 8, 7, 9, 10, 11, 12, 13, 14}));
}

TEST(RouteCellsFile, WholeTableAndCellOne) {
    RouteModel model;
    model.create_cells(4500);
    model.cells[1].data1 = 5121;
    const std::string out = encode_cells(model);
    EXPECT_EQ(out.size(), 67515u);
    EXPECT_EQ(out.substr(16, 2), bytes({0x01, 0x14}));
}

TEST(ScenarioRecordsFile, ElementsAreThirtyFourBytesPlusText) {
    RouteModel model;
    EXPECT_EQ(encode_records(model).size(), 2958u);

    model.records[1].text = "Tavignano";  // 9 characters
    model.records[2].long1 = -1;
    const std::string out = encode_records(model);
    EXPECT_EQ(out.size(), 2958u + 9);
    EXPECT_EQ(out.substr(34 + 14, 2), bytes({9, 0}));
    EXPECT_EQ(out.substr(34 + 16, 9), "Tavignano");
    // Element 2 starts 43 bytes after element 1.
    EXPECT_EQ(get_i32(out, 34 + 43 + 1), -1);
}

TEST(ScenarioRecordsFile, FieldOffsetsOfTheIdentityElement) {
    ScenarioRecord r;
    r.tag = 1;
    r.long1 = 2;
    r.long2 = 3;
    r.long3 = 4;
    r.byte1 = 5;
    r.text = "Valcorvina";
    r.int1 = 610;
    r.int2 = 7;
    r.int3 = 8;
    r.int4 = 9;
    r.int5 = 10;
    r.byte2 = 11;
    r.byte3 = 12;
    r.byte4 = 13;
    r.byte5 = 14;
    r.long4 = 32242;
    std::string out;
    encode_record(out, r);
    ASSERT_EQ(out.size(), 44u);
    EXPECT_EQ(get_u8(out, 0), 1);
    EXPECT_EQ(get_i32(out, 1), 2);
    EXPECT_EQ(get_i32(out, 5), 3);
    EXPECT_EQ(get_i32(out, 9), 4);
    EXPECT_EQ(get_u8(out, 13), 5);
    EXPECT_EQ(out.substr(14, 2), bytes({0x0A, 0}));
    EXPECT_EQ(out.substr(16, 10), "Valcorvina");
    EXPECT_EQ(out.substr(26, 2), bytes({0x62, 0x02}));
    EXPECT_EQ(get_i16(out, 28), 7);
    EXPECT_EQ(get_i16(out, 34), 10);
    EXPECT_EQ(get_u8(out, 36), 11);
    EXPECT_EQ(get_u8(out, 39), 14);
    EXPECT_EQ(get_i32(out, 40), 32242);
}

TEST(ScenarioRecordsFile, TextTooLongForItsLengthField) {
    ScenarioRecord r;
    r.text.assign(40000, 'x');
    std::string out;
    EXPECT_THROW(encode_record(out, r), std::length_error);
}

TEST(LineGeometryFile, TaggedValuesXHalfThenYHalf) {
    Track track;
    track.create(6);
    track.set_int16(0, Track::x, 0);
    track.set_int16(0, Track::y, 0);
    track.set_int16(1, Track::x, 0);
    track.set_int16(1, Track::y, 1);
    for (int m = 2; m <= 4; ++m) {
        track.set_real(m, Track::x, 0.5 * m);
        track.set_real(m, Track::y, m);
    }
    TempFolder folder;
    const std::string path = folder.file("Linea_linea.dat");
    write_file(path, std::string(100000, 'z'));  // an older, longer file
    write_line_geometry(track, path);
    const std::string out = read_file(path);
    ASSERT_EQ(out.size(), 24u + 20 * (6 - 3));
    EXPECT_EQ(out.substr(0, 10), bytes({2, 0, 0, 0, 2, 0, 0, 0, 5, 0}));
    EXPECT_EQ(get_f64(out, 10), 1.0);
    EXPECT_EQ(get_f64(out, 20), 1.5);
    EXPECT_EQ(get_f64(out, 30), 2.0);
    EXPECT_EQ(out.substr(38, 4), bytes({0, 0, 0, 0}));  // metres 5 and 6: bare empty tags
    const std::size_t y = 42;
    EXPECT_EQ(out.substr(y, 8), bytes({2, 0, 0, 0, 2, 0, 1, 0}));
    EXPECT_EQ(get_f64(out, y + 10), 2.0);
    EXPECT_EQ(out.substr(out.size() - 4), bytes({0, 0, 0, 0}));
}

TEST(LineGeometryFile, FullSizeRoute) {
    Track track;
    track.create(225000);
    track.set_int16(0, Track::x, 0);
    track.set_int16(0, Track::y, 0);
    track.set_int16(1, Track::x, 0);
    track.set_int16(1, Track::y, 1);
    for (int m = 2; m <= 224998; ++m) {
        track.set_real(m, Track::x, 0);
        track.set_real(m, Track::y, m);
    }
    TempFolder folder;
    const std::string path = folder.file("g.dat");
    write_line_geometry(track, path);
    EXPECT_EQ(read_file(path).size(), 4499964u);
}

// Small tables whose every byte is known: the runs the writer finds in the
// table (integers, doubles, empty entries) in every order they can come.
struct GeometryCase {
    const char* name;
    std::int32_t last_metre;
    // Entries set, in order: metre, coordinate, tag, value.
    std::vector<std::tuple<int, int, TrackTag, double>> entries;
    std::string bytes;
};

const std::string two = bytes({5, 0, 0, 0, 0, 0, 0, 0, 0, 0x40});      // 2.0 behind its tag
const std::string half = bytes({5, 0, 0, 0, 0, 0, 0, 0, 0xE0, 0x3F});  // 0.5
const std::string minus_two = bytes({2, 0, 0xFE, 0xFF});               // the integer -2
const std::string empty_tag = bytes({0, 0});

class LineGeometryBytes : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(LineGeometryBytes, EveryRunAsTheFileHoldsIt) {
    const GeometryCase& c = GetParam();
    Track track;
    track.create(c.last_metre);
    for (const auto& [metre, coordinate, tag, value] : c.entries) {
        if (tag == TrackTag::int16) track.set_int16(metre, coordinate, static_cast<std::int16_t>(value));
        if (tag == TrackTag::real) track.set_real(metre, coordinate, value);
    }
    TempFolder folder;
    const std::string path = folder.file("g.dat");
    write_line_geometry(track, path);
    EXPECT_EQ(read_file(path), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, LineGeometryBytes,
    ::testing::Values(GeometryCase{"OneEmptyMetre", 0, {}, empty_tag + empty_tag},
                      GeometryCase{"StartPointsOnly",
                                   1,
                                   {{0, Track::x, TrackTag::int16, 0},
                                    {0, Track::y, TrackTag::int16, 0},
                                    {1, Track::x, TrackTag::int16, 0},
                                    {1, Track::y, TrackTag::int16, 1}},
                                   bytes({2, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 2, 0, 1, 0})},
                      // A reading abandoned after metre 2: metres 3 to 5 stay empty.
                      GeometryCase{"AbandonedHalfWay",
                                   5,
                                   {{0, Track::x, TrackTag::int16, 0},
                                    {0, Track::y, TrackTag::int16, 0},
                                    {1, Track::x, TrackTag::int16, 0},
                                    {1, Track::y, TrackTag::int16, 1},
                                    {2, Track::x, TrackTag::real, 0.5},
                                    {2, Track::y, TrackTag::real, 2}},
                                   bytes({2, 0, 0, 0, 2, 0, 0, 0}) + half + empty_tag + empty_tag + empty_tag +
                                       bytes({2, 0, 0, 0, 2, 0, 1, 0}) + two + empty_tag + empty_tag + empty_tag},
                      // A curve that runs past the table fills it to its last metre.
                      GeometryCase{"DoublesToTheLastMetre",
                                   2,
                                   {{1, Track::x, TrackTag::real, 2},
                                    {2, Track::x, TrackTag::real, 0.5},
                                    {0, Track::y, TrackTag::real, 2},
                                    {1, Track::y, TrackTag::real, 2},
                                    {2, Track::y, TrackTag::real, 2}},
                                   empty_tag + two + half + two + two + two},
                      // What a decoded file may hold: an integer between doubles, an empty
                      // entry between integers, a double set twice.
                      GeometryCase{"MixedEntries",
                                   3,
                                   {{0, Track::x, TrackTag::real, 0.5},
                                    {1, Track::x, TrackTag::int16, -2},
                                    {2, Track::x, TrackTag::real, 2},
                                    {0, Track::y, TrackTag::int16, -2},
                                    {2, Track::y, TrackTag::int16, -2},
                                    {3, Track::y, TrackTag::real, 0.5},
                                    {3, Track::y, TrackTag::real, 2}},
                                   half + minus_two + two + empty_tag + minus_two + empty_tag + minus_two + two}),
    [](const ::testing::TestParamInfo<GeometryCase>& param) { return std::string(param.param.name); });

// Long runs go out in pieces: every metre around the seams between them, and
// between the halves, comes back as it was set.
TEST(LineGeometryFile, LongRunsDecodeAsTheTableHoldsThem) {
    Track track;
    track.create(80000);
    for (int m = 0; m <= 79000; ++m) {
        if (m == 30000 || m == 50001) continue;  // empty entries inside the runs
        track.set_real(m, Track::x, 0.25 * m);
        track.set_real(m, Track::y, -0.5 * m);
    }
    track.set_int16(60000, Track::y, 7);
    TempFolder folder;
    const std::string path = folder.file("g.dat");
    write_line_geometry(track, path);
    std::size_t metres = 0;
    const std::vector<TrackValue> values = decode_line_geometry(read_file(path), metres);
    ASSERT_EQ(metres, 80001u);
    std::size_t differing = 0;
    for (int coordinate : {Track::x, Track::y}) {
        for (std::size_t m = 0; m < metres; ++m) {
            const std::size_t at = (coordinate == Track::y ? metres : 0) + m;
            if (values[at] != track.at(static_cast<std::int64_t>(m), coordinate)) ++differing;
        }
    }
    EXPECT_EQ(differing, 0u);
}

// A built track is written from its runs, a piece at a time into both
// halves: the file is the one its entries make when set one at a time,
// however far it was built and across the seams between pieces.
struct BuiltCase {
    const char* name;
    std::int32_t last_metre;
    bool started;
    std::vector<TrackRun> runs;  // built in order; one past the end stops the building
};

std::string written(const Track& track) {
    TempFolder folder;
    const std::string path = folder.file("g.dat");
    write_line_geometry(track, path);
    return read_file(path);
}

TEST(LineGeometryFile, BuiltTracksAsTheirEntriesSetOneByOne) {
    const BuiltCase cases[] = {
        {"never started", 5, false, {}},
        {"one metre, start stopped", 0, true, {}},
        {"started only", 5, true, {}},
        {"built part of the way", 40000, true, {{20000, false, 0.0}, {35000, true, 0.001}}},
        {"runs past the end", 40000, true, {{10, true, -0.002}, {30000, false, 0.0}, {50000, true, 0.003}}},
        {"a curve of k = 0", 9, true, {{9, true, 0.0}}},
    };
    for (const BuiltCase& c : cases) {
        SCOPED_TRACE(c.name);
        Track built;
        built.create(c.last_metre);
        try {
            if (c.started) built.start();
            for (const TrackRun& run : c.runs) built.build(run.last, run.curved, run.k);
        } catch (const ReadFault&) {
            // the building stops at the first metre outside the table
        }
        Track one_by_one;
        one_by_one.create(c.last_metre);
        for (int coordinate : {Track::x, Track::y}) {
            for (std::int64_t m = 0; m <= c.last_metre; ++m) {
                const TrackValue v = built.at(m, coordinate);
                if (v.tag == TrackTag::int16) one_by_one.set_int16(m, coordinate, static_cast<std::int16_t>(v.value));
                if (v.tag == TrackTag::real) one_by_one.set_real(m, coordinate, v.value);
            }
        }
        EXPECT_EQ(written(built), written(one_by_one));
    }
    Track started;
    started.create(2);
    started.start();
    EXPECT_EQ(written(started), bytes({2, 0, 0, 0, 2, 0, 0, 0, 0, 0, 2, 0, 0, 0, 2, 0, 1, 0, 0, 0}));
}

TEST(LineGeometryFile, ATableThatKeepsNoValuesIsNotWritten) {
    Track track;
    track.create_bounds_only(10);
    TempFolder folder;
    EXPECT_THROW(write_line_geometry(track, folder.file("g.dat")), std::logic_error);
}

TEST(BinaryFiles, OlderLongerFilesAreReplaced) {
    RouteModel model;
    model.create_cells(2);
    TempFolder folder;
    const std::string sim = folder.file("a.sim");
    const std::string dat = folder.file("a.dat");
    write_file(sim, std::string(9000, 'x'));
    write_file(dat, std::string(9000, 'x'));
    write_scenario_records(model, sim);
    write_route_cells(model, dat);
    EXPECT_EQ(read_file(sim), std::string(2958, '\0'));
    EXPECT_EQ(read_file(dat), std::string(45, '\0'));
}

}  // namespace
}  // namespace scenario
