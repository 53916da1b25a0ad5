#include "model/route_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace scenario {
namespace {

TEST(RouteModel, CellAccessOutsideTheTableIsAReadFault) {
    RouteModel model;
    EXPECT_THROW(model.cell(0), ReadFault);  // no cells before a route length
    model.create_cells(4500);
    EXPECT_EQ(model.cells.size(), 4501u);
    EXPECT_NO_THROW(model.cell(0));
    EXPECT_NO_THROW(model.cell(4500));
    EXPECT_THROW(model.cell(4501), ReadFault);
    EXPECT_THROW(model.cell(-1), ReadFault);
    EXPECT_THROW(model.create_cells(-1), ReadFault);
}

TEST(RouteModel, RecordsAreIndexedZeroTo86AndClearedWhole) {
    RouteModel model;
    EXPECT_EQ(model.records.size(), 87u);
    EXPECT_THROW(model.record(87), ReadFault);
    EXPECT_THROW(model.record(-1), ReadFault);
    model.record(86).text = "IC 318";
    model.record(1).long4 = 7;
    model.clear_records();
    for (const ScenarioRecord& r : model.records) EXPECT_EQ(r, ScenarioRecord{});
}

TEST(RouteModel, FreeCellsAreEmptyOrMountainMarkers) {
    for (int kind = 0; kind <= 14; ++kind) {
        RouteCell cell;
        cell.kind = static_cast<std::uint8_t>(kind);
        EXPECT_EQ(is_free(cell), kind == 0 || kind == 11) << kind;
    }
}

TEST(Track, EntriesKeepTheirTypeAndIndexesAreChecked) {
    Track track;
    EXPECT_FALSE(track.exists());
    EXPECT_THROW(track.set_int16(0, Track::x, 0), ReadFault);
    track.create(10);
    EXPECT_EQ(track.last_metre(), 10);
    EXPECT_EQ(track.at(10, Track::y), (TrackValue{TrackTag::empty, 0.0}));
    track.set_int16(1, Track::y, 1);
    track.set_real(2, Track::x, -0.0001);
    EXPECT_EQ(track.at(1, Track::y), (TrackValue{TrackTag::int16, 1.0}));
    EXPECT_EQ(track.at(1, Track::x).tag, TrackTag::empty);
    EXPECT_EQ(track.at(2, Track::x), (TrackValue{TrackTag::real, -0.0001}));
    EXPECT_THROW(track.at(11, Track::x), ReadFault);
    EXPECT_THROW(track.set_real(-1, Track::x, 0), ReadFault);
    EXPECT_THROW(track.at(0, 2), ReadFault);
    EXPECT_THROW(track.create(-1), ReadFault);
}

// A route long enough for the table to go on huge pages, created twice as a
// second route length in one description does: the second table starts empty
// again, and a moved-from table is absent.
TEST(Track, RecreatedLongTableStartsEmpty) {
    Track track;
    track.create(225000);
    track.set_real(225000, Track::y, 196700.9);
    track.set_int16(0, Track::x, -7);
    track.create(300000);
    EXPECT_EQ(track.last_metre(), 300000);
    for (std::int64_t metre : {0, 1, 225000, 300000}) {
        EXPECT_EQ(track.at(metre, Track::x), TrackValue{}) << metre;
        EXPECT_EQ(track.at(metre, Track::y), TrackValue{}) << metre;
    }
    const auto tags = track.tags(Track::y);
    EXPECT_EQ(tags.size(), 300001u);
    EXPECT_TRUE(std::all_of(tags.begin(), tags.end(), [](std::uint8_t t) { return t == 0; }));

    track.set_real(300000, Track::y, 1.5);
    Track moved = std::move(track);
    // What a moved-from track holds is what is tested here.
    EXPECT_FALSE(track.exists());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(track.last_metre(), -1);
    EXPECT_EQ(moved.at(300000, Track::y), (TrackValue{TrackTag::real, 1.5}));
    EXPECT_EQ(moved.values(Track::y).back(), 1.5);
    moved.clear();
    EXPECT_FALSE(moved.exists());
    EXPECT_THROW(moved.at(0, Track::x), ReadFault);
}

// A piece of the file's bytes ends where its run ends or at the limit asked
// for, whichever comes first; there is no piece past the table.
TEST(Track, FilePiecesStopAtTheirLimit) {
    Track track;
    track.create(9);
    for (int m = 2; m <= 6; ++m) track.set_real(m, Track::x, m);
    struct Case {
        std::size_t from, most, end, bytes;
    };
    for (const Case& c : {Case{2, 3, 5, 30}, Case{2, 100, 7, 50}, Case{7, 2, 9, 4}, Case{7, 100, 10, 6}}) {
        const Track::Piece piece = track.file_piece(Track::x, c.from, c.most);
        EXPECT_EQ(piece.end, c.end) << c.from << " " << c.most;
        EXPECT_EQ(piece.bytes.size(), c.bytes) << c.from << " " << c.most;
    }
    EXPECT_THROW(track.file_piece(Track::x, 10, 1), std::logic_error);
    EXPECT_THROW(track.file_piece(Track::x, 0, 0), std::logic_error);
}

// A table that keeps no values reads empty through every accessor, and
// moving it leaves no table behind.
TEST(Track, BoundsOnlyTableReadsEmpty) {
    Track track;
    track.create_bounds_only(20);
    track.set_real(20, Track::x, 1.5);
    track.set_int16(0, Track::y, 3);
    EXPECT_EQ(track.at(20, Track::x), TrackValue{});
    EXPECT_EQ(track.values(Track::x)[20], 0.0);
    EXPECT_EQ(track.tags(Track::y)[0], 0);
    EXPECT_EQ(track.tags(Track::y).size(), 21u);
    EXPECT_THROW(track.set_real(21, Track::x, 0), ReadFault);
    const Track moved = std::move(track);
    EXPECT_EQ(moved.last_metre(), 20);
    EXPECT_FALSE(track.exists());  // NOLINT(bugprone-use-after-move)
}

}  // namespace
}  // namespace scenario
