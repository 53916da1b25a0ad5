// Recorders that the line reader calls to put items of the line description
// into the route model: kilometre-point breaks, mountain spans and
// speed-limit boards.
#pragma once

#include <cstdint>

#include "model/route_model.h"
#include "reader/read_observer.h"

namespace scenario {

// A mountain span that begins within this many metres of the previous
// span's end becomes type 3; markers stand in every 4th cell of a span.
inline constexpr std::int64_t mountain_span_gap = 150;
inline constexpr int mountain_marker_spacing = 4;

// Reorders the three kilometre-point breaks (records 81 to 83) so that 81
// holds the greatest position, and adds 100 to the offset of every break
// whose flag is 1.
void progressive_ordina(RouteModel& model);

// Records one mountain span: its type over the span's cells and, for a tipo
// above 10, a marker in every 4th cell that is empty. A span beginning
// within 150 m of the previous span's end becomes type 3. `tipo` receives the
// type actually recorded. More than 80 spans is a ReadFault.
void memo_montagna(RouteModel& model, std::int32_t& inizio, std::int32_t& fine, std::int32_t& tipo,
                   ReadObserver* observer = nullptr);

// Records one set of speed-limit boards in cell round(posizione / 50 + 1);
// sets errorCode 21 when that cell is taken. A packed speed that does not fit
// 16 bits is a ReadFault.
void memo_indicatori_v_max(RouteModel& model, std::int32_t posizione, std::int32_t& vas, std::int32_t& vbs,
                           std::int32_t& vcs, std::int16_t strisces, std::int32_t& vad, std::int32_t& vbd,
                           std::int32_t& vcd, std::int16_t strisced, ReadObserver* observer = nullptr);

}  // namespace scenario
