#include "tool/drawing/compiled_scenario.h"

#include <algorithm>

#include "compactor/binary_decoding.h"
#include "io/file_system.h"
#include "model/placement.h"
#include "reader/line_reader.h"
#include "tool/base/compaction.h"
#include "tool/base/compiled_sizes.h"
#include "tool/base/exit_status.h"
#include "tool/base/failures.h"

namespace scenario::tool {

namespace {

// The plan geometry and cells of the longest route the reader accepts: files
// larger than that hold no scenario.
constexpr std::int64_t longest_track = std::int64_t{longest_route} + geometry_beyond_route;
constexpr std::size_t most_metres = longest_track + 1;
constexpr std::size_t most_cells = longest_track / cell_metres + 1;

std::string read_file(const std::string& path) {
    try {
        return read_whole_file(path);
    } catch (const FileError& unreadable) {
        throw CommandFailure(exit_status::no_input, unreadable.what());
    }
}

template <typename Decode>
auto decoded(const std::string& path, Decode decode) {
    const std::string bytes = read_file(path);
    try {
        return decode(bytes);
    } catch (const DecodeError& bad) {
        throw CompiledFileError(path, bad.what());
    }
}

}  // namespace

RouteModel read_compiled(const CompiledFiles& files) {
    RouteModel model;
    const std::vector<ScenarioRecord> records =
        decoded(files.records, [](std::string_view bytes) { return decode_records(bytes); });
    std::copy_n(records.begin(), std::min<std::size_t>(records.size(), record_count), model.records.begin());
    model.cells = decoded(files.cells, [&](std::string_view bytes) {
        std::vector<RouteCell> cells = decode_cells(bytes);
        require_route_cells(cells.size(), model.records[record_index::train_sizes], files.records);
        return cells;
    });
    if (model.cells.empty()) throw CompiledFileError(files.cells, "the file holds no route cells");
    if (model.cells.size() > most_cells) {
        throw CompiledFileError(files.cells, "the file holds " + std::to_string(model.cells.size()) +
                                                 " route cells, more than the longest route has (" +
                                                 std::to_string(most_cells) + ")");
    }
    model.cellCount = static_cast<std::int32_t>(model.cells.size() - 1);
    model.title = model.records[record_index::identity].text;
    model.trainCode = model.records[record_index::repetition].text;
    if (files.geometry.empty()) return model;

    std::size_t metres = 0;
    const std::vector<TrackValue> values =
        decoded(files.geometry, [&metres](std::string_view bytes) { return decode_line_geometry(bytes, metres); });
    if (metres == 0) return model;
    if (metres > most_metres) {
        throw CompiledFileError(files.geometry, "the plan geometry holds " + std::to_string(metres) +
                                                    " metres, more than the longest route has (" +
                                                    std::to_string(most_metres) + ")");
    }
    model.withGeometry = 1;
    model.trackLength = static_cast<std::int32_t>(metres - 1);
    model.track.create(model.trackLength);
    for (int coordinate : {Track::x, Track::y}) {
        const std::size_t half = coordinate == Track::x ? 0 : metres;
        for (std::size_t m = 0; m < metres; ++m) {
            const TrackValue& v = values[half + m];
            if (v.tag == TrackTag::int16) {
                model.track.set_int16(static_cast<std::int64_t>(m), coordinate, static_cast<std::int16_t>(v.value));
            } else if (v.tag == TrackTag::real) {
                model.track.set_real(static_cast<std::int64_t>(m), coordinate, v.value);
            }
        }
    }
    return model;
}

}  // namespace scenario::tool
