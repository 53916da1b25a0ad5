// The file layer on POSIX systems: descriptors, advisory locks held by each
// writer on its temporary file and by a run on its folder, and renames that
// swap an earlier file out in one step.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <thread>

#include "io/file_system.h"
#include "io/file_system_platform.h"

namespace scenario {

namespace files {

namespace {

// The most handed to one system call.
constexpr std::size_t largest_transfer = std::size_t{1} << 30;

}  // namespace

const char* const path_separators = "/";

std::uint32_t process_number() { return static_cast<std::uint32_t>(::getpid()); }

// A folder, FIFO or device is refused before it is opened: opening some of
// them waits or has effects of its own.
int open_file_for_reading(const std::string& path, Links links) {
    struct stat info {};
    const int found = links == Links::refuse ? ::lstat(path.c_str(), &info) : ::stat(path.c_str(), &info);
    if (found == 0 && S_ISLNK(info.st_mode)) throw FileError(failed("cannot open for reading", "is a link"), path);
    if (found == 0 && S_ISDIR(info.st_mode)) throw FileError(failed("cannot open for reading", "is a folder"), path);
    if (found == 0 && !S_ISREG(info.st_mode)) {
        throw FileError(failed("cannot open for reading", "is not a regular file"), path);
    }
    // O_NONBLOCK: a FIFO that slipped in after the check still opens at once.
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (links == Links::refuse ? O_NOFOLLOW : 0);
    const int fd = ::open(path.c_str(), flags);
    if (fd >= 0) return fd;
    const int error = errno;
    if (error == ELOOP && links == Links::refuse) throw FileError(failed("cannot open for reading", "is a link"), path);
    throw FileError(failed("cannot open for reading", error), path);
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

long long write_some_at(int fd, const char* from, std::size_t count, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
        errno = EFBIG;
        return -1;
    }
    ssize_t n = 0;
    do {
        n = ::pwrite(fd, from, std::min(count, largest_transfer), static_cast<off_t>(offset));
    } while (n < 0 && errno == EINTR);
    return n;
}

int close_file(int fd) {
    // Linux releases the descriptor even when close is interrupted.
    return ::close(fd) != 0 && errno != EINTR ? -1 : 0;
}

int create_temporary(const std::string& path, int& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    // Another run may have taken it for a stale one between its creation and
    // the lock, and removed it: the name counts as taken.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_nlink > 0) return fd;
    ::close(fd);
    error = EEXIST;
    return -1;
}

// A temporary file is locked by its writer from its creation to its rename,
// so one that can be locked was left by a run that ended before its rename.
void remove_stale_temporaries(const std::string& folder, std::string_view prefix) {
    for_each_entry(folder, [prefix](int dir, const char* name) {
        if (!is_temporary_of(name, prefix)) return;
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

}  // namespace files

namespace {

using files::failed;

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

void OutputFile::close_and_put_in_place() {
    // The lock stays on a second descriptor until the rename, while the
    // close of the first reports any failure of the writing.
    const int lock = ::dup(fd_);
    const int fd = fd_;
    fd_ = lock;
    if (files::close_file(fd) != 0) throw FileError(failed("cannot close after writing", errno), path_);
    put_in_place(temporary_, path_, "cannot replace");
    temporary_.clear();
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
            throw files::folder_in_use(folder, patience);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    handle_ = fd;
    held_ = true;
}

FolderLock::~FolderLock() {
    if (held_) ::close(static_cast<int>(handle_));
}

}  // namespace scenario
