// Reading both description files into the route model.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "description/field_stream.h"
#include "model/route_model.h"
#include "model/scenario_files.h"
#include "reader/read_observer.h"

namespace scenario {

// The texts of the two descriptions, for a reading that writes nothing: they
// are read in place of the files, and nothing is looked for or deleted on
// disk. Nothing stands for a description that is not there.
struct DescriptionTexts {
    std::optional<std::string_view> line;
    std::optional<std::string_view> train;
};

// Where the reading ended and which field caused errorCode, for an author's
// diagnostic. Not part of the route model; the run itself never looks at it.
struct ReadDiagnostics {
    using Source = scenario::Source;

    Source source = Source::none;
    FieldLocation location;  // the field at fault, or where the reading stopped
    std::string sourceLine;  // the text of that line
    std::string fault;       // what failed, for code 25
    // The item at fault as read, where the model does not keep it: a
    // slowdown's six values, a station's position and length.
    std::vector<std::int32_t> values;
    int record = 0;  // the scenario record of the station at fault

    // Told of every field, row and cell as the reading and the completion
    // pass go; none in the program's own run.
    ReadObserver* observer = nullptr;
    // False for a reading that only looks for its errors and writes nothing:
    // the plan geometry then keeps where it ends but not its points.
    bool keepGeometry = true;
    // Read in place of the description files, when given; the caller keeps
    // them while the reading lasts.
    const DescriptionTexts* texts = nullptr;
};

// Reads the line description and then the train description (names from
// `files`, title and train code from the model) into the model, deleting each
// file as it finishes with it. The outcome is left in errorCode and
// errorPosition; any failure without a code of its own becomes code 25.
void memorizza_dati(RouteModel& model, const ScenarioFiles& files, ReadDiagnostics* diagnostics = nullptr);

}  // namespace scenario
