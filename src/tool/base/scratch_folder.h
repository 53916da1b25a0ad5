// The tool's scratch folders and the output folder of `compile`: what the
// tool makes in a folder of the author's, and how it tells its own from
// anything else there.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/file_system.h"
#include "tool/base/os.h"

namespace scenario::tool {

// A folder of its own inside `parent` (".scenario-tool-PID-XXXXXX", with a
// marker file inside naming the process), removed with everything in it
// when the object goes, and on SIGINT, SIGTERM and SIGHUP before the tool
// ends. Scratch folders that a tool killed outright left behind are removed
// by the next one, but only those it can prove are the tool's own: the
// name and the marker agree on the process, and that process has ended.
// Anything else in `parent`, whatever its name, is left alone.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::filesystem::path& parent);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::string text_;  // path_ in UTF-8, for the system calls that remove it
    std::intptr_t hold_ = -1;
};

// The process a scratch folder's name says made it: ".scenario-tool-" with
// the process id, "-" and six letters or digits. Nothing for any other name.
std::optional<os::ProcessId> scratch_owner(std::string_view name);

// The marker inside a scratch folder, and what it holds for process `pid`.
inline constexpr const char* scratch_marker = ".scenario-tool-owner";
std::string scratch_marker_text(os::ProcessId pid);

// How long `compile` waits for another run working in its output folder,
// as the program waits for one in its own folder.
inline constexpr std::chrono::milliseconds output_lock_patience{30000};

// The folder `compile` writes into, held for the whole run: created when
// missing (with the folders above it), locked against other runs (a compile
// or the program) with the program's own folder lock, so that the three
// files always come from one run, and removed again at the end, with the
// folders created for it, when nothing was written into it. A folder that
// cannot be created is a CommandFailure (cannot_create), and so is one in
// which another run has been working for `patience`.
class OutputFolder {
public:
    OutputFolder(const std::filesystem::path& folder, std::chrono::milliseconds patience);
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

private:
    void create_missing(const std::filesystem::path& folder);
    void remove_created();
    bool lock(const std::filesystem::path& folder, std::chrono::milliseconds patience);

    std::vector<std::string> created_;  // innermost first
    std::optional<FolderLock> lock_;
};

}  // namespace scenario::tool
