#include "tool/base/scratch_folder.h"

#include <cerrno>
#include <cstring>

#include "tool/base/display_text.h"
#include "tool/base/exit_status.h"
#include "tool/base/failures.h"
#include "tool/base/os.h"
#include "tool/base/paths.h"

namespace scenario::tool {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view scratch_prefix = ".scenario-tool-";

bool is_alphanumeric(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The marker holds exactly what this tool writes into it for that process.
bool marked_by(const std::string& folder, os::ProcessId pid) {
    const std::string expected = scratch_marker_text(pid);
    try {
        InputFile marker(folder + "/" + scratch_marker, Links::refuse);
        if (marker.size() != expected.size()) return false;
        std::string text(expected.size(), '\0');
        std::size_t got = 0;
        while (got < text.size()) {
            const std::size_t n = marker.read(text.data() + got, text.size() - got);
            if (n == 0) return false;
            got += n;
        }
        return text == expected;
    } catch (const FileError&) {
        return false;
    }
}

// Removes the scratch folders in `parent` that a tool killed outright left
// behind, and nothing else.
void remove_abandoned_scratch(const fs::path& parent) {
    const os::ProcessId self = os::process_id();
    for (const std::string& name : os::entry_names(path_text(parent))) {
        const std::optional<os::ProcessId> pid = scratch_owner(name);
        if (!pid || *pid == self) continue;
        const std::string folder = path_text(parent / utf8_path(name));
        if (entry_at(folder) != Entry::folder || !marked_by(folder, *pid)) continue;
        if (os::abandoned(folder, *pid)) os::remove_flat_folder(folder.c_str());
    }
}

[[noreturn]] void cannot_create_scratch(const std::string& reason, const fs::path& parent) {
    throw CommandFailure(exit_status::cannot_create,
                         "cannot create a scratch folder (" + reason + ") in '" + path_text(parent) + "'");
}

}  // namespace

std::optional<os::ProcessId> scratch_owner(std::string_view name) {
    constexpr std::size_t random_part = 6;  // mkdtemp's XXXXXX
    if (name.substr(0, scratch_prefix.size()) != scratch_prefix) return std::nullopt;
    name.remove_prefix(scratch_prefix.size());
    const std::size_t dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 10 || name.size() != dash + 1 + random_part) {
        return std::nullopt;
    }
    os::ProcessId pid = 0;
    for (char c : name.substr(0, dash)) {
        if (c < '0' || c > '9') return std::nullopt;
        pid = pid * 10 + (c - '0');
    }
    for (char c : name.substr(dash + 1)) {
        if (!is_alphanumeric(c)) return std::nullopt;
    }
    return pid;
}

std::string scratch_marker_text(os::ProcessId pid) {
    return "scratch folder of scenario-tool, process " + std::to_string(pid) + "\n";
}

ScratchFolder::ScratchFolder(const fs::path& parent) {
    remove_abandoned_scratch(parent);
    const os::ProcessId pid = os::process_id();
    std::string pattern = path_text(parent / (std::string(scratch_prefix) + std::to_string(pid) + "-XXXXXX"));
    if (const int error = os::make_scratch_folder(pattern); error != 0) {
        cannot_create_scratch(std::strerror(error), parent);
    }
    path_ = utf8_path(pattern);
    text_ = pattern;
    hold_ = os::hold_folder(pattern);
    try {
        replace_and_write(path_text(path_ / scratch_marker),
                          [pid](OutputFile& marker) { marker.write(scratch_marker_text(pid)); });
    } catch (const FileError& failed) {
        os::remove_flat_folder(pattern.c_str());
        os::scratch_removed();
        os::release_folder(hold_);
        throw CommandFailure(exit_status::cannot_create,
                             "cannot create a scratch folder in '" + path_text(parent) + "': " + failed.what());
    }
}

ScratchFolder::~ScratchFolder() {
    // Only files are made in it: the copies of the descriptions, the binary
    // files, their temporary files and the marker.
    os::remove_flat_folder(text_.c_str());
    os::scratch_removed();
    os::release_folder(hold_);
}

OutputFolder::OutputFolder(const fs::path& folder, std::chrono::milliseconds patience) {
    // Another run that created the folder removes it again when it wrote
    // nothing; one waiting for it then finds it gone, and makes it anew.
    for (int attempt = 0; attempt < 100; ++attempt) {
        try {
            create_missing(folder);
        } catch (const CommandFailure&) {
            remove_created();
            throw;
        }
        try {
            if (lock(folder, patience)) return;
        } catch (const CommandFailure&) {
            // Another run is at work in the folder: what this one created
            // stays for it.
            os::keep_output_folders();
            throw;
        }
    }
    remove_created();
    throw CommandFailure(exit_status::cannot_create, "cannot create the output folder '" + path_text(folder) +
                                                         "' (removed by another run each time)");
}

OutputFolder::~OutputFolder() {
    // While the lock is held no other run is at work in the folder: empty,
    // it is one nothing was written into.
    remove_created();
}

void OutputFolder::remove_created() {
    for (const std::string& created : created_) os::remove_if_empty(created.c_str());
    os::keep_output_folders();
}

void OutputFolder::create_missing(const fs::path& folder) {
    std::vector<fs::path> missing;  // innermost first
    for (fs::path at = folder; !at.empty() && entry_at(path_text(at)) == Entry::none; at = at.parent_path()) {
        missing.push_back(at);
        if (at == at.parent_path()) break;
    }
    for (auto at = missing.rbegin(); at != missing.rend(); ++at) {
        // EEXIST: another run made it meanwhile.
        const int error = os::make_output_folder(path_text(*at), created_);
        if (error != 0 && error != EEXIST) {
            throw CommandFailure(exit_status::cannot_create, "cannot create the output folder '" + path_text(folder) +
                                                                 "' (" + std::strerror(error) + ")");
        }
    }
}

bool OutputFolder::lock(const fs::path& folder, std::chrono::milliseconds patience) {
    const std::string name = path_text(folder);
    const std::optional<os::Identity> before = os::identity(name);
    try {
        lock_.emplace(name, patience);
    } catch (const FileError&) {
        const std::optional<os::Holder> holder = os::lock_holder(name);
        const std::string who =
            holder ? " (" + display_text(holder->program) + ", process " + std::to_string(holder->pid) + ")" : "";
        throw CommandFailure(exit_status::cannot_create, "cannot compile into '" + name + "': another run" + who +
                                                             " has been working in this folder for " +
                                                             std::to_string(patience.count() / 1000) + " s");
    }
    // The lock is on the folder that was there before the wait, and that
    // folder is still there. Something else than a folder at the name is
    // told by the checks that follow.
    const std::optional<os::Identity> after = os::identity(name);
    if (before ? after && *before == *after : entry_at(name) != Entry::none) return true;
    lock_.reset();
    return false;
}

}  // namespace scenario::tool
