// One compaction of an author's descriptions with the program's own
// compactor, in a private scratch folder, so that the author's files are
// never changed or deleted.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/route_model.h"
#include "reader/memorizza_dati.h"

namespace scenario::tool {

// A command line that cannot be carried out as given; the tool shows its
// usage.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A folder of its own inside `parent` (".scenario-tool-XXXXXX"), removed
// with everything in it when the object goes, and on SIGINT, SIGTERM and
// SIGHUP before the tool ends. The tool holds a lock on it while it lives,
// so scratch folders left by a tool that was killed outright are told from
// those of a tool still at work and are removed when the next one starts.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::filesystem::path& parent);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    int lock_ = -1;
};

struct Sources {
    std::string line;   // the author's line description (may be missing)
    std::string train;  // the author's train description (may be missing)
    std::string title;
    std::string trainCode;
};

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

// Checks that a folder exists and files can be created in it; says which of
// these it is not.
void require_writable_folder(const std::filesystem::path& folder, const std::string& what);

// Copies the descriptions under the names the reader expects into a scratch
// folder inside `out`, runs memorizza_percorso there and moves the binary
// files it wrote into `out`, each replacing the earlier one in one step (when
// `keep` is set; otherwise they go with the scratch folder). A title or train
// code that cannot be part of a file name, or a description that is a folder
// or not a regular file, is a UsageError; a name in `out` held by a folder,
// FIFO or device is a FileError before anything is compiled, and so is a file
// system failure while writing. The observer, when given, watches the
// reading and the completion pass.
Compaction compact(const Sources& sources, const std::filesystem::path& out, bool with_geometry, bool keep,
                   ReadObserver* observer = nullptr);

}  // namespace scenario::tool
