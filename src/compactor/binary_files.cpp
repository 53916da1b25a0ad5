#include "compactor/binary_files.h"

#include <stdexcept>

#include "compactor/little_endian.h"
#include "io/file_system.h"
#include "model/zeroed_block.h"

namespace scenario {

void encode_record(std::string& out, const ScenarioRecord& record) {
    if (record.text.size() > longest_record_text) {
        throw std::length_error("a record text of " + std::to_string(record.text.size()) +
                                " bytes does not fit its 16-bit length");
    }
    put_u8(out, record.tag);
    put_i32(out, record.long1);
    put_i32(out, record.long2);
    put_i32(out, record.long3);
    put_u8(out, record.byte1);
    put_u16(out, static_cast<std::uint16_t>(record.text.size()));
    out += record.text;
    put_i16(out, record.int1);
    put_i16(out, record.int2);
    put_i16(out, record.int3);
    put_i16(out, record.int4);
    put_i16(out, record.int5);
    put_u8(out, record.byte2);
    put_u8(out, record.byte3);
    put_u8(out, record.byte4);
    put_u8(out, record.byte5);
    put_i32(out, record.long4);
}

void encode_cell(std::string& out, const RouteCell& cell) {
    put_u8(out, cell.kind);
    put_i16(out, cell.data1);
    put_i16(out, cell.data2);
    put_i16(out, cell.data3);
    put_i16(out, cell.data4);
    put_u8(out, cell.data5);
    put_u8(out, cell.approachCode);
    put_u8(out, cell.mountainType);
    put_u8(out, cell.speedLimit);
    put_u8(out, cell.gradient);
    put_u8(out, cell.adhesion);
}

std::string encode_records(const RouteModel& model) {
    std::string out;
    for (const ScenarioRecord& record : model.records) encode_record(out, record);
    return out;
}

std::string encode_cells(const RouteModel& model) {
    std::string out;
    out.reserve(model.cells.size() * 15);
    for (const RouteCell& cell : model.cells) encode_cell(out, cell);
    return out;
}

void write_line_geometry(const Track& track, const std::string& path) {
    replace_and_write(path, [&](OutputFile& out) {
        // x for every metre, then y; each value behind its type tag. Written
        // in pieces so that the whole file never sits in memory. A piece
        // fills one huge page: few writes, and a single page fault.
        constexpr std::size_t longest_value = 10;
        const ZeroedBlock chunk(std::size_t{2} << 20);
        const std::size_t chunk_size = chunk.size() - longest_value;
        char* const begin = reinterpret_cast<char*>(chunk.data());
        char* at = begin;
        for (int coordinate : {Track::x, Track::y}) {
            const std::span<const std::uint8_t> tags = track.tags(coordinate);
            const std::span<const double> values = track.values(coordinate);
            for (std::size_t m = 0; m < tags.size(); ++m) {
                const auto tag = static_cast<TrackTag>(tags[m]);
                at = store_u16(at, static_cast<std::uint16_t>(tag));
                if (tag == TrackTag::int16) {
                    at = store_u16(at, static_cast<std::uint16_t>(static_cast<std::int16_t>(values[m])));
                }
                if (tag == TrackTag::real) at = store_f64(at, values[m]);
                if (static_cast<std::size_t>(at - begin) >= chunk_size) {
                    out.write(std::string_view(begin, static_cast<std::size_t>(at - begin)));
                    at = begin;
                }
            }
        }
        out.write(std::string_view(begin, static_cast<std::size_t>(at - begin)));
    });
}

void write_scenario_records(const RouteModel& model, const std::string& path) {
    const std::string bytes = encode_records(model);
    replace_and_write(path, [&](OutputFile& out) { out.write(bytes); });
}

void write_route_cells(const RouteModel& model, const std::string& path) {
    const std::string bytes = encode_cells(model);
    replace_and_write(path, [&](OutputFile& out) { out.write(bytes); });
}

}  // namespace scenario
