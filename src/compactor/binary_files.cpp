#include "compactor/binary_files.h"

#include <stdexcept>

#include "compactor/file_layout.h"
#include "compactor/little_endian.h"
#include "io/file_system.h"
#include "model/zeroed_block.h"

namespace scenario {

void encode_record(std::string& out, const ScenarioRecord& record) {
    layout::record_fields(record, [&out]<typename Field>(const char*, const Field& field) {
        if constexpr (std::is_same_v<Field, std::string>) {
            if (field.size() > layout::longest_text) {
                throw std::length_error("a record text of " + std::to_string(field.size()) +
                                        " bytes does not fit its 16-bit length");
            }
            put_u16(out, static_cast<std::uint16_t>(field.size()));
            out += field;
        } else {
            put(out, field);
        }
    });
}

void encode_cell(std::string& out, const RouteCell& cell) {
    layout::cell_fields(cell, [&out](const char*, auto field) { put(out, field); });
}

std::string encode_records(const RouteModel& model) {
    std::string out;
    for (const ScenarioRecord& record : model.records) encode_record(out, record);
    return out;
}

std::string encode_cells(const RouteModel& model) {
    std::string out;
    out.reserve(model.cells.size() * layout::cell_size);
    for (const RouteCell& cell : model.cells) encode_cell(out, cell);
    return out;
}

void write_line_geometry(const Track& track, const std::string& path) {
    replace_and_write(path, [&](OutputFile& out) {
        // x for every metre, then y; each value behind its type tag. Written
        // in pieces so that the whole file never sits in memory. A piece
        // fills one huge page: few writes, and a single page fault.
        constexpr std::size_t longest_value = layout::geometry_tag_size + layout::geometry_value_size(TrackTag::real);
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
