#include "compactor/binary_files.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <vector>

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

namespace {

std::string_view chars(const std::byte* bytes, std::size_t count) {
    return {reinterpret_cast<const char*>(bytes), count};
}

// A track whose entries were set one at a time: x for every metre, then y,
// its runs of entries going out as they stand in its table. A piece is small
// enough that the bytes looked over to find it are still in the cache when
// the system copies them.
void write_table(const Track& track, OutputFile& out) {
    constexpr std::size_t piece_metres = 25000;
    const auto metres = static_cast<std::size_t>(track.last_metre() + 1);
    for (int coordinate : {Track::x, Track::y}) {
        for (std::size_t m = 0; m < metres;) {
            const Track::Piece piece = track.file_piece(coordinate, m, piece_metres);
            out.write(piece.bytes);
            m = piece.end;
        }
    }
}

// Metres 0 and 1 of one half: the integers start() set, else bare tags.
std::string start_bytes(const Track& track, int coordinate) {
    std::string bytes;
    for (std::int64_t metre = 0; metre < 2 && metre <= track.last_metre(); ++metre) {
        if (metre < track.start_metres()) {
            put_u16(bytes, static_cast<std::uint16_t>(TrackTag::int16));
            put_i16(bytes, Track::start_point(metre, coordinate));
        } else {
            put_u16(bytes, static_cast<std::uint16_t>(TrackTag::empty));
        }
    }
    return bytes;
}

// Bare tags of `metres` empty entries, at `offset`.
void write_empty_tags(OutputFile& out, std::uint64_t offset, std::uint64_t metres) {
    static constexpr char zeros[4096] = {};
    for (std::uint64_t bytes = metres * layout::geometry_tag_size; bytes > 0;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, sizeof zeros));
        out.write_at(offset, std::string_view(zeros, n));
        offset += n;
        bytes -= n;
    }
}

// A built track: the points are computed from its runs a piece at a time
// and each piece's x and y go to their places in the two halves, so no
// table of every point is made. Both halves have the same tags metre by
// metre: the start integers, the built doubles, then empty entries.
void write_built(const Track& track, OutputFile& out) {
    constexpr std::size_t piece_metres = 16384;
    const auto metres = static_cast<std::uint64_t>(track.last_metre() + 1);
    const std::uint64_t built = static_cast<std::uint64_t>(track.next_metre()) - 2;
    const std::uint64_t unbuilt = metres > 2 + built ? metres - 2 - built : 0;
    const std::string x_start = start_bytes(track, Track::x);
    const std::uint64_t half = x_start.size() + built * track_slot::size + unbuilt * layout::geometry_tag_size;

    std::uint64_t x_at = 0;
    std::uint64_t y_at = half;
    out.write_at(x_at, x_start);
    out.write_at(y_at, start_bytes(track, Track::y));
    x_at += x_start.size();
    y_at += x_start.size();
    std::vector<std::byte> slots(2 * piece_metres * track_slot::size);
    std::byte* const xs = slots.data();
    std::byte* const ys = xs + piece_metres * track_slot::size;
    Track::Points points(track);
    while (const std::size_t n = points.fill(xs, ys, piece_metres)) {
        const std::size_t bytes = n * track_slot::size;
        out.write_at(x_at, chars(xs, bytes));
        out.write_at(y_at, chars(ys, bytes));
        x_at += bytes;
        y_at += bytes;
    }
    write_empty_tags(out, x_at, unbuilt);
    write_empty_tags(out, y_at, unbuilt);
}

}  // namespace

void write_line_geometry(const Track& track, const std::string& path) {
    static_assert(track_slot::size == layout::geometry_tag_size + layout::geometry_value_size(TrackTag::real) &&
                      track_slot::tag_size == layout::geometry_tag_size,
                  "a slot of the track holding a double is that double's bytes in the file");
    if (!track.keeps_values()) throw std::logic_error("a plan geometry that keeps no values cannot be written");
    replace_and_write(path, [&](OutputFile& out) {
        if (track.set_one_by_one()) {
            write_table(track, out);
        } else {
            write_built(track, out);
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
