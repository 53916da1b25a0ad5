// A scenario folder: the files of a scenario in one folder, named as the
// program names them (TITLE_linea.txt, TITLE_CODE-.txt and the documents
// TITLE_CODE_note.txt, TITLE_CODE_rallentamenti.txt,
// TITLE_CODE_scheda_treno.txt). The title is read from the line
// description's name, the train code from the train description's after
// "TITLE_", so a title may hold "_".
#pragma once

#include <string>
#include <vector>

#include "model/scenario_files.h"

namespace scenario::tool {

struct ScenarioFolder {
    std::string title;
    std::string trainCode;
    // The names of every file of the scenario, in the folder ('/' between);
    // the documents may be missing.
    ScenarioFiles files;
};

// The title and train code a folder's entry names give: one line
// description, and one train description of its title. `title` and
// `train_code` (empty when not given) choose among several and must be
// among them. A UsageError says which names were found and which were
// expected; `folder` is named in it.
struct ScenarioNames {
    std::string title;
    std::string trainCode;
};
ScenarioNames choose_scenario(const std::vector<std::string>& names, const std::string& title,
                              const std::string& train_code, const std::string& folder);

// The scenario in `folder`, by choose_scenario. A folder that does not
// exist, is not a folder or cannot be read is a CommandFailure (no_input).
// Names are taken as they are: what stands at them is checked when a
// command reads them.
ScenarioFolder find_scenario(const std::string& folder, const std::string& title, const std::string& train_code);

}  // namespace scenario::tool
