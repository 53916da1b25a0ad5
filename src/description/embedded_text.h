// The texts the program carries, as they stand in the repository (UTF-8,
// lines ended by LF). They are compiled in from the text files at build time.
#pragma once

#include <string_view>

namespace scenario::embedded_text {

extern const std::string_view line_description;   // src/description/scenario/line.txt
extern const std::string_view train_description;  // src/description/scenario/train.txt
extern const std::string_view notes;              // src/documents/text/notes.txt
extern const std::string_view slowdown_order;     // src/documents/text/slowdown_order.txt
extern const std::string_view timetable_sheet;    // src/documents/text/timetable_sheet.txt

}  // namespace scenario::embedded_text
