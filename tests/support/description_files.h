// Small description files written into a temporary folder and read with the
// real reader, so that reader tests need no embedded scenario.
#pragma once

#include <string>
#include <vector>

#include "model/route_model.h"
#include "model/scenario_files.h"
#include "reader/memorizza_dati.h"
#include "support/temp_folder.h"

namespace scenario::testing {

// Joins lines with CR LF after each, as the writers do.
std::string crlf(const std::vector<std::string>& lines);

// A line description with the given route length, general rows after it and
// item rows after "[curve]".
std::string line_description(int route_length, const std::vector<std::string>& items,
                             const std::vector<std::string>& general = {});

// A train description: "[generale]" followed by the rows and the usual ending.
std::string train_description(const std::vector<std::string>& rows);

class ScenarioFolder {
public:
    ScenarioFolder();

    TempFolder folder;
    ScenarioFiles files;
    RouteModel model;
    ReadDiagnostics diagnostics;

    void write_line(const std::string& text) const { write_file(files.line_description(), text); }
    void write_train(const std::string& text) const { write_file(files.train_description(), text); }
    // Prepares the model as the compactor does and reads both descriptions.
    void read(int with_geometry = 1);
};

}  // namespace scenario::testing
