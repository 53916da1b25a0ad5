// The tool's outputs in a folder of the author's: checked before anything is
// written, then each written whole in one step.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace scenario::tool {

// Checks that a folder exists and files can be created in it; says which of
// these it is not (a CommandFailure, cannot_create).
void require_writable_folder(const std::filesystem::path& folder, const std::string& what);
// Refuses a name held by something an output must not replace (a folder, a
// FIFO, a device): a CommandFailure, cannot_create.
void require_output_name(const std::string& path);
// Writes `bytes` as the file at `path`, replacing it whole: a file that
// cannot be created is a CommandFailure (cannot_create), one that fails
// while it is written a FileError.
void write_output(const std::string& path, std::string_view bytes);

// The same for a file that must not replace one: false, with nothing
// written, when a file already stands at `path` (even one made meanwhile).
bool write_new_output(const std::string& path, std::string_view bytes);

}  // namespace scenario::tool
