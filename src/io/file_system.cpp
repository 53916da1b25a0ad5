#include "io/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <random>
#include <set>
#include <thread>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <process.h>
#include <share.h>
#include <windows.h>
#else
#include <dirent.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace scenario {

namespace {

std::string reason_of(int error) {
    if (error == ENOENT) return "does not exist";
    return error != 0 ? std::string(std::strerror(error)) : std::string("unknown error");
}

std::string failed(const char* what, int error) { return std::string(what) + " (" + reason_of(error) + ")"; }

std::string failed(const char* what, const char* reason) { return std::string(what) + " (" + reason + ")"; }

#ifdef _WIN32
constexpr const char* separators = "\\/";

std::string system_reason(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = n > 0 ? to_utf8(std::wstring_view(text, n)) : "system error " + std::to_string(code);
    if (text != nullptr) LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) {
        reason.pop_back();
    }
    return reason;
}

std::string failed_system(const char* what) { return std::string(what) + " (" + system_reason(GetLastError()) + ")"; }
#else
constexpr const char* separators = "/";
#endif

// Creating a file fails with "does not exist" when its folder is missing.
FileError cannot_create(int error, const std::string& path) {
    if (error == ENOENT) return FileError(failed("cannot create", "its folder does not exist"), path);
    return FileError(failed("cannot create", error), path);
}

struct Split {
    std::string folder;
    std::string name;
};

Split split(const std::string& path) {
    const std::string::size_type at = path.find_last_of(separators);
    if (at == std::string::npos) return {".", path};
    return {at == 0 ? path.substr(0, 1) : path.substr(0, at), path.substr(at + 1)};
}

std::string join(const std::string& folder, const std::string& name) {
    return folder + (folder.find_last_of(separators) + 1 == folder.size() ? "" : std::string(1, separators[0])) + name;
}

// Temporary files are ".NAME.XXXXXX.partial" beside the final NAME, with the
// name cut short enough that the temporary name is never the longer problem.
constexpr std::size_t longest_kept_name = 200;
constexpr std::size_t random_length = 6;
constexpr std::string_view temporary_suffix = ".partial";

std::string temporary_prefix(const std::string& name) {
    std::size_t keep = std::min(name.size(), longest_kept_name);
    while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    std::string prefix(1, '.');
    prefix.append(name, 0, keep);
    prefix += '.';
    return prefix;
}

// ".NAME.XXXXXX.partial", NAME not empty, X a letter or a digit.
bool is_temporary(std::string_view entry) {
    const std::size_t tail = 1 + random_length + temporary_suffix.size();
    if (entry.size() < 2 + tail || entry.front() != '.' || entry[entry.size() - tail] != '.' ||
        entry.substr(entry.size() - temporary_suffix.size()) != temporary_suffix) {
        return false;
    }
    const std::string_view letters = entry.substr(entry.size() - tail + 1, random_length);
    return std::all_of(letters.begin(), letters.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

// Each folder is swept once in a process, at its first output: a folder
// with many files is not listed again for every output.
bool first_output_in(const std::string& folder) {
    static std::set<std::string> swept;
    return swept.insert(folder).second;
}

std::string random_letters() {
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937_64 engine = [] {
        std::uint32_t entropy[2] = {};
        try {
            std::random_device device;
            entropy[0] = device();
            entropy[1] = device();
        } catch (const std::exception&) {
            // The clock and the process number still tell runs apart.
        }
        const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#ifdef _WIN32
        const auto process = static_cast<std::uint32_t>(_getpid());
#else
        const auto process = static_cast<std::uint32_t>(::getpid());
#endif
        std::seed_seq seed{entropy[0], entropy[1], process, static_cast<std::uint32_t>(now),
                           static_cast<std::uint32_t>(now >> 32)};
        return std::mt19937_64(seed);
    }();
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    std::string text(random_length, 'x');
    for (char& c : text) c = letters[pick(engine)];
    return text;
}

constexpr std::size_t buffer_capacity = std::size_t{64} * 1024;
// The most handed to one system call.
constexpr std::size_t largest_transfer = std::size_t{1} << 30;

}  // namespace

FileError::FileError(const std::string& what_failed, const std::string& path)
    : std::runtime_error(what_failed + " '" + path + "'"), path_(path) {}

#ifdef _WIN32

std::wstring to_wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(n, 0)), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::string to_utf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(n, 0)), '\0');
    if (n > 0) {
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr, nullptr);
    }
    return utf8;
}

