// How the stored numbers of the route cells and records read in the author's
// terms: where a cell's item stands in metres, and how the packed values of
// speed boards and signals come apart. The reader and the recorders pack
// them; this is the one place where the tool unpacks them for showing.
#pragma once

#include <cstdint>

#include "model/route_model.h"

namespace scenario::tool {

inline constexpr std::int64_t cell_metres = 50;
// A cell's gradient byte is the gradient in per mille plus this.
inline constexpr int gradient_offset = 100;
// A cell's speed limit is stored in steps of this many km/h.
inline constexpr int speed_step = 5;

// A point item at p lands in cell round(p / 50 + 1): the cell stands for the
// position 50 (cell - 1). A restriction mark lands in cell round(p / 50).
inline std::int64_t point_item_metres(std::int64_t cell) { return cell_metres * (cell - 1); }
inline std::int64_t restriction_metres(std::int64_t cell) { return cell_metres * cell; }
inline std::int64_t cell_start(std::int64_t cell) { return cell_metres * cell; }

inline int gradient_per_mille(const RouteCell& cell) { return static_cast<int>(cell.gradient) - gradient_offset; }
inline int speed_limit_kmh(const RouteCell& cell) { return static_cast<int>(cell.speedLimit) * speed_step; }

// A speed board rank holds the left-hand speed times 20 plus a fifth of the
// right-hand speed; the stripe counts are left times 10 plus right.
inline constexpr int board_left_factor = 20;
inline constexpr int board_right_divisor = 5;
inline constexpr int stripes_left_factor = 10;
struct BoardRank {
    int left = 0;   // km/h
    int right = 0;  // km/h
};
inline BoardRank board_rank(std::int16_t packed) {
    return {packed / board_left_factor, (packed % board_left_factor) * board_right_divisor};
}

// A signal's data1 to data3 hold a left-hand code as tens and a right-hand
// code as units; data4 holds the tens digit rapp and the combined type
// sx * 3 + dx.
struct SignalCodes {
    int leftType = 0;   // sx
    int rightType = 0;  // dx
    int rapp = 0;
    int left[3] = {0, 0, 0};   // s1, s2, s3
    int right[3] = {0, 0, 0};  // d1, d2, d3
};
inline SignalCodes signal_codes(const RouteCell& cell) {
    SignalCodes codes;
    const int combined = cell.data4 % 10;
    codes.rapp = cell.data4 / 10;
    codes.leftType = combined / 3;
    codes.rightType = combined % 3;
    const std::int16_t packed[3] = {cell.data1, cell.data2, cell.data3};
    for (int i = 0; i < 3; ++i) {
        codes.left[i] = packed[i] / 10;
        codes.right[i] = packed[i] % 10;
    }
    return codes;
}

// A station's seventh code: the intermediate stops of a timetable carry their
// dwell time in seconds there (60 at the stops of the embedded run, whose
// sheet gives them a departure one minute after the arrival); 0 and 1 mark
// passing, values above 100 are codes of their own.
inline constexpr int shortest_dwell_seconds = 2;
inline constexpr int longest_dwell_seconds = 100;

}  // namespace scenario::tool
