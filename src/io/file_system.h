// File access shared by the writers, the reader, the binary files and the
// authoring tool: every failure is a FileError naming the file and the
// reason, which the run does not handle.
//
// Outputs are never written in place. Each is written under a temporary name
// beside it, created exclusively, and renamed over its final name once whole,
// so that a failed or killed run leaves the earlier file whole and a link at
// the name is replaced, never written through. Paths are UTF-8; on Windows
// they reach the system as wide characters.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

class FileError : public std::runtime_error {
public:
    // "WHAT 'PATH'"; `what_failed` ends with the reason in parentheses.
    FileError(const std::string& what_failed, const std::string& path);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// What stands at a name; a link is not followed.
enum class Entry { none, regular, link, folder, other };
Entry entry_at(const std::string& path);

// A regular file stands at the name (a link to one does not count).
bool file_exists(const std::string& path);
void delete_file(const std::string& path);
// Deletes the file when it exists; used where a file may already be gone.
void delete_file_if_present(const std::string& path);

enum class Links { follow, refuse };

// A regular file opened for reading. A folder, a FIFO or a device at the name
// (or a link, when links are refused) is a FileError before anything is
// read, so nothing ever waits for a writer.
class InputFile {
public:
    explicit InputFile(const std::string& path, Links links = Links::follow);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // The file's size when it was opened.
    std::uint64_t size() const { return size_; }
    // Up to `count` bytes; 0 at the end of the file.
    std::size_t read(char* into, std::size_t count);
    // The next read begins `offset` bytes from the start of the file.
    void seek(std::uint64_t offset);
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

std::string read_whole_file(const std::string& path, Links links = Links::follow);

// Refuses a name held by something an output must not replace: a folder, a
// FIFO, a device. A link or a regular file may be replaced.
void require_replaceable(const std::string& path);

// What a finished output may do: a program is created with every
// permission the process's file-mode mask leaves, as linkers make programs
// (a mark only POSIX systems keep).
enum class FileMode { data, program };

// A file being replaced. The bytes go to a temporary file beside `path`;
// commit() puts it in place in one step. Without commit() (a failure, an
// exception) the temporary file is removed and `path` stays as it was.
// Temporary files of the same name left by a run that was killed are removed
// at the first output to that name in a process; nothing else in the folder
// is touched. A writer locks its temporary file until the rename, so one at
// work is told apart.
class OutputFile {
public:
    explicit OutputFile(const std::string& path, FileMode mode = FileMode::data);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);
    // Writes `bytes` at `offset` from the start of the file, after what was
    // written before; write() goes on where it was. The file grows to hold
    // them. For a file whose two parts are made together.
    void write_at(std::uint64_t offset, std::string_view bytes);
    // Writes out what is buffered, closes the file and renames it over the
    // final name. The data is handed to the system, not synced to the disk.
    void commit();
    // As commit(), but only where nothing stands at the name: when something
    // does, even a file another process made a moment ago, it returns false,
    // removes the temporary file and leaves the name as it is.
    bool commit_new();
    const std::string& path() const { return path_; }

private:
    void write_out_buffer();
    void write_through(std::string_view bytes);
    // The checked close, then the rename; each system keeps its own order of
    // releasing the writer's hold.
    void close_and_put_in_place();
    // The same, where the rename never replaces: false when the name is taken.
    bool close_and_put_new();
    void discard() noexcept;

    std::string path_;
    std::string temporary_;
    int fd_ = -1;
    std::vector<char> buffer_;  // small writes gather here
    bool committed_ = false;
};

// The one way an output is written: `produce` receives the open file and
// writes the whole content; the file then replaces the old one at once.
template <typename Produce>
void replace_and_write(const std::string& path, Produce&& produce) {
    OutputFile out(path);
    produce(out);
    out.commit();
}

// Renames a finished file over `to` in one step (both in the same file
// system); a folder, FIFO or device at `to` is refused.
void move_into_place(const std::string& from, const std::string& to);

// Keeps other runs out of a folder while it lives: a second run waits for the
// first to end, for at most `patience`, then a FileError says the folder is
// in use. It leaves no file behind (an advisory lock on the folder itself; on
// Windows a named mutex derived from the folder's path). A folder that cannot
// be opened for locking is not locked.
class FolderLock {
public:
    FolderLock(const std::string& folder, std::chrono::milliseconds patience);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool held() const { return held_; }

private:
    bool held_ = false;
    std::intptr_t handle_ = -1;
};

#ifdef _WIN32
std::wstring to_wide(std::string_view utf8);
std::string to_utf8(std::wstring_view wide);
// The system's words for a Windows error code (GetLastError()), without the
// closing full stop and line end.
std::string system_reason(unsigned long code);
#else
// Calls `visit(folder_fd, name)` for every entry of a folder, with the folder
// open for the calls that take it (openat, unlinkat); nothing when the folder
// cannot be read. The sweeps of what killed runs left behind go through it.
void for_each_entry(const std::string& folder, const std::function<void(int folder_fd, const char* name)>& visit);
#endif

}  // namespace scenario
