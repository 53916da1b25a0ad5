#include "driver/scenario_source.h"

#include "description/embedded_scenario.h"
#include "description/fixed_text.h"
#include "documents/documents.h"
#include "driver/program_identity.h"

namespace scenario {

std::string program_name_of(const ScenarioSource& scenario) { return scenario.title() + "_" + scenario.train_code(); }

BuiltInScenario::BuiltInScenario() : title_(scenario_title), train_code_(scenario_train_code) {}

std::string BuiltInScenario::text(ScenarioText which) const {
    switch (which) {
        case ScenarioText::line_description:
            return fixed_text_content(make_line_table(embedded_line_description()));
        case ScenarioText::train_description:
            return fixed_text_content(make_line_table(embedded_train_description()));
        case ScenarioText::notes:
            return fixed_text_content(make_line_table(notes_lines()));
        case ScenarioText::slowdown_order:
            return fixed_text_content(make_line_table(slowdown_order_lines()));
        case ScenarioText::timetable_sheet:
            return fixed_text_content(make_line_table(timetable_sheet_lines()));
    }
    return {};
}

}  // namespace scenario
