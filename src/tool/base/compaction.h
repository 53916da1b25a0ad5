// One compaction of an author's descriptions with the program's own
// compactor, in a private scratch folder, so that the author's files are
// never changed or deleted.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/route_model.h"
#include "reader/memorizza_dati.h"
#include "tool/base/failures.h"
#include "tool/base/scratch_folder.h"
#include "tool/base/sources.h"

namespace scenario::tool {

struct Compaction {
    RouteModel model;
    ReadDiagnostics diagnostics;
    int stamp = 0;  // 1250 or 1251 when the stamp was refused; nothing is then written
    // Names of the binary files written, in the order written; empty when
    // nothing was written.
    std::vector<std::string> written;
    // Why nothing was written, when the compactor could not write (no route
    // cells to write).
    std::string notWritten;
    // Where the copies of the descriptions stood, to name the author's files
    // instead in messages.
    std::string lineCopy;
    std::string trainCopy;
};

struct CompactOptions {
    bool withGeometry = true;  // write the plan geometry (compile --no-geometry: not)
    // The binary files replace the earlier ones in `out`; otherwise they
    // leave with the scratch folder (a drawing needs only the model).
    bool keep = true;
    ReadObserver* observer = nullptr;  // watches the reading and the completion pass
};

// Copies the descriptions under the names the reader expects into a scratch
// folder inside `out`, runs memorizza_percorso there and moves the binary
// files it wrote into `out`, each replacing the earlier one in one step (when
// `options.keep` is set; otherwise they go with the scratch folder). A title or train
// code that cannot be part of a file name, or a description that is a folder
// or not a regular file, or cannot be read, is a CommandFailure (no_input);
// a name in `out` held by a folder, FIFO or device is one (cannot_create)
// before anything is compiled, and so is a scratch folder that cannot be
// made. A copy that cannot be written into the scratch folder is one
// (cannot_write), and any other file system failure while writing is a
// FileError.
Compaction compact(const Sources& sources, const std::filesystem::path& out, const CompactOptions& options = {});

}  // namespace scenario::tool
