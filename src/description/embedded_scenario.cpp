#include "description/embedded_scenario.h"

#include "description/embedded_text.h"
#include "description/fixed_text.h"

namespace scenario {

std::vector<std::string> embedded_line_description() {
    return single_byte_lines(embedded_text::line_description, "line description");
}

std::vector<std::string> embedded_train_description() {
    return single_byte_lines(embedded_text::train_description, "train description");
}

void dati_linea(const ScenarioFiles& files) {
    write_fixed_text(files.line_description(), make_line_table(embedded_line_description()));
}

void dati_treno(const ScenarioFiles& files) {
    write_fixed_text(files.train_description(), make_line_table(embedded_train_description()));
}

}  // namespace scenario
