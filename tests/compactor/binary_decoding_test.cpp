#include "compactor/binary_decoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "compactor/binary_files.h"
#include "compactor/file_layout.h"
#include "reader/line_reader.h"
#include "support/description_files.h"
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

TEST(BinaryDecoding, GeometryMetresComeBackInAnyOrder) {
    // Several checkpoints' worth of metres, with values of every kind: a
    // metre is found the same way going forward, backward or jumping.
    constexpr std::int32_t last = 5 * GeometryDecoder::checkpoint_spacing + 17;
    Track track;
    track.create(last);
    for (std::int64_t m = 0; m <= last - 2; ++m) {
        if (m % 7 == 3) {
            track.set_int16(m, Track::x, static_cast<std::int16_t>(m % 1000));
        } else {
            track.set_real(m, Track::x, static_cast<double>(m) / 3.0);
        }
        track.set_real(m, Track::y, -static_cast<double>(m));
    }
    testing::TempFolder folder;
    write_line_geometry(track, folder.file("g.dat"));
    const std::string bytes = testing::read_file(folder.file("g.dat"));
    const MemorySource source(bytes);
    GeometryDecoder decoder(source);
    ASSERT_EQ(decoder.metres(), static_cast<std::size_t>(last) + 1);
    // Forward through every metre, backward across a checkpoint, then jumps.
    std::vector<std::size_t> forward(decoder.metres());
    std::iota(forward.begin(), forward.end(), 0);
    std::vector<std::size_t> backward;
    for (std::size_t m = 2 * GeometryDecoder::checkpoint_spacing + 20;
         m + 20 >= 2 * GeometryDecoder::checkpoint_spacing; --m) {
        backward.push_back(m);
    }
    std::mt19937 random(7);
    std::vector<std::size_t> jumps(200);
    for (std::size_t& m : jumps) m = random() % decoder.metres();
    for (const auto& metres : {forward, backward, jumps}) {
        for (std::size_t m : metres) {
            ASSERT_EQ(decoder.x(m), track.at(static_cast<std::int64_t>(m), Track::x)) << m;
            ASSERT_EQ(decoder.y(m), track.at(static_cast<std::int64_t>(m), Track::y)) << m;
        }
    }
}

TEST(BinaryDecoding, TheLargestFilesOfEachKindDecodeWhole) {
    // Every record with the longest text: texts cross the decoder's buffer
    // at every offset, and the file is as large as a records file can be.
    RouteModel model;
    for (std::size_t i = 0; i < model.records.size(); ++i) {
        model.records[i].text = std::string(layout::longest_text, static_cast<char>('a' + i % 26));
        model.records[i].long4 = static_cast<std::int32_t>(i);
    }
    const std::string sim = encode_records(model);
    EXPECT_EQ(sim.size(), largest_file_size(BinaryFile::records));
    const auto records = decode_records(sim);
    for (std::size_t i = 0; i < records.size(); ++i) ASSERT_EQ(records[i], model.records[i]) << i;

    // The cells of the longest route the reader accepts.
    testing::ScenarioFolder longest;
    longest.write_line(testing::line_description(longest_route, {}));
    longest.write_train(testing::train_description({"velocita, 0, 100", "aderenza, 0, 90"}));
    longest.read(0);
    ASSERT_EQ(longest.model.errorCode, 0);
    const std::string dat = encode_cells(longest.model);
    EXPECT_EQ(dat.size(), largest_file_size(BinaryFile::cells));
    EXPECT_EQ(decode_cells(dat), longest.model.cells);
}

}  // namespace
}  // namespace scenario
