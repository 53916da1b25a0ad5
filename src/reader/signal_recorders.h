// Recorders that the train reader calls to place signals and temporary
// slowdowns into the route cells.
#pragma once

#include <cstdint>

#include "model/route_model.h"
#include "reader/read_observer.h"

namespace scenario {

// A slowdown's warning board stands this far before its start, and only for
// slowdowns that start beyond warning_board_from.
inline constexpr std::int64_t warning_distance = 1200;
inline constexpr std::int64_t warning_board_from = 1500;
// Signals and slowdowns mark four approach cells: a signal every second cell
// before its own, a slowdown the four cells just before its warning board.
inline constexpr int approach_cells = 4;
inline constexpr int signal_approach_spacing = 2;

// Places a signal in cell round(posizione / 50 + 1) with its packed codes and
// writes approach codes on the 2nd, 4th, 6th and 8th cells before it (those
// that would fall before cell 0 are not written). A taken signal cell sets
// errorCode 16 and writes nothing. A tempo from 1 to 100 becomes 101.
void memo_segnale(RouteModel& model, std::int32_t posizione, std::int32_t& sx, std::int32_t& s1, std::int32_t& s2,
                  std::int32_t& s3, std::int32_t& rapp, std::int32_t& dx, std::int32_t& d1, std::int32_t& d2,
                  std::int32_t& d3, std::int32_t& tempo, ReadObserver* observer = nullptr);

// Places a slowdown: end, start and (beyond 1500 m) warning cells and, when
// f_ta is set, four approach cells before the warning cell. Sets errorCode
// 17 (warning), 18 (start), 19 (end) or 20 (approach) when a cell is taken.
void memo_rallentamento(RouteModel& model, std::int32_t x, std::int32_t& v, std::int32_t& l, std::int32_t& f_tt,
                        std::int32_t f_ta, std::int32_t& d_v, ReadObserver* observer = nullptr);

}  // namespace scenario
