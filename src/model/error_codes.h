// Every outcome the reading, the completion pass and the scenario stamp can
// report, named once. The route model keeps the number itself in errorCode
// (a 32-bit integer, as the files and the simulator know it); the names are
// for the code that sets and reads it.
#pragma once

#include <array>
#include <cstdint>

namespace scenario {

enum class ErrorCode : std::int32_t {
    none = 0,
    route_too_long = 1,                 // route length above the longest route
    break_not_on_50 = 2,                // a kilometre-point break position or offset
    repetition_start_not_on_50 = 3,     // first signal-repetition position
    repetition_end_not_on_50 = 4,       // second signal-repetition position
    repetition_without_codes = 5,       // repetition keyword holding neither 4 nor 9
    sign_cell_taken = 6,                // roadside sign
    restriction_cell_taken = 7,         // restriction mark of the train description
    station_position_not_on_50 = 8,     //
    station_length_not_on_100 = 9,      //
    station_table_full = 10,            // stations reach the sign records
    no_mark_before_signal = 11,         // completion pass, before a signal near a warning board
    no_mark_before_slowdown = 12,       // completion pass, before a slowdown start
    no_mark_through_slowdown = 13,      // completion pass, interval mark or mark after the end
    item_beyond_route = 15,             //
    signal_cell_taken = 16,             //
    warning_board_cell_taken = 17,      // slowdown warning board, 1200 m before the slowdown
    slowdown_start_cell_taken = 18,     //
    slowdown_end_cell_taken = 19,       //
    slowdown_approach_cell_taken = 20,  // one of the four cells before the warning board
    speed_boards_cell_taken = 21,       //
    stations_too_close = 22,            // less than 350 m between two stations
    stop_cell_too_early = 24,           // a station's stop cell at cell 1 or lower
    run_time_fault = 25,                // any failure without a code of its own
    line_description_missing = 101,     //
    general_header_missing = 102,       // no "[generale]" field, or nothing after it
    curve_without_class = 103,          // also: the geometry passes the last metre within a curve
    stamp_marker_taken = 1250,          // records(85).int1 or cells(1).data1 not 0 before stamping
    stamp_code_taken = 1251,            // records(85).long4 or cells(1).data2 not 0 before stamping
};

constexpr std::int32_t value_of(ErrorCode code) { return static_cast<std::int32_t>(code); }

// Which step of the run reports a code.
enum class Stage {
    line_half,        // reading the line description
    train_half,       // reading the train description
    either_half,      // the reading's failure handler (code 25)
    completion_pass,  //
    stamp,            // ends the run before any binary file is written
};

struct ErrorCodeInfo {
    ErrorCode code;
    Stage stage;
    bool hasPosition;   // errorPosition holds the route position of the item at fault
    bool endsLineHalf;  // the line half gives up: the train description is not read
};

inline constexpr std::array<ErrorCodeInfo, 29> error_code_table{{
    {ErrorCode::none, Stage::either_half, false, false},
    {ErrorCode::route_too_long, Stage::line_half, false, true},
    {ErrorCode::break_not_on_50, Stage::train_half, false, false},
    {ErrorCode::repetition_start_not_on_50, Stage::line_half, false, true},
    {ErrorCode::repetition_end_not_on_50, Stage::line_half, false, true},
    {ErrorCode::repetition_without_codes, Stage::line_half, false, true},
    {ErrorCode::sign_cell_taken, Stage::line_half, true, true},
    {ErrorCode::restriction_cell_taken, Stage::train_half, true, false},
    {ErrorCode::station_position_not_on_50, Stage::train_half, true, false},
    {ErrorCode::station_length_not_on_100, Stage::train_half, true, false},
    {ErrorCode::station_table_full, Stage::train_half, false, false},
    {ErrorCode::no_mark_before_signal, Stage::completion_pass, true, false},
    {ErrorCode::no_mark_before_slowdown, Stage::completion_pass, true, false},
    {ErrorCode::no_mark_through_slowdown, Stage::completion_pass, true, false},
    {ErrorCode::item_beyond_route, Stage::either_half, true, false},
    {ErrorCode::signal_cell_taken, Stage::train_half, true, false},
    {ErrorCode::warning_board_cell_taken, Stage::train_half, true, false},
    {ErrorCode::slowdown_start_cell_taken, Stage::train_half, true, false},
    {ErrorCode::slowdown_end_cell_taken, Stage::train_half, true, false},
    {ErrorCode::slowdown_approach_cell_taken, Stage::train_half, true, false},
    {ErrorCode::speed_boards_cell_taken, Stage::line_half, true, true},
    {ErrorCode::stations_too_close, Stage::train_half, true, false},
    {ErrorCode::stop_cell_too_early, Stage::train_half, false, false},
    {ErrorCode::run_time_fault, Stage::either_half, false, false},
    {ErrorCode::line_description_missing, Stage::line_half, false, true},
    {ErrorCode::general_header_missing, Stage::line_half, false, true},
    {ErrorCode::curve_without_class, Stage::line_half, false, true},
    {ErrorCode::stamp_marker_taken, Stage::stamp, false, false},
    {ErrorCode::stamp_code_taken, Stage::stamp, false, false},
}};

// The entry of a number found in errorCode; nothing for a number that no
// step of the run reports.
constexpr const ErrorCodeInfo* error_code_info(std::int32_t value) {
    for (const ErrorCodeInfo& info : error_code_table) {
        if (value_of(info.code) == value) return &info;
    }
    return nullptr;
}

constexpr const ErrorCodeInfo& error_code_info(ErrorCode code) { return *error_code_info(value_of(code)); }

}  // namespace scenario
