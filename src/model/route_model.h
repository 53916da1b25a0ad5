// The route model: route cells, scenario records, plan geometry, mountain
// spans and the scalars that the reader fills and the compactor writes out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/read_fault.h"
#include "model/track.h"

namespace scenario {

// One 50 m cell of the route. Field order and widths are those of the route
// cells file.
struct RouteCell {
    std::uint8_t kind = 0;
    std::int16_t data1 = 0;
    std::int16_t data2 = 0;
    std::int16_t data3 = 0;
    std::int16_t data4 = 0;
    std::uint8_t data5 = 0;
    std::uint8_t approachCode = 0;
    std::uint8_t mountainType = 0;
    std::uint8_t speedLimit = 0;
    std::uint8_t gradient = 0;
    std::uint8_t adhesion = 0;

    bool operator==(const RouteCell&) const = default;
};

// What a cell holds (RouteCell::kind).
namespace cell_kind {
inline constexpr std::uint8_t empty = 0;
inline constexpr std::uint8_t signal = 1;
inline constexpr std::uint8_t slowdown_end = 2;
inline constexpr std::uint8_t slowdown_start = 3;
inline constexpr std::uint8_t slowdown_warning = 4;
inline constexpr std::uint8_t slowdown_approach = 5;
inline constexpr std::uint8_t speed_boards = 6;
inline constexpr std::uint8_t station_stop = 10;
inline constexpr std::uint8_t mountain_marker = 11;
inline constexpr std::uint8_t restriction = 12;
inline constexpr std::uint8_t restriction_without_speed = 13;
inline constexpr std::uint8_t roadside_sign = 14;
}  // namespace cell_kind

// A cell is free for a point item when it is empty or holds only a
// mountain marker.
inline bool is_free(const RouteCell& cell) {
    return cell.kind == cell_kind::empty || cell.kind == cell_kind::mountain_marker;
}

// One element of the scenario records table. Field order and widths are
// those of the scenario records file.
struct ScenarioRecord {
    std::uint8_t tag = 0;
    std::int32_t long1 = 0;
    std::int32_t long2 = 0;
    std::int32_t long3 = 0;
    std::uint8_t byte1 = 0;
    std::string text;
    std::int16_t int1 = 0;
    std::int16_t int2 = 0;
    std::int16_t int3 = 0;
    std::int16_t int4 = 0;
    std::int16_t int5 = 0;
    std::uint8_t byte2 = 0;
    std::uint8_t byte3 = 0;
    std::uint8_t byte4 = 0;
    std::uint8_t byte5 = 0;
    std::int32_t long4 = 0;

    bool operator==(const ScenarioRecord&) const = default;
};

// Fixed places in the records table.
namespace record_index {
inline constexpr int first_station = 1;
inline constexpr int first_sign = 80;
inline constexpr int break_tre = 81;
inline constexpr int break_due = 82;
inline constexpr int break_uno = 83;
inline constexpr int train_sizes = 84;
inline constexpr int identity = 85;
inline constexpr int repetition = 86;
inline constexpr int last = 86;
}  // namespace record_index

inline constexpr int record_count = record_index::last + 1;
// The longest text a record can carry: its length is written in 16 bits.
inline constexpr std::size_t longest_record_text = 32767;
inline constexpr int mountain_table_last = 80;

// The whole route model of one run.
struct RouteModel {
    std::string title;
    std::string trainCode;
    std::string currentField;
    std::int32_t withGeometry = 0;
    std::int32_t trackLength = 0;
    std::int32_t cellCount = 0;
    std::int32_t mountainCount = 0;
    std::int32_t errorCode = 0;
    std::int32_t errorPosition = 0;

    std::array<ScenarioRecord, record_count> records{};
    // Indexes 0 to cellCount once the route length has been read; empty
    // before.
    std::vector<RouteCell> cells;
    // Metres 0 to trackLength once created; absent when withGeometry is 0.
    Track track;
    std::array<std::int32_t, mountain_table_last + 1> mountainStart{};
    std::array<std::int32_t, mountain_table_last + 1> mountainEnd{};

    bool has_cells() const { return !cells.empty(); }

    // Checked access: an index outside the table is a ReadFault, never an
    // access outside memory. Inline, as the readers fill running properties
    // cell by cell along the whole route.
    RouteCell& cell(std::int64_t index) {
        if (index < 0 || index >= static_cast<std::int64_t>(cells.size())) refuse_cell(index);
        return cells[static_cast<std::size_t>(index)];
    }
    const RouteCell& cell(std::int64_t index) const { return const_cast<RouteModel*>(this)->cell(index); }
    ScenarioRecord& record(std::int64_t index);
    // Stores a text read from a description into a record; a text too long
    // for the records file is a ReadFault.
    static void store_text(ScenarioRecord& record, const std::string& text);
    // The ReadFault of cell(index) for an index outside the table.
    [[noreturn]] void refuse_cell(std::int64_t index) const;

    // Creates the cells 0 to cellCount, all fields 0, discarding any earlier
    // table.
    void create_cells(std::int32_t count);
    // Clears every record: numbers 0, texts empty.
    void clear_records();
};

}  // namespace scenario
