#include "documents/documents.h"

#include "description/embedded_text.h"
#include "description/fixed_text.h"

namespace scenario {

std::vector<std::string> notes_lines() { return single_byte_lines(embedded_text::notes, "notes"); }

std::vector<std::string> slowdown_order_lines() {
    return single_byte_lines(embedded_text::slowdown_order, "slowdown order");
}

std::vector<std::string> timetable_sheet_lines() {
    return single_byte_lines(embedded_text::timetable_sheet, "timetable sheet");
}

void dati_note(const ScenarioFiles& files) { write_fixed_text(files.notes(), make_line_table(notes_lines())); }

void dati_rallentamenti(const ScenarioFiles& files) {
    write_fixed_text(files.slowdown_order(), make_line_table(slowdown_order_lines()));
}

void dati_scheda(const ScenarioFiles& files) {
    write_fixed_text(files.timetable_sheet(), make_line_table(timetable_sheet_lines()));
}

}  // namespace scenario
