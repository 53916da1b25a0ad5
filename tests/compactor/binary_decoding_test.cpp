#include "compactor/binary_decoding.h"

#include <gtest/gtest.h>

#include "compactor/binary_files.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

RouteModel sample_model() {
    RouteModel model;
    model.records[1].text = "Brenzola";
    model.records[1].long1 = -500;
    model.records[1].long4 = 56850;
    model.records[85].int1 = 610;
    model.records[86].int5 = -3;
    model.create_cells(40);
    model.cells[22] = {1, 42, 11, 11, 8, 245, 81, 2, 25, 96, 90};
    return model;
}

TEST(BinaryDecoding, RecordsAndCellsRoundTrip) {
    const RouteModel model = sample_model();
    const auto records = decode_records(encode_records(model));
    ASSERT_EQ(records.size(), 87u);
    for (std::size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i], model.records[i]) << i;
    EXPECT_EQ(decode_cells(encode_cells(model)), model.cells);
}

TEST(BinaryDecoding, GeometryRoundTrip) {
    Track track;
    track.create(5);
    track.set_int16(0, Track::x, 0);
    track.set_int16(1, Track::y, 1);
    track.set_real(2, Track::x, -0.0001);
    testing::TempFolder folder;
    write_line_geometry(track, folder.file("g.dat"));
    std::size_t metres = 0;
    const auto values = decode_line_geometry(testing::read_file(folder.file("g.dat")), metres);
    ASSERT_EQ(metres, 6u);
    for (int m = 0; m <= 5; ++m) {
        EXPECT_EQ(values[static_cast<std::size_t>(m)], track.at(m, Track::x)) << m;
        EXPECT_EQ(values[6 + static_cast<std::size_t>(m)], track.at(m, Track::y)) << m;
    }
}

TEST(BinaryDecoding, LengthsThatDoNotFitAreRefusedWithTheirOffset) {
    const RouteModel model = sample_model();
    const std::string sim = encode_records(model);
    struct Case {
        std::string bytes;
        std::size_t offset;
    };
    const Case records_cases[] = {
        {sim.substr(0, sim.size() - 1), sim.size() - 18},  // inside the last record, after its header
        {sim.substr(0, 40), 34},                           // inside record 1's header
        {sim + "x", sim.size()},                           // a byte after the last record
        {"", 0},
    };
    for (const Case& c : records_cases) {
        try {
            decode_records(c.bytes);
            ADD_FAILURE() << c.bytes.size();
        } catch (const DecodeError& e) {
            EXPECT_EQ(e.offset(), c.offset) << c.bytes.size();
        }
    }
    const std::string dat = encode_cells(model);
    try {
        decode_cells(dat.substr(0, 100));
        ADD_FAILURE();
    } catch (const DecodeError& e) {
        EXPECT_EQ(e.offset(), 90u);
    }
    std::size_t metres = 0;
    const std::string bad_tag("\x02\x00\x00\x00\x07\x00", 6);
    try {
        decode_line_geometry(bad_tag, metres);
        ADD_FAILURE();
    } catch (const DecodeError& e) {
        EXPECT_EQ(e.offset(), 4u);
    }
    EXPECT_THROW(decode_line_geometry(std::string("\x05\x00\x01\x02", 4), metres), DecodeError);
    EXPECT_THROW(decode_line_geometry(std::string("\x00\x00", 2), metres), DecodeError);  // odd count
}

}  // namespace
}  // namespace scenario