Entry entry_at(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(to_wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Entry::none;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return Entry::link;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Entry::folder;
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return Entry::other;
    return Entry::regular;
}

void delete_file(const std::string& path) {
    if (!DeleteFileW(to_wide(path).c_str())) throw FileError(failed_system("cannot delete"), path);
}

void require_replaceable(const std::string& path) {
    const Entry entry = entry_at(path);
    if (entry == Entry::folder) throw FileError(failed("cannot replace", "is a folder"), path);
    if (entry == Entry::other) throw FileError(failed("cannot replace", "is not a regular file"), path);
}

namespace {

int open_for_reading(const std::string& path, Links /*links*/) {
    int fd = -1;
    _wsopen_s(&fd, to_wide(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, 0);
    return fd;
}

bool stat_regular(int fd, std::uint64_t& size, const char*& not_regular) {
    struct _stat64 info {};
    if (_fstat64(fd, &info) != 0) return false;
    size = static_cast<std::uint64_t>(info.st_size);
    not_regular = (info.st_mode & _S_IFDIR) != 0   ? "is a folder"
                  : (info.st_mode & _S_IFREG) == 0 ? "is not a regular file"
                                                   : nullptr;
    return true;
}

long long read_some(int fd, char* into, std::size_t count) {
    return _read(fd, into, static_cast<unsigned>(std::min(count, largest_transfer)));
}

long long write_some(int fd, const char* from, std::size_t count) {
    return _write(fd, from, static_cast<unsigned>(std::min(count, largest_transfer)));
}

int close_file(int fd) { return _close(fd); }

void remove_stale_temporaries(const std::string& folder) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(to_wide(join(folder, ".*" + std::string(temporary_suffix))).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string entry = to_utf8(found.cFileName);
        // A temporary file still being written is open without sharing its
        // deletion, so only one left by a run that ended goes.
        if (is_temporary(entry)) DeleteFileW(to_wide(join(folder, entry)).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : path_(path) {
    require_replaceable(path_);
    const Split at = split(path_);
    const std::string prefix = temporary_prefix(at.name);
    if (first_output_in(at.folder)) remove_stale_temporaries(at.folder);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = join(at.folder, prefix + random_letters() + std::string(temporary_suffix));
        errno = 0;
        _wsopen_s(&fd_, to_wide(temporary_).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _SH_DENYNO, _S_IREAD | _S_IWRITE);
        if (fd_ >= 0) return;
        const int error = errno;
        if (error != EEXIST) {
            temporary_.clear();
            throw cannot_create(error, path_);
        }
    }
    temporary_.clear();
    throw FileError(failed("cannot create", "no free temporary name beside it"), path_);
}

void OutputFile::commit() {
    if (committed_) return;
    if (!buffer_.empty()) {
        write_through(std::string_view(buffer_.data(), buffer_.size()));
        buffer_.clear();
    }
    const int fd = fd_;
    fd_ = -1;
    if (close_file(fd) != 0) throw FileError(failed("cannot close after writing", errno), path_);
    if (!MoveFileExW(to_wide(temporary_).c_str(), to_wide(path_).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        throw FileError(failed_system("cannot replace"), path_);
    }
    committed_ = true;
}

void OutputFile::discard() noexcept {
    if (fd_ >= 0) close_file(fd_);
    fd_ = -1;
    if (!committed_ && !temporary_.empty()) DeleteFileW(to_wide(temporary_).c_str());
}

void move_into_place(const std::string& from, const std::string& to) {
    require_replaceable(to);
    if (!MoveFileExW(to_wide(from).c_str(), to_wide(to).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        throw FileError(failed_system("cannot move into place"), to);
    }
}

FolderLock::FolderLock(const std::string& folder, std::chrono::milliseconds patience) {
    // One mutex name per folder: its full path, in capitals as the file
    // system compares names, hashed to fit a name.
    std::wstring wide = to_wide(folder);
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) break;
        if (n < full.size()) {
            full.resize(n);
            wide = full;
            break;
        }
        full.resize(n);
    }
    if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    std::uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : wide) {
        hash ^= static_cast<std::uint16_t>(c);
        hash *= 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    HANDLE mutex = nullptr;
    for (const char* scope : {"Global\\", "Local\\"}) {
        mutex = CreateMutexW(nullptr, FALSE, to_wide(std::string(scope) + "scenario-folder-" + hex).c_str());
        if (mutex != nullptr) break;
    }
    if (mutex == nullptr) return;
    const DWORD waited = WaitForSingleObject(mutex, static_cast<DWORD>(patience.count()));
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        throw FileError("cannot start (another run has been working in this folder for " +
                            std::to_string(patience.count() / 1000) + " s)",
                        folder);
    }
    handle_ = reinterpret_cast<std::intptr_t>(mutex);
    held_ = true;
}

FolderLock::~FolderLock() {
    if (!held_) return;
    const HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

#else  // POSIX

Entry entry_at(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return Entry::none;
    if (S_ISREG(info.st_mode)) return Entry::regular;
    if (S_ISLNK(info.st_mode)) return Entry::link;
    if (S_ISDIR(info.st_mode)) return Entry::folder;
    return Entry::other;
}

void delete_file(const std::string& path) {
    if (::unlink(path.c_str()) != 0) throw FileError(failed("cannot delete", errno), path);
}

void require_replaceable(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno == ENAMETOOLONG) throw FileError(failed("cannot create", errno), path);
        return;
    }
    if (S_ISDIR(info.st_mode)) throw FileError(failed("cannot replace", "is a folder"), path);
    if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) {
        throw FileError(failed("cannot replace", "is not a regular file"), path);
    }
}

namespace {

int open_for_reading(const std::string& path, Links links) {
    // O_NONBLOCK: a FIFO that slipped in after the check still opens at once.
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (links == Links::refuse ? O_NOFOLLOW : 0);
    return ::open(path.c_str(), flags);
}

bool stat_regular(int fd, std::uint64_t& size, const char*& not_regular) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return false;
    size = static_cast<std::uint64_t>(info.st_size);
    not_regular = S_ISDIR(info.st_mode) ? "is a folder" : !S_ISREG(info.st_mode) ? "is not a regular file" : nullptr;
    return true;
}

long long read_some(int fd, char* into, std::size_t count) {
    ssize_t n = 0;
    do {
        n = ::read(fd, into, std::min(count, largest_transfer));
    } while (n < 0 && errno == EINTR);
    return n;
}

long long write_some(int fd, const char* from, std::size_t count) {
    ssize_t n = 0;
    do {
        n = ::write(fd, from, std::min(count, largest_transfer));
    } while (n < 0 && errno == EINTR);
    return n;
}

int close_file(int fd) {
    // Linux releases the descriptor even when close is interrupted.
    return ::close(fd) != 0 && errno != EINTR ? -1 : 0;
}

}  // namespace

