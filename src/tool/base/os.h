// What the tool's scratch folders, the output folder of `compile`, the
// checks of inputs and output names and its standard streams need from the
// operating system, in a few small functions: each system has its own
// version of them (os_posix.cpp, os_windows.cpp, chosen by CMake), and
// everything else is the same everywhere. Paths are UTF-8; on Windows they
// reach the system as wide characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::tool::os {

// A process's id: 32 bits unsigned on some systems, so wider than a long
// may be.
using ProcessId = std::int64_t;

// This process's id.
ProcessId process_id();

// Creates a new folder from `pattern`, whose last six characters ("XXXXXX")
// become a name not yet taken; `pattern` then holds the folder's path, and
// the folder is the scratch folder a signal removes from the moment it
// exists, until scratch_removed(). Returns 0, or the error number when no folder
// could be made.
int make_scratch_folder(std::string& pattern);

// A hold on a folder while the process lives, so that another tool can tell
// a folder at work from one left behind; -1 when none could be taken.
std::intptr_t hold_folder(const std::string& folder);
void release_folder(std::intptr_t hold);

// True when nothing holds the folder any longer: the process `pid` has ended
// and no process holds the folder as hold_folder() does.
bool abandoned(const std::string& folder, ProcessId pid);

// The names of the entries of a folder, without "." and ".."; none when it
// cannot be read.
std::vector<std::string> entry_names(const std::string& folder);

// Removes the files in a folder (never what is in a folder inside it), then
// the folder itself when that left it empty. Only system calls, as a signal
// handler may make.
void remove_flat_folder(const char* path);

// Removes a folder when it is empty; nothing otherwise.
void remove_if_empty(const char* path);

// The process that holds the lock of io's FolderLock on `folder`, and its
// program's name, when the system tells.
struct Holder {
    ProcessId pid = 0;
    std::string program;
};
std::optional<Holder> lock_holder(const std::string& folder);

// What tells one file from another, whatever names it has (a device and an
// inode on POSIX systems, a volume and a file index on Windows): links are
// followed. Nothing when there is no
// such file.
struct Identity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool operator==(const Identity&) const = default;
};
std::optional<Identity> identity(const std::string& path);

// SIGINT, SIGTERM and SIGHUP (on Windows: Ctrl+C, Ctrl+Break, closing the
// console, logging off and shutting down) remove the scratch folder at work
// and the folders created for the output (innermost first), each while it
// is empty, before they end the tool as they would have; their handlers are
// in place while there is either. scratch_removed() says the scratch folder
// is gone.
void scratch_removed();

// Creates the folder `path` for the output and, in the same step for a
// signal, puts it first in `created`, the folders a signal removes while
// empty. Returns 0, EEXIST when something already has the name, or the
// error number.
int make_output_folder(const std::string& path, std::vector<std::string>& created);
// The folders created for the output are no longer removed by a signal.
void keep_output_folders();

// What keeps `path` from being read as a regular file, links followed:
// "does not exist", "is a folder", "is not a regular file" or "cannot be read
// (REASON)"; empty when nothing does.
std::string file_trouble(const std::string& path);

// Whether files can be created in the folder, as far as the system tells
// before trying.
bool writable_folder(const std::string& folder);

// The longest name of a file the file system of `folder` takes (that of any,
// while `folder` is missing), and the length of a name in the same measure:
// bytes on POSIX systems, UTF-16 units on Windows, named by name_length_unit.
std::size_t longest_name(const std::string& folder);
std::size_t name_length(std::string_view name);
extern const char* const name_length_unit;
// The characters a part of a file name cannot hold: the folder separators,
// and on Windows the characters its file names refuse.
extern const std::string_view forbidden_in_names;

// From now on, a write past a file-size limit or into a pipe whose reader
// has gone fails with its reason instead of ending the process. Not undone:
// the standard streams are flushed once more when the process ends, and that
// write must not end it either.
void writes_fail_instead_of_ending();

#ifdef _WIN32
// The system's words for a Windows error code (GetLastError()).
std::string windows_reason(unsigned long code);
#endif

}  // namespace scenario::tool::os
