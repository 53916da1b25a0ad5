#include "compactor/binary_files.h"

#include <stdexcept>

#include "compactor/file_layout.h"
#include "compactor/little_endian.h"
#include "io/file_system.h"

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
    // Stored field by field into text of the final size: the longest route
    // has twenty thousand cells.
    std::string out(model.cells.size() * layout::cell_size, '\0');
    char* at = out.data();
    for (const RouteCell& cell : model.cells) {
        layout::cell_fields(cell, [&at](const char*, auto field) { at = store(at, field); });
    }
    return out;
}

void write_line_geometry(const Track& track, const std::string& path) {
    static_assert(track_slot::size == layout::geometry_tag_size + layout::geometry_value_size(TrackTag::real) &&
                      track_slot::tag_size == layout::geometry_tag_size,
                  "a slot of the track holding a double is that double's bytes in the file");
    if (!track.keeps_values()) throw std::logic_error("a plan geometry that keeps no values cannot be written");
    replace_and_write(path, [&](OutputFile& out) {
        // x for every metre, then y. The track holds the file's own bytes, so
        // its runs of doubles go out as they stand, without a copy of the file
        // in memory. A piece is small enough that the bytes looked over to
        // find it are still in the cache when the system copies them.
        constexpr std::size_t piece_metres = 25000;
        const auto metres = static_cast<std::size_t>(track.last_metre() + 1);
        for (int coordinate : {Track::x, Track::y}) {
            for (std::size_t m = 0; m < metres;) {
                const Track::Piece piece = track.file_piece(coordinate, m, piece_metres);
                out.write(piece.bytes);
                m = piece.end;
            }
        }
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
