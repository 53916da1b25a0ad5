// How the values of the descriptions are packed into the fields of the route
// cells and records, and how a stored field reads back: one pack and one
// unpack for every packed field. The reader stores with the packs, the tool
// shows and explains what is stored with the unpacks, so each rule is
// written once. A pack gives exactly what the reader stores, with its
// rounding and its wrapping into the field's width.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/placement.h"
#include "model/read_fault.h"
#include "model/rounding.h"

namespace scenario {

// ---- widths ----

// A value stored into a 16-bit field keeps its low 16 bits: the arithmetic
// wraps in that width ...
inline std::int16_t low_16(std::int64_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}
// ... and one stored into a byte its low 8 bits.
inline std::uint8_t low_8(std::int64_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

// ---- running properties of the cells ----

// A cell's gradient byte is the gradient in whole per mille plus this, so
// 100 is level and 89 is 11 per mille downhill; -100 to 155 fit.
inline constexpr std::int32_t gradient_offset = 100;
inline std::uint8_t pack_gradient(std::int64_t per_mille) { return low_8(per_mille + gradient_offset); }
inline int unpack_gradient(std::uint8_t stored) { return static_cast<int>(stored) - gradient_offset; }

// A cell's speed limit is the line speed in km/h over this step, rounded
// half to even: 127 km/h is stored as 25, read back as 125.
inline constexpr std::int32_t speed_limit_step = 5;
// The stored byte, or nothing when the rounded fifth does not fit a byte
// (from -2 to 1277 km/h it does).
inline std::optional<std::uint8_t> speed_limit_byte(std::int64_t kmh) {
    const double fifth = round_half_even(static_cast<double>(kmh) / speed_limit_step);
    if (!(fifth >= 0.0 && fifth <= 255.0)) return std::nullopt;
    return static_cast<std::uint8_t>(fifth);
}
// As the reader stores it: a speed that does not fit is a ReadFault.
inline std::uint8_t pack_speed_limit(std::int32_t kmh) {
    const std::optional<std::uint8_t> stored = speed_limit_byte(kmh);
    if (!stored) {
        throw ReadFault(Fault::value_out_of_range,
                        "a line speed of " + std::to_string(kmh) + " km/h does not fit the speed byte");
    }
    return *stored;
}
inline int unpack_speed_limit(std::uint8_t stored) { return static_cast<int>(stored) * speed_limit_step; }

// A cell's adhesion is the value as written, in one byte.
inline std::uint8_t pack_adhesion(std::int64_t value) { return low_8(value); }

// ---- mountain spans ----

// A span type above 10 asks for mountain markers and stands for the type 10
// less (12 is type 2 with markers); the type is stored in one byte.
inline constexpr std::int32_t mountain_markers_flag = 10;
struct MountainType {
    std::int64_t type = 0;
    bool markers = false;
};
inline MountainType split_mountain_type(std::int64_t tipo) {
    if (tipo > mountain_markers_flag) return {tipo - mountain_markers_flag, true};
    return {tipo, false};
}
inline std::uint8_t pack_mountain_type(std::int64_t type) { return low_8(type); }

// ---- speed boards ----

// Each rank of a speed-board cell (data1 to data3) holds the left-hand speed
// times 20 plus a fifth of the right-hand speed, in km/h.
inline constexpr int board_left_factor = 20;
inline constexpr int board_right_divisor = 5;
// The packed rank before it goes into 16 bits: the product is whole, the
// quotient exact, and the sum rounded (a fifth never ends in .5).
inline double board_speeds_sum(std::int64_t left, std::int64_t right) {
    return round_half_even(static_cast<double>(left * board_left_factor) +
                           static_cast<double>(right) / board_right_divisor);
}
// As the reader stores it: a sum outside 16 bits is a ReadFault.
inline std::int16_t pack_board_speeds(std::int32_t left, std::int32_t right) {
    return fit_int16(board_speeds_sum(left, right), "a packed board speed");
}
struct BoardSpeeds {
    std::int64_t left = 0;   // km/h
    std::int64_t right = 0;  // km/h
};
inline BoardSpeeds unpack_board_speeds(std::int64_t packed) {
    return {packed / board_left_factor, packed % board_left_factor * board_right_divisor};
}
// The two speeds come apart again only while the right-hand one is a
// multiple of 5 below 100 km/h.
inline constexpr std::int64_t board_right_limit = std::int64_t{board_left_factor} * board_right_divisor;
inline bool keeps_board_speeds_apart(std::int64_t right) {
    return right >= 0 && right < board_right_limit && right % board_right_divisor == 0;
}

// The stripe counts of a board cell (data4): left times 10 plus right, in
// 16-bit arithmetic.
inline constexpr int stripes_left_factor = 10;
inline std::int16_t pack_stripes(std::int16_t left, std::int16_t right) {
    return low_16(std::int64_t{left} * stripes_left_factor + right);
}
struct Stripes {
    int left = 0;
    int right = 0;
};
inline Stripes unpack_stripes(std::int16_t packed) {
    return {packed / stripes_left_factor, packed % stripes_left_factor};
}

// ---- signals ----

// Codes and stripe counts are packed as single digits: tens and units.
inline bool is_one_digit(std::int64_t value) { return value >= 0 && value <= 9; }

// data1 to data3 of a signal cell: a left-hand code as tens and a right-hand
// code as units, in 16 bits.
inline constexpr int signal_code_factor = 10;
inline std::int16_t pack_signal_codes(std::int64_t left, std::int64_t right) {
    return low_16(left * signal_code_factor + right);
}
struct SignalCodes {
    int left = 0;
    int right = 0;
};
inline SignalCodes unpack_signal_codes(std::int16_t packed) {
    return {packed / signal_code_factor, packed % signal_code_factor};
}

// A signal's left-hand type sx and right-hand type dx, each 0 to 2, make one
// combined type sx * 3 + dx, 0 to 8.
inline constexpr int signal_type_count = 3;
inline bool is_signal_type(std::int64_t type) { return type >= 0 && type < signal_type_count; }
inline std::int64_t combined_signal_type(std::int64_t sx, std::int64_t dx) { return sx * signal_type_count + dx; }

// data4 of a signal cell: rapp as tens and the combined type as units, in 16
// bits.
inline std::int16_t pack_signal_kind(std::int64_t rapp, std::int64_t sx, std::int64_t dx) {
    return low_16(rapp * signal_code_factor + combined_signal_type(sx, dx));
}
struct SignalKind {
    int rapp = 0;
    int leftType = 0;   // sx
    int rightType = 0;  // dx
};
inline SignalKind unpack_signal_kind(std::int16_t data4) {
    const int combined = data4 % signal_code_factor;
    return {data4 / signal_code_factor, combined / signal_type_count, combined % signal_type_count};
}

// A signal time from 1 to 100 is taken as 101 (the recorder hands it back).
inline std::int32_t signal_time(std::int32_t tempo) { return tempo >= 1 && tempo <= 100 ? 101 : tempo; }
// data5 of a signal cell: the low byte of the time for a left-hand type 2,
// else 0.
inline constexpr std::int32_t timed_signal_type = 2;
inline std::uint8_t pack_signal_time(std::int64_t sx, std::int64_t tempo) {
    return sx == timed_signal_type ? low_8(tempo) : 0;
}

// ---- approach codes ----

// The combined type of a signal in one byte, as its approach codes carry it.
inline std::uint8_t signal_type_byte(std::int64_t sx, std::int64_t dx) {
    return static_cast<std::uint8_t>(low_8(sx) * signal_type_count + low_8(dx));
}
// The approach code of the k-th approach cell (1 to 4): the type as tens and
// k as units, in one byte.
inline std::uint8_t pack_approach_code(std::uint8_t type, int k) {
    return static_cast<std::uint8_t>(type * signal_code_factor + k);
}
struct ApproachCode {
    int type = 0;
    int order = 0;  // k
};
inline ApproachCode unpack_approach_code(std::uint8_t code) {
    return {code / signal_code_factor, code % signal_code_factor};
}
// A station's approach cells carry the codes a signal of types 2 and 2
// gives its own: 81 to 84.
inline constexpr std::uint8_t station_approach_type = 8;
inline std::uint8_t station_approach_code(int k) { return pack_approach_code(station_approach_type, k); }

// ---- stations ----

// A station's timetable time (long4) in seconds of the day from hours,
// minutes and seconds: (h * 60 + m) * 60 + s; beyond 32 bits a ReadFault.
inline std::int32_t pack_station_time(std::int64_t hours, std::int64_t minutes, std::int64_t seconds) {
    return fit_int32(static_cast<double>((hours * 60 + minutes) * 60 + seconds), "a station's timetable time");
}
struct ClockTime {
    bool negative = false;
    std::uint64_t hours = 0;
    std::uint64_t minutes = 0;
    std::uint64_t seconds = 0;
};
inline ClockTime unpack_station_time(std::int64_t time) {
    const bool negative = time < 0;
    const std::uint64_t s = negative ? 0 - static_cast<std::uint64_t>(time) : static_cast<std::uint64_t>(time);
    return {negative, s / 3600, s / 60 % 60, s % 60};
}

// A station's extent (long1 to long2) from its kind, position P and length
// L, in metres: kinds 5 and 6 begin L before P and end 150 m after it, 7
// and 8 reach L either side, any other is centred on P, 50 m longer at the
// end when its end extension (byte4) is set. Each end is rounded half to
// even; one beyond 32 bits is a ReadFault.
inline bool ends_past_position(std::uint8_t kind) { return kind == 5 || kind == 6; }
inline bool reaches_length_either_side(std::uint8_t kind) { return kind == 7 || kind == 8; }
// Kinds 5 to 8 drop the end extension.
inline bool keeps_end_extension(std::uint8_t kind) {
    return !ends_past_position(kind) && !reaches_length_either_side(kind);
}
inline std::int32_t station_start(std::uint8_t kind, std::int32_t position, std::int32_t length) {
    const double p = position;
    const double len = length;
    if (ends_past_position(kind) || reaches_length_either_side(kind)) return fit_int32(p - len, "a station's start");
    return fit_int32(p - len / 2.0, "a station's start");
}
inline std::int32_t station_end(std::uint8_t kind, std::int32_t position, std::int32_t length, std::uint8_t extend50) {
    const double p = position;
    const double len = length;
    if (ends_past_position(kind)) return fit_int32(p + 150.0, "a station's end");
    if (reaches_length_either_side(kind)) return fit_int32(p + len, "a station's end");
    return fit_int32(extend50 != 0 ? p + len / 2.0 + 50.0 : p + len / 2.0, "a station's end");
}

// ---- kilometre-point breaks ----

// A break whose flag (long3) is 1 has 100 m added to its offset (long2) once
// the breaks are ordered, in 32-bit arithmetic.
inline std::int32_t pack_break_offset(std::int32_t offset, std::int32_t flag) {
    return flag == 1 ? static_cast<std::int32_t>(static_cast<std::int64_t>(offset) + 100) : offset;
}

}  // namespace scenario
