#include "tool/base/output_files.h"

#include <optional>
#include <system_error>

#include "io/file_system.h"
#include "tool/base/exit_status.h"
#include "tool/base/failures.h"
#include "tool/base/os.h"
#include "tool/base/paths.h"

namespace scenario::tool {

namespace fs = std::filesystem;

void require_writable_folder(const fs::path& folder, const std::string& what) {
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    const auto refuse = [&](const std::string& why) {
        throw CommandFailure(exit_status::cannot_create, what + " '" + path_text(folder) + "' " + why);
    };
    if (status.type() == fs::file_type::not_found) refuse("does not exist");
    if (!fs::is_directory(status)) refuse("is not a folder");
    if (!os::writable_folder(path_text(folder))) refuse("is not writable");
}

void require_output_name(const std::string& path) {
    try {
        require_replaceable(path);
    } catch (const FileError& refused) {
        throw CommandFailure(exit_status::cannot_create, refused.what());
    }
}

namespace {

// Makes `file` the output file at `path`, to be written; one that cannot be
// made is a CommandFailure (cannot_create) naming it.
void open_output(std::optional<OutputFile>& file, const std::string& path) {
    try {
        file.emplace(path);
    } catch (const FileError& refused) {
        throw CommandFailure(exit_status::cannot_create, refused.what());
    }
}

}  // namespace

void write_output(const std::string& path, std::string_view bytes) {
    std::optional<OutputFile> file;
    open_output(file, path);
    file->write(bytes);
    file->commit();
}

bool write_new_output(const std::string& path, std::string_view bytes) {
    std::optional<OutputFile> file;
    open_output(file, path);
    file->write(bytes);
    return file->commit_new();
}

}  // namespace scenario::tool
