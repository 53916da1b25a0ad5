#include "tool/commands/folder_sources.h"

#include <vector>

#include "tool/base/failures.h"
#include "tool/base/scenario_folder.h"
#include "tool/base/wording.h"

namespace scenario::tool {

namespace {

void require_descriptions(Sources& sources, NamesWithoutFolder names) {
    std::vector<std::string> missing;
    std::size_t asked = 2;
    if (sources.line.empty()) missing.emplace_back("--line");
    if (sources.train.empty()) missing.emplace_back("--train");
    if (names == NamesWithoutFolder::required) {
        asked = 4;
        if (sources.title.empty()) missing.emplace_back("--title");
        if (sources.trainCode.empty()) missing.emplace_back("--train-code");
    }
    if (missing.size() == asked) throw UsageError("missing a scenario FOLDER, or " + listing(missing));
    if (!missing.empty()) throw UsageError("missing " + listing(missing));
    if (names == NamesWithoutFolder::defaulted) {
        if (sources.title.empty()) sources.title = "scenario";
        if (sources.trainCode.empty()) sources.trainCode = "train";
    }
}

}  // namespace

std::optional<ScenarioFiles> take_scenario(const std::string& folder, Sources& sources, NamesWithoutFolder names) {
    if (folder.empty()) {
        if (names != NamesWithoutFolder::optional) require_descriptions(sources, names);
        return std::nullopt;
    }
    if (!sources.line.empty() || !sources.train.empty()) {
        throw UsageError("give either a scenario folder ('" + folder + "') or --line and --train, not both");
    }
    const ScenarioFolder scenario = find_scenario(folder, sources.title, sources.trainCode);
    sources.line = scenario.files.line_description();
    sources.train = scenario.files.train_description();
    sources.title = scenario.title;
    sources.trainCode = scenario.trainCode;
    return scenario.files;
}

}  // namespace scenario::tool
