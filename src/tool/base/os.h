// What the tool's scratch folders, the output folder of `compile` and the
// checks of output names need from the operating system, in a few small
// functions: each system has its own version of them (os_posix.cpp), and
// everything else about those folders is the same everywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace scenario::tool::os {

// Sets the memory allocator up for one command of a few megabytes, before
// the command starts. A page the process touches for the first time costs a
// fault, and on a virtual machine a fault costs as much as copying tens of
// kilobytes: a compile of the longest route touched 850 pages, most of the
// time it took beside the writing. So the heap grows in one reach that huge
// pages may back, and memory freed stays with the process for what comes
// next instead of being handed back and faulted in again. Only advice to the
// system: where it is not taken, nothing else changes.
void prepare_memory();

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
// inode on POSIX systems): links are followed. Nothing when there is no
// such file.
struct Identity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool operator==(const Identity&) const = default;
};
std::optional<Identity> identity(const std::string& path);

// SIGINT, SIGTERM and SIGHUP remove the scratch folder at work and the
// folders created for the output (innermost first), each while it is empty,
// before they end the tool as they would have; their handlers are in place
// while there is either. scratch_removed() says the scratch folder is gone.
void scratch_removed();

// Creates the folder `path` for the output and, in the same step for a
// signal, puts it first in `created`, the folders a signal removes while
// empty. Returns 0, EEXIST when something already has the name, or the
// error number.
int make_output_folder(const std::string& path, std::vector<std::string>& created);
// The folders created for the output are no longer removed by a signal.
void keep_output_folders();

}  // namespace scenario::tool::os