void for_each_entry(const std::string& folder, const std::function<void(int folder_fd, const char* name)>& visit) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    DIR* listing = ::fdopendir(dir);
    if (listing == nullptr) {
        ::close(dir);
        return;
    }
    while (const dirent* entry = ::readdir(listing)) visit(dir, entry->d_name);
    ::closedir(listing);
}

namespace {

// A temporary file is locked by its writer from its creation to its rename,
// so one that can be locked was left by a run that ended before its rename.
void remove_stale_temporaries(const std::string& folder) {
    for_each_entry(folder, [](int dir, const char* name) {
        if (!is_temporary(name)) return;
        const int fd = ::openat(dir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return;
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dir, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_ino == held.st_ino &&
            named.st_dev == held.st_dev) {
            ::unlinkat(dir, name, 0);
        }
        ::close(fd);
    });
}

// Renames `from` over `to` in one step. An earlier file at `to` is swapped
// with the new one and then removed: a plain rename over it would make some
// file systems write the new file out to the disk at once, which doubles the
// time of a run that replaces its files. Either way the name holds the whole
// earlier file or the whole new one at every moment.
void put_in_place(const std::string& from, const std::string& to, const char* what) {
    struct stat earlier {};
    if (::lstat(to.c_str(), &earlier) == 0 && S_ISREG(earlier.st_mode) &&
        ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) == 0) {
        ::unlink(from.c_str());
        return;
    }
    if (::rename(from.c_str(), to.c_str()) != 0) throw FileError(failed(what, errno), to);
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : path_(path) {
    require_replaceable(path_);
    const Split at = split(path_);
    const std::string prefix = temporary_prefix(at.name);
    if (first_output_in(at.folder)) remove_stale_temporaries(at.folder);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = join(at.folder, prefix + random_letters() + std::string(temporary_suffix));
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            const int error = errno;
            if (error == EEXIST) continue;
            temporary_.clear();
            throw cannot_create(error, path_);
        }
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
        // Another run may have taken it for a stale one between its creation
        // and the lock, and removed it.
        struct stat info {};
        if (::fstat(fd_, &info) == 0 && info.st_nlink > 0) return;
        ::close(fd_);
        fd_ = -1;
    }
    temporary_.clear();
    throw FileError(failed("cannot create", "no free temporary name beside it"), path_);
}

