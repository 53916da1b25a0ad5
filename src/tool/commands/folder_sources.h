// The scenario a command reads: a scenario FOLDER (tool/base/scenario_folder.h)
// or the descriptions named one by one with --line and --train. One helper
// for every command that takes both ways.
#pragma once

#include <optional>
#include <string>

#include "model/scenario_files.h"
#include "tool/base/sources.h"

namespace scenario::tool {

// What --title and --train-code must be when the descriptions are named one
// by one: given (compile), given or the defaults "scenario" and "train"
// (check), or only for a heading (plot, view: the command checks its input).
enum class NamesWithoutFolder { required, defaulted, optional };

// With a folder: its two descriptions, title and train code go into
// `sources`, where --title and --train-code (when given) choose among
// several; --line or --train given as well is a UsageError. Without one:
// what the descriptions need and is missing is a UsageError naming it all.
// Returns the names of every file of the folder's scenario, the documents
// included; nothing without a folder.
std::optional<ScenarioFiles> take_scenario(const std::string& folder, Sources& sources, NamesWithoutFolder names);

}  // namespace scenario::tool
