#include "tool/compaction.h"

#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "compactor/memorizza_percorso.h"
#include "io/file_system.h"
#include "model/scenario_files.h"

namespace scenario::tool {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder(const fs::path& parent) {
    std::string pattern = (parent / ".scenario-tool-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw FileError(std::string("cannot create a scratch folder (") + std::strerror(errno) + ") in",
                        parent.string());
    }
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void require_writable_folder(const fs::path& folder, const std::string& what) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) throw UsageError(what + " '" + folder.string() + "' is not a folder");
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        throw UsageError(what + " '" + folder.string() + "' is not writable");
    }
}

namespace {

void check_name_part(const std::string& value, const char* option) {
    if (value.find('/') != std::string::npos) {
        throw UsageError(std::string(option) + " cannot hold '/': it becomes part of file names");
    }
}

// A description that is not there stays absent in the scratch folder too.
void place_copy(const std::string& author_file, const std::string& reader_name) {
    std::error_code error;
    if (!fs::is_regular_file(author_file, error)) return;
    if (!fs::copy_file(author_file, reader_name, fs::copy_options::overwrite_existing, error)) {
        throw UsageError("cannot read '" + author_file + "' (" + error.message() + ")");
    }
}

}  // namespace

Compaction compact(const Sources& sources, const fs::path& out, bool with_geometry, bool keep, ReadObserver* observer) {
    check_name_part(sources.title, "--title");
    check_name_part(sources.trainCode, "--train-code");
    ScratchFolder scratch(out);
    const ScenarioFiles files{scratch.path().string(), '/', sources.title, sources.trainCode};
    place_copy(sources.line, files.line_description());
    place_copy(sources.train, files.train_description());

    Compaction result;
    result.model.title = sources.title;
    result.model.trainCode = sources.trainCode;
    result.lineCopy = files.line_description();
    result.trainCopy = files.train_description();
    result.diagnostics.observer = observer;
    std::int32_t flag = with_geometry ? 1 : 0;
    // The program's report ends the process; here it returns, and the
    // compactor then stops with a StampError before writing anything.
    auto report = [&result](const std::string& number) { result.stamp = std::stoi(number); };
    try {
        memorizza_percorso(result.model, files, flag, report, &result.diagnostics);
    } catch (const StampError& refused) {
        result.stamp = refused.number();
        return result;
    } catch (const NothingToWrite& cannot_write) {
        result.notWritten = cannot_write.what();
        return result;
    }

    std::vector<std::string> paths;
    if (with_geometry) paths.push_back(files.line_geometry());
    paths.push_back(files.scenario_records());
    paths.push_back(files.route_cells());
    for (const std::string& path : paths) {
        const fs::path name = fs::path(path).filename();
        if (keep) {
            // Replaced as the program replaces its files: the old one is
            // deleted first (a rename over it would also make the file
            // system write the new one out at once).
            std::error_code error;
            fs::remove(out / name, error);
            if (!error) fs::rename(path, out / name, error);
            if (error) throw FileError("cannot move into place (" + error.message() + ")", (out / name).string());
        }
        result.written.push_back(name.string());
    }
    return result;
}

}  // namespace scenario::tool
