// One check of a pair of descriptions as the editor holds them, with the
// tool's own diagnostics, and every row the reading saw, for the features
// that show a row (hover, outline, definition).
#pragma once

#include <memory>
#include <string>

#include "tool/diagnostics/analysis.h"
#include "tool/diagnostics/run.h"
#include "tool/lsp/documents.h"
#include "tool/lsp/pairing.h"

namespace scenario::tool::lsp {

struct Checked {
    Pair pair;
    std::unique_ptr<AuthorFiles> files;
    std::unique_ptr<Run> run;  // every row kept
    Analysis analysis;
    std::string failure;  // why the pair could not be checked; empty when it was

    // The rows of a description in file order, from the reading.
    const Recorder& recorder() const { return run->recorder; }
    std::string path(Source source) const {
        return source == Source::train_description ? pair.trainPath : pair.linePath;
    }
};

// Checks the pair with the editor's texts where it has them open, the files
// on disk elsewhere.
std::unique_ptr<Checked> check_pair(const Workspace& workspace, const Pair& pair);

}  // namespace scenario::tool::lsp
