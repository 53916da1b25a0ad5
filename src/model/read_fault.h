// A failure inside the reading of the descriptions that has no error code of
// its own. The reader's failure handler turns every one into code 25; the
// kind says which situation it was, for an author's diagnostic.
#pragma once

#include <stdexcept>
#include <string>

namespace scenario {

enum class Fault {
    past_end_of_file,     // a field was read where the file had ended
    unclosed_quote,       // a quoted field never closes
    not_a_number,         // a number field holds something other than a whole number
    number_out_of_range,  // a number that does not fit its field's width
    value_out_of_range,   // a value computed from the fields does not fit where it is stored
    no_route_length,      // an item before any route length: no cells or geometry yet
    negative_route_length,
    cell_outside_route,       // an item reaches a route cell beyond the last one
    metre_outside_geometry,   // a curve reaches a metre beyond the plan geometry
    too_many_signs,           // an 81st roadside sign
    too_many_mountain_spans,  // an 81st mountain span
    text_too_long,            // a text longer than a record holds
    record_outside_table,
    unreadable_file,  // a description that cannot be opened or read
    other,            // anything else (memory, for one)
};

class ReadFault : public std::runtime_error {
public:
    ReadFault(Fault kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    Fault kind() const { return kind_; }

private:
    Fault kind_;
};

}  // namespace scenario
