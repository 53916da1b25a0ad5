#include "model/route_model.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace scenario
