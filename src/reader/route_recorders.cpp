#include "reader/route_recorders.h"

#include <array>

#include "model/error_codes.h"
#include "model/packing.h"
#include "model/placement.h"

namespace scenario {

namespace {

struct Break {
    std::int32_t position = 0;
    std::int32_t offset = 0;
    std::int32_t flag = 0;
};

Break break_of(const ScenarioRecord& r) { return {r.long1, r.long2, r.long3}; }

}  // namespace

void progressive_ordina(RouteModel& model) {
    const Break uno = break_of(model.records[record_index::break_uno]);
    const Break due = break_of(model.records[record_index::break_due]);
    const Break tre = break_of(model.records[record_index::break_tre]);
    const Break none{};
    // New contents of records 81, 82, 83, decided from the old values only.
    std::array<Break, 3> placed{tre, due, uno};

    std::int64_t sum = std::int64_t{uno.position} + due.position + tre.position;
    if (sum != 0) {
        auto greater = [](const Break& a, const Break& b) { return a.position > b.position; };
        if (greater(tre, uno) && greater(tre, due)) {
            // Of the other two the strictly greater goes first; a tie keeps "uno" first.
            placed = greater(due, uno) ? std::array<Break, 3>{tre, due, uno} : std::array<Break, 3>{tre, uno, due};
        } else if (greater(due, uno) && greater(due, tre)) {
            placed = greater(tre, uno) ? std::array<Break, 3>{due, tre, uno} : std::array<Break, 3>{due, uno, tre};
        } else if (greater(uno, due) && greater(uno, tre)) {
            placed = greater(tre, due) ? std::array<Break, 3>{uno, tre, due} : std::array<Break, 3>{uno, due, tre};
        } else {
            placed = {none, none, none};
        }
    } else if (uno.offset > 0) {
        placed = {uno, due, tre};
    } else if (due.offset > 0) {
        placed = {due, tre, uno};
    } else if (tre.offset > 0) {
        placed = {tre, due, uno};
    } else {
        placed = {none, none, none};
    }

    constexpr auto first_break = static_cast<std::size_t>(record_index::break_tre);
    for (std::size_t i = 0; i < placed.size(); ++i) {
        ScenarioRecord& r = model.records[first_break + i];
        const Break b = placed[i];
        r.long1 = b.position;
        r.long2 = pack_break_offset(b.offset, b.flag);
        r.long3 = b.flag;
    }
}

void memo_montagna(RouteModel& model, std::int32_t& inizio, std::int32_t& fine, std::int32_t& tipo,
                   ReadObserver* observer) {
    const MountainType asked = split_mountain_type(tipo);
    tipo = static_cast<std::int32_t>(asked.type);
    const bool markers = asked.markers;
    if (model.mountainCount >= mountain_table_last)
        throw ReadFault(Fault::too_many_mountain_spans, "more than 80 mountain spans");
    model.mountainCount += 1;
    const auto n = static_cast<std::size_t>(model.mountainCount);
    model.mountainStart[n] = inizio;
    model.mountainEnd[n] = fine;
    if (n > 1 && std::int64_t{model.mountainStart[n]} - model.mountainEnd[n - 1] <= mountain_span_gap) tipo = 3;

    const std::int64_t last = rounded_index(static_cast<double>(fine) / cell_length - 1.0);
    const std::int64_t first = rounded_index(static_cast<double>(inizio) / cell_length);
    std::int64_t count = 0;
    for (std::int64_t i = first; i <= last; ++i) {
        RouteCell& cell = model.cell(i);
        ++count;
        cell.mountainType = pack_mountain_type(tipo);
        if (markers && count % mountain_marker_spacing == 0 && cell.kind == cell_kind::empty) {
            cell.kind = cell_kind::mountain_marker;
            if (observer != nullptr) observer->placed(i, cell_kind::mountain_marker);
        }
    }
}

void memo_indicatori_v_max(RouteModel& model, std::int32_t posizione, std::int32_t& vas, std::int32_t& vbs,
                           std::int32_t& vcs, std::int16_t strisces, std::int32_t& vad, std::int32_t& vbd,
                           std::int32_t& vcd, std::int16_t strisced, ReadObserver* observer) {
    RouteCell& cell = model.cell(point_cell(posizione));
    if (!is_free(cell)) {
        model.errorCode = value_of(ErrorCode::speed_boards_cell_taken);
        return;
    }
    cell.kind = cell_kind::speed_boards;
    cell.data1 = pack_board_speeds(vas, vad);
    cell.data2 = pack_board_speeds(vbs, vbd);
    cell.data3 = pack_board_speeds(vcs, vcd);
    cell.data4 = pack_stripes(strisces, strisced);
    if (observer != nullptr) observer->placed(point_cell(posizione), cell_kind::speed_boards);
}

}  // namespace scenario
