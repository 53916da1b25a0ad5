// One compile-and-analyse of an author's descriptions, the sequence that
// compile, check, view and plot share: the program's compaction (or, for a
// check, a reading that writes nothing), watched by a recorder, then every
// diagnostic of it.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "tool/base/compaction.h"
#include "tool/base/sources.h"
#include "tool/diagnostics/analysis.h"
#include "tool/diagnostics/run.h"

namespace scenario::tool {

struct DiagnoseOptions {
    // Where the compaction writes: the output folder of a compile, or the
    // folder a drawing's scratch files go into. None: the descriptions are
    // read in place and nothing is written (check).
    std::optional<std::filesystem::path> out;
    bool keepFiles = true;      // the binary files stay in `out` (else they leave with the scratch folder)
    bool keepEveryRow = false;  // a compaction's recorder keeps every row, for drawings naming each item's row
    AnalysisOptions analysis;   // the plan geometry is read as analysis.withGeometry says
};

struct Diagnosed {
    // The first reading: the model, the recorder, the stamp.
    std::unique_ptr<Run> run;
    // What the compaction wrote, or why it wrote nothing; its model is the
    // run's. Empty for a reading in place.
    Compaction compaction;
    Analysis analysis;
};

// The compaction or reading, then the analysis; the failures of compact()
// (and, for the author's files, of AuthorFiles) pass through.
Diagnosed compile_and_analyse(const Sources& sources, const AuthorFiles& files, const DiagnoseOptions& options);

}  // namespace scenario::tool
