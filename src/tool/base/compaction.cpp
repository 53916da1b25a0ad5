#include "tool/base/compaction.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <system_error>

#include "compactor/memorizza_percorso.h"
#include "io/file_system.h"
#include "model/scenario_files.h"
#include "tool/base/exit_status.h"
#include "tool/base/output_files.h"
#include "tool/base/paths.h"

namespace scenario::tool {

namespace fs = std::filesystem;

namespace {

// Copies the author's file to `copy` in pieces. A failed read is the
// author's file's (no_input), a failed write the scratch space's
// (cannot_write): a full disk is told as such, never as an unreadable input.
void copy_description(const std::string& author_file, const char* what, const std::string& copy) {
    std::optional<InputFile> input;
    try {
        input.emplace(author_file);
    } catch (const FileError& refused) {
        throw CommandFailure(exit_status::no_input, refused.what());
    }
    try {
        replace_and_write(copy, [&](OutputFile& file) {
            std::vector<char> piece(std::size_t{64} << 10);
            for (;;) {
                std::size_t n = 0;
                try {
                    n = input->read(piece.data(), piece.size());
                } catch (const FileError& unreadable) {
                    throw CommandFailure(exit_status::no_input, unreadable.what());
                }
                if (n == 0) return;
                file.write(std::string_view(piece.data(), n));
            }
        });
    } catch (const FileError& unwritable) {
        throw CommandFailure(exit_status::cannot_write, "cannot copy the " + std::string(what) + " '" + author_file +
                                                            "' into scratch space: " + unwritable.what());
    }
}

// A description that is not there stays absent in the scratch folder too;
// anything else than a file is refused as such. One read from standard
// input is written there as it came.
void place_copy(const std::string& author_file, const std::optional<std::string>& text, const char* what,
                const std::string& reader_name) {
    if (text) {
        try {
            replace_and_write(reader_name, [&text](OutputFile& file) { file.write(*text); });
        } catch (const FileError& unwritable) {
            throw CommandFailure(exit_status::cannot_write, "cannot copy the " + std::string(what) + " from " +
                                                                standard_input_name +
                                                                " into scratch space: " + unwritable.what());
        }
        return;
    }
    std::error_code error;
    const fs::file_status status = fs::status(utf8_path(author_file), error);
    if (status.type() == fs::file_type::not_found) return;
    const auto refuse = [&](const std::string& why) {
        throw CommandFailure(exit_status::no_input, std::string(what) + " '" + author_file + "' " + why);
    };
    if (fs::is_directory(status)) refuse("is a folder");
    if (!fs::is_regular_file(status)) refuse("is not a regular file");
    copy_description(author_file, what, reader_name);
}

}  // namespace

Compaction compact(const Sources& sources, const fs::path& out, const CompactOptions& options) {
    check_names(sources, out);
    const ScenarioFiles outputs{path_text(out), '/', sources.title, sources.trainCode};
    std::vector<std::string> kept;
    if (options.withGeometry) kept.push_back(outputs.line_geometry());
    kept.push_back(outputs.scenario_records());
    kept.push_back(outputs.route_cells());
    if (options.keep) {
        for (const std::string& path : kept) require_output_name(path);
    }

    ScratchFolder scratch(out);
    const ScenarioFiles files{path_text(scratch.path()), '/', sources.title, sources.trainCode};
    place_copy(sources.line, sources.lineText, "line description", files.line_description());
    place_copy(sources.train, sources.trainText, "train description", files.train_description());

    Compaction result;
    result.model.title = sources.title;
    result.model.trainCode = sources.trainCode;
    result.lineCopy = files.line_description();
    result.trainCopy = files.train_description();
    result.diagnostics.observer = options.observer;
    std::int32_t flag = options.withGeometry ? 1 : 0;
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

    for (const std::string& path : kept) {
        const std::string name = path_text(utf8_path(path).filename());
        // Within one file system: each file replaces the earlier one at once.
        if (options.keep) move_into_place(path_text(scratch.path() / utf8_path(name)), path);
        result.written.push_back(name);
    }
    return result;
}

}  // namespace scenario::tool