void OutputFile::commit() {
    if (committed_) return;
    if (!buffer_.empty()) {
        write_through(std::string_view(buffer_.data(), buffer_.size()));
        buffer_.clear();
    }
    // The lock stays on a second descriptor until the rename, while the
    // close of the first reports any failure of the writing.
    const int lock = ::dup(fd_);
    const int fd = fd_;
    fd_ = lock;
    if (close_file(fd) != 0) throw FileError(failed("cannot close after writing", errno), path_);
    put_in_place(temporary_, path_, "cannot replace");
    committed_ = true;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void OutputFile::discard() noexcept {
    if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void move_into_place(const std::string& from, const std::string& to) {
    require_replaceable(to);
    put_in_place(from, to, "cannot move into place");
}

FolderLock::FolderLock(const std::string& folder, std::chrono::milliseconds patience) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            // A file system without locks: the run goes on unlocked.
            ::close(fd);
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            throw FileError("cannot start (another run has been working in this folder for " +
                                std::to_string(patience.count() / 1000) + " s)",
                            folder);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    handle_ = fd;
    held_ = true;
}

FolderLock::~FolderLock() {
    if (held_) ::close(static_cast<int>(handle_));
}

#endif

bool file_exists(const std::string& path) { return entry_at(path) == Entry::regular; }

void delete_file_if_present(const std::string& path) {
    if (file_exists(path)) delete_file(path);
}

InputFile::InputFile(const std::string& path, Links links) : path_(path) {
    // A folder, FIFO or device is refused before it is opened: opening some
    // of them waits or has effects of its own.
#ifndef _WIN32
    struct stat info {};
    const int found = links == Links::refuse ? ::lstat(path.c_str(), &info) : ::stat(path.c_str(), &info);
    if (found == 0 && S_ISLNK(info.st_mode)) throw FileError(failed("cannot open for reading", "is a link"), path);
    if (found == 0 && S_ISDIR(info.st_mode)) throw FileError(failed("cannot open for reading", "is a folder"), path);
    if (found == 0 && !S_ISREG(info.st_mode)) {
        throw FileError(failed("cannot open for reading", "is not a regular file"), path);
    }
#else
    const Entry entry = entry_at(path);
    if (entry == Entry::folder) throw FileError(failed("cannot open for reading", "is a folder"), path);
    if (entry == Entry::other) throw FileError(failed("cannot open for reading", "is not a regular file"), path);
#endif
    fd_ = open_for_reading(path, links);
    if (fd_ < 0) {
        const int error = errno;
#ifndef _WIN32
        if (error == ELOOP && links == Links::refuse) {
            throw FileError(failed("cannot open for reading", "is a link"), path);
        }
#endif
        throw FileError(failed("cannot open for reading", error), path);
    }
    const char* not_regular = nullptr;
    if (!stat_regular(fd_, size_, not_regular)) {
        const int error = errno;
        close_file(fd_);
        throw FileError(failed("cannot open for reading", error), path);
    }
    if (not_regular != nullptr) {
        close_file(fd_);
        throw FileError(failed("cannot open for reading", not_regular), path);
    }
}

InputFile::~InputFile() {
    if (fd_ >= 0) close_file(fd_);
}

std::size_t InputFile::read(char* into, std::size_t count) {
    const long long n = read_some(fd_, into, count);
    if (n < 0) throw FileError(failed("cannot read", errno), path_);
    return static_cast<std::size_t>(n);
}

std::string read_whole_file(const std::string& path, Links links) {
    InputFile file(path, links);
    std::string content(static_cast<std::size_t>(file.size()), '\0');
    std::size_t have = 0;
    while (have < content.size()) {
        const std::size_t n = file.read(content.data() + have, content.size() - have);
        if (n == 0) break;
        have += n;
    }
    content.resize(have);
    // The file may have grown since it was opened.
    char more[4096];
    while (const std::size_t n = file.read(more, sizeof more)) content.append(more, n);
    return content;
}

OutputFile::~OutputFile() { discard(); }

void OutputFile::write(std::string_view bytes) {
    if (bytes.empty()) return;
    if (buffer_.size() + bytes.size() <= buffer_capacity) {
        if (buffer_.capacity() == 0) buffer_.reserve(buffer_capacity);
        buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
        return;
    }
    if (!buffer_.empty()) {
        write_through(std::string_view(buffer_.data(), buffer_.size()));
        buffer_.clear();
    }
    if (bytes.size() >= buffer_capacity) {
        write_through(bytes);
    } else {
        buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    }
}

void OutputFile::write_through(std::string_view bytes) {
    while (!bytes.empty()) {
        const long long n = write_some(fd_, bytes.data(), bytes.size());
        if (n <= 0) throw FileError(failed("cannot write", n < 0 ? errno : ENOSPC), path_);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace scenario
