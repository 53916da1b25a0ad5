// The scenario `new` writes for an author to start from, compiled in from
// src/tool/commands/template (UTF-8, lines ended by LF, as the program's own
// texts are kept).
#pragma once

#include <string_view>

namespace scenario::embedded_text {

extern const std::string_view template_line;             // template/line.txt
extern const std::string_view template_train;            // template/train.txt
extern const std::string_view template_notes;            // template/notes.txt
extern const std::string_view template_slowdown_order;   // template/slowdown_order.txt
extern const std::string_view template_timetable_sheet;  // template/timetable_sheet.txt

}  // namespace scenario::embedded_text
