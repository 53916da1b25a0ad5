// The binary files opened for reading on Linux and other POSIX systems.
#include "tool/binary/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "tool/base/compaction.h"
#include "tool/base/exit_status.h"
#include "tool/base/failures.h"

namespace scenario::tool {

namespace {

std::string reason(int error) { return std::strerror(error); }

// An unnamed file in the system's temporary folder, gone when closed.
int anonymous_file() {
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
#ifdef O_TMPFILE
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
#endif
    std::string name = (folder / "scenario-tool-input-XXXXXX").string();
    const int named = ::mkostemp(name.data(), O_CLOEXEC);
    if (named < 0) {
        throw InputError(exit_status::cannot_write,
                         "standard input: cannot make a temporary file in " + folder.string() + ": " + reason(errno));
    }
    ::unlink(name.c_str());
    return named;
}

void write_all(int fd, const char* bytes, std::size_t n) {
    while (n > 0) {
        const ssize_t written = ::write(fd, bytes, n);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            throw InputError(exit_status::cannot_write,
                             "standard input: cannot keep a copy in the temporary folder: " + reason(errno));
        }
        bytes += written;
        n -= static_cast<std::size_t>(written);
    }
}

}  // namespace

InputFile::~InputFile() {
    if (fd_ >= 0 && owned_) ::close(fd_);
}

void InputFile::open_named(const std::string& path) {
    // Non-blocking, so that a FIFO at the name is refused below instead of
    // waiting for a writer; a regular file reads the same either way.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        if (error == ENOENT) throw InputError(exit_status::no_input, path + ": does not exist");
        throw InputError(exit_status::no_input, path + ": cannot open: " + reason(error));
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throw InputError(exit_status::no_input, path + ": cannot open: " + reason(errno));
    if (S_ISDIR(st.st_mode)) throw InputError(exit_status::no_input, path + ": is a folder");
    if (!S_ISREG(st.st_mode)) throw InputError(exit_status::no_input, path + ": is not a regular file");
    size_ = static_cast<std::uint64_t>(st.st_size);
}

void InputFile::open_standard_input(BinaryFile kind) {
    struct stat st {};
    if (::fstat(STDIN_FILENO, &st) != 0) {
        throw InputError(exit_status::no_input, "standard input: cannot read: " + reason(errno));
    }
    if (S_ISREG(st.st_mode)) {
        const off_t at = ::lseek(STDIN_FILENO, 0, SEEK_CUR);
        if (at >= 0 && at <= st.st_size) {
            fd_ = STDIN_FILENO;
            owned_ = false;
            start_ = static_cast<std::uint64_t>(at);
            size_ = static_cast<std::uint64_t>(st.st_size - at);
            return;
        }
    }
    // A pipe, a terminal or a device: copied as it comes, and refused as
    // soon as it holds more than any file of its kind could.
    fd_ = anonymous_file();
    std::vector<char> piece(std::size_t{64} << 10);
    const std::uint64_t limit = largest_file_size(kind);
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, piece.data(), piece.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw InputError(exit_status::cannot_write, "standard input: cannot read: " + reason(errno));
        if (got == 0) break;
        size_ += static_cast<std::uint64_t>(got);
        if (size_ > limit) {
            cut_ = true;  // no need to read on: check_size() refuses it
            break;
        }
        write_all(fd_, piece.data(), static_cast<std::size_t>(got));
    }
}

void InputFile::read_at(std::uint64_t offset, char* into, std::size_t n) const {
    while (n > 0) {
        const ssize_t got = ::pread(fd_, into, n, static_cast<off_t>(start_ + offset));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw InputError(exit_status::cannot_write, name_ + ": cannot read: " + reason(errno));
        if (got == 0) throw InputError(exit_status::cannot_write, name_ + ": cannot read: the file became shorter");
        into += got;
        offset += static_cast<std::uint64_t>(got);
        n -= static_cast<std::size_t>(got);
    }
}

}  // namespace scenario::tool
