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

namespace scenario::tool {

// A command line that cannot be carried out as given; the tool says how to
// get its usage.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A command that cannot go on for a reason outside its command line (an
// input that is missing or does not decode, an output that cannot be
// created), with the exit status that tells which.
class CommandFailure : public std::runtime_error {
public:
    CommandFailure(int status, const std::string& what) : std::runtime_error(what), status_(status) {}
    int status() const { return status_; }

private:
    int status_;
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
    // The bytes of the description that was read from standard input; its
    // path is then standard_input_name.
    std::optional<std::string> lineText = {};
    std::optional<std::string> trainText = {};
};

// How a description read from standard input is named in messages.
inline constexpr const char* standard_input_name = "<stdin>";

// The most a description may hold, read from a file or standard input: far
// more than the longest route needs (about 200 KB), so that a file or stream
// without end is refused in bounded memory, before it is compiled.
inline constexpr std::size_t largest_description = std::size_t{64} << 20;

// Reads the description given as "-" (--line - or --train -, not both) from
// `in` into `sources`. A UsageError for both; a CommandFailure when the
// stream fails (cannot_write) or holds more than largest_description
// (bad_data).
void take_standard_input(Sources& sources, std::istream& in);

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
// these it is not (a CommandFailure, cannot_create).
void require_writable_folder(const std::filesystem::path& folder, const std::string& what);
// The title and the train code become parts of file names: a UsageError
// when either holds a folder separator, or when a name they make would be
// too long for the file system of `out` (or of any, while `out` is missing).
void check_names(const Sources& sources, const std::filesystem::path& out);
// Creates the folder, and those above it, when it is missing.
void create_missing_folder(const std::filesystem::path& folder, const std::string& what);
// Refuses a name held by something an output must not replace (a folder, a
// FIFO, a device): a CommandFailure, cannot_create.
void require_output_name(const std::string& path);
// Writes `bytes` as the file at `path`, replacing it whole: a file that
// cannot be created is a CommandFailure (cannot_create), one that fails
// while it is written a FileError.
void write_output(const std::string& path, std::string_view bytes);

// Copies the descriptions under the names the reader expects into a scratch
// folder inside `out`, runs memorizza_percorso there and moves the binary
// files it wrote into `out`, each replacing the earlier one in one step (when
// `keep` is set; otherwise they go with the scratch folder). A title or train
// code that cannot be part of a file name, or a description that is a folder
// or not a regular file, is a CommandFailure (no_input); a name in `out` held
// by a folder, FIFO or device is one (cannot_create) before anything is
// compiled, and a file system failure while writing is a FileError. The observer, when given, watches the
// reading and the completion pass.
Compaction compact(const Sources& sources, const std::filesystem::path& out, bool with_geometry, bool keep,
                   ReadObserver* observer = nullptr);

}  // namespace scenario::tool
