// The three printed documents for the driver: the notes, the slowdown order
// and the timetable sheet. Fixed texts, written once per run.
#pragma once

#include <string>
#include <vector>

#include "model/scenario_files.h"

namespace scenario {

std::vector<std::string> notes_lines();
std::vector<std::string> slowdown_order_lines();
std::vector<std::string> timetable_sheet_lines();

void dati_note(const ScenarioFiles& files);
void dati_rallentamenti(const ScenarioFiles& files);
void dati_scheda(const ScenarioFiles& files);

}  // namespace scenario
