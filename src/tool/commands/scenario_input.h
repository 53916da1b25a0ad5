// The scenario that `view` and `plot` draw: compiled from the author's
// descriptions in the system's temporary folder, or read back from the
// binary files of a compiled scenario.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "tool/base/compaction.h"
#include "tool/diagnostics/analysis.h"
#include "tool/diagnostics/recorder.h"
#include "tool/diagnostics/run.h"
#include "tool/drawing/view_page.h"

namespace scenario::tool {

struct ScenarioInput {
    Sources sources = {};  // --line and --train; an empty title or train code was not given
    std::string records = {};
    std::string cells = {};
    std::string geometry = {};
};

struct LoadedScenario {
    // The compaction of the descriptions; for compiled files only its model
    // is filled.
    Compaction compaction;
    nlohmann::ordered_json diagnostics = nlohmann::ordered_json::array();
    // From descriptions: what the reading told (which row placed each item)
    // and the author's files.
    std::shared_ptr<Recorder> recorder;
    std::shared_ptr<AuthorFiles> files;
    ViewHeading heading;
    ViewOrigin origin;
    int status = 0;         // the command's exit status so far
    bool drawable = false;  // there are route cells to draw
};

// Checks that the input names either both descriptions or the records and
// the cells (a UsageError otherwise), then compiles or decodes it. The
// diagnostics of descriptions are shown on `err` as `compile` shows them.
LoadedScenario load_scenario(const ScenarioInput& input, std::ostream& err);

// Checks, before the work, that a drawing can be written at `path`: it is
// none of the input's files under any name (a UsageError), its folder is
// there and writable, and nothing an output must not replace holds the
// name. Nothing to check for "-", standard output.
void require_drawing_output(const std::string& path, const ScenarioInput& input);

// Writes a drawing (`bytes`) to `path`, or to `out` for "-", and says so:
// "VERB PATH" on `out` when the scenario was read without error, else a note
// on `err` that the drawing shows what was read. Returns `status`.
int deliver_drawing(const std::string& path, std::string_view bytes, const char* verb, int status, std::ostream& out,
                    std::ostream& err);

}  // namespace scenario::tool
