// The file layer's seam between what every system shares (file_system.cpp)
// and what each does its own way (file_system_posix.cpp, file_system_windows.cpp,
// one of them built). Private to the io layer.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "io/file_system.h"

namespace scenario::files {

// "WHAT (REASON)", the reason from an errno value or given.
std::string failed(const char* what, int error);
std::string failed(const char* what, const char* reason);
// Creating a file fails with "does not exist" when its folder is missing.
FileError cannot_create(int error, const std::string& path);

// The refusal of a run that waited `patience` for another to leave a folder.
FileError folder_in_use(const std::string& folder, std::chrono::milliseconds patience);

// A folder and a name in it, with the system's separator.
std::string join(const std::string& folder, const std::string& name);

// Temporary files are ".NAME.XXXXXX.partial" beside the final NAME; `prefix`
// is ".NAME.", the name cut short as temporary_prefix does it.
inline constexpr std::string_view temporary_suffix = ".partial";
bool is_temporary_of(std::string_view entry, std::string_view prefix);

// What each system provides.

// The separators of a path; the first one joins a folder and a name.
extern const char* const path_separators;
std::uint32_t process_number();

// Opens a regular file for reading; anything else at the name is refused
// before it is opened. A failure is a FileError "cannot open for reading".
int open_file_for_reading(const std::string& path, Links links);
// The size of an open file, and the refusal when it is not a regular file.
bool stat_regular(int fd, std::uint64_t& size, const char*& not_regular);
long long read_some(int fd, char* into, std::size_t count);
long long write_some(int fd, const char* from, std::size_t count);
// Writes at `offset` without moving the position write_some() writes at.
long long write_some_at(int fd, const char* from, std::size_t count, std::uint64_t offset);
int close_file(int fd);

// Creates the temporary file exclusively and takes the writer's hold on it;
// -1 and `error` when it cannot, EEXIST when the name is taken.
int create_temporary(const std::string& path, int& error);
// Removes the temporary files ".NAME.XXXXXX.partial" of one prefix that no
// writer holds.
void remove_stale_temporaries(const std::string& folder, std::string_view prefix);

}  // namespace scenario::files
