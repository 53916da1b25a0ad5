// The embedded scenario's two description files and their writers.
#pragma once

#include <string>
#include <vector>

#include "model/scenario_files.h"

namespace scenario {

// The embedded descriptions as the single-byte lines that are written.
std::vector<std::string> embedded_line_description();
std::vector<std::string> embedded_train_description();

// Write the line description and the train description into the program
// folder with the fixed-text writing steps.
void dati_linea(const ScenarioFiles& files);
void dati_treno(const ScenarioFiles& files);

}  // namespace scenario
