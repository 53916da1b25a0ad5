#include "reader/signal_recorders.h"

#include "model/error_codes.h"
#include "model/packing.h"
#include "model/placement.h"

namespace scenario {

void memo_segnale(RouteModel& model, std::int32_t posizione, std::int32_t& sx, std::int32_t& s1, std::int32_t& s2,
                  std::int32_t& s3, std::int32_t& rapp, std::int32_t& dx, std::int32_t& d1, std::int32_t& d2,
                  std::int32_t& d3, std::int32_t& tempo, ReadObserver* observer) {
    const std::int64_t c = point_cell(posizione);
    RouteCell& cell = model.cell(c);
    if (!is_free(cell)) {
        model.errorCode = value_of(ErrorCode::signal_cell_taken);
        return;
    }
    cell.kind = cell_kind::signal;
    cell.data4 = pack_signal_kind(rapp, sx, dx);
    cell.data1 = pack_signal_codes(s1, d1);
    cell.data2 = pack_signal_codes(s2, d2);
    cell.data3 = pack_signal_codes(s3, d3);
    tempo = signal_time(tempo);
    cell.data5 = pack_signal_time(sx, tempo);
    if (observer != nullptr) observer->placed(c, cell_kind::signal);

    const std::uint8_t type = signal_type_byte(sx, dx);
    for (int k = 1; k <= approach_cells; ++k) {
        const std::int64_t approach = c - std::int64_t{signal_approach_spacing} * k;
        if (approach < 0) break;  // a signal this close to the start has no room for them
        model.cell(approach).approachCode = pack_approach_code(type, k);
        if (observer != nullptr) observer->approach_code(approach, pack_approach_code(type, k));
    }
}

void memo_rallentamento(RouteModel& model, std::int32_t x, std::int32_t& v, std::int32_t& l, std::int32_t& f_tt,
                        std::int32_t f_ta, std::int32_t& d_v, ReadObserver* observer) {
    const bool with_warning = x > warning_board_from;
    if (!with_warning) f_ta = 0;
    std::int64_t w = 0;
    if (with_warning) {
        w = point_cell(std::int64_t{x} - warning_distance);
        if (!is_free(model.cell(w))) {
            model.errorCode = value_of(ErrorCode::warning_board_cell_taken);
            return;
        }
    }
    const std::int64_t s = point_cell(x);
    if (!is_free(model.cell(s))) {
        model.errorCode = value_of(ErrorCode::slowdown_start_cell_taken);
        return;
    }
    const std::int64_t e = point_cell(std::int64_t{x} + l);
    if (!is_free(model.cell(e))) {
        model.errorCode = value_of(ErrorCode::slowdown_end_cell_taken);
        return;
    }

    RouteCell& end_cell = model.cell(e);
    end_cell.kind = cell_kind::slowdown_end;
    if (d_v != 0) end_cell.data2 = low_16(d_v);
    RouteCell& start_cell = model.cell(s);
    start_cell.kind = cell_kind::slowdown_start;
    if (d_v != 0) start_cell.data2 = low_16(d_v);
    if (with_warning) {
        RouteCell& warning = model.cell(w);
        warning.kind = cell_kind::slowdown_warning;
        if (d_v != 0) warning.data2 = low_16(d_v);
        warning.data1 = low_16(v);
    }
    start_cell.data1 = low_16(v);
    end_cell.data1 = low_16(v);
    start_cell.data3 = low_16(f_tt);
    end_cell.data3 = low_16(f_tt);
    if (observer != nullptr) {
        observer->placed(e, cell_kind::slowdown_end);
        observer->placed(s, cell_kind::slowdown_start);
        if (with_warning) observer->placed(w, cell_kind::slowdown_warning);
    }

    // The four cells just before the warning cell.
    const std::int64_t a = property_cell(std::int64_t{x} - warning_distance);
    if (f_ta != 0) {
        for (int i = 0; i < approach_cells; ++i) {
            if (!is_free(model.cell(a - i))) {
                model.errorCode = value_of(ErrorCode::slowdown_approach_cell_taken);
                return;
            }
        }
        for (int i = 0; i < approach_cells; ++i) {
            RouteCell& approach = model.cell(a - i);
            approach.kind = cell_kind::slowdown_approach;
            approach.data1 = static_cast<std::int16_t>(i + 1);
            if (d_v != 0) approach.data2 = static_cast<std::int16_t>(i + 1);
            if (observer != nullptr) observer->placed(a - i, cell_kind::slowdown_approach);
        }
    }
}

}  // namespace scenario
