// The binary files opened for reading on Windows: paths reach the system as
// wide characters, and a read at an offset goes through the file's handle.
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "io/file_system.h"
#include "tool/base/exit_status.h"
#include "tool/base/failures.h"
#include "tool/base/os.h"
#include "tool/base/paths.h"
#include "tool/binary/input_file.h"

namespace scenario::tool {

namespace {

std::string reason(int error) { return std::strerror(error); }

// The most handed to one system call.
constexpr std::size_t largest_transfer = std::size_t{1} << 30;

// A file in the system's temporary folder that nothing else may open, gone
// when closed.
int anonymous_file() {
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    std::random_device entropy;
    std::mt19937 pick(entropy() ^ GetCurrentProcessId() ^ static_cast<unsigned>(GetTickCount64()));
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        const std::filesystem::path name = folder / ("scenario-tool-input-" + std::to_string(pick()) + ".tmp");
        int fd = -1;
        errno = 0;
        _wsopen_s(&fd, name.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT | _O_TEMPORARY, _SH_DENYRW,
                  _S_IREAD | _S_IWRITE);
        if (fd >= 0) return fd;
        error = errno;
    }
    throw InputError(exit_status::cannot_write,
                     "standard input: cannot make a temporary file in " + path_text(folder) + ": " + reason(error));
}

void write_all(int fd, const char* bytes, std::size_t n) {
    while (n > 0) {
        const int written = _write(fd, bytes, static_cast<unsigned>(std::min(n, largest_transfer)));
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
    if (fd_ >= 0 && owned_) _close(fd_);
}

void InputFile::open_named(const std::string& path) {
    // A folder or a device is refused before it is opened: opening some of
    // them waits or has effects of its own.
    const Entry entry = entry_at(path);
    if (entry == Entry::folder) throw InputError(exit_status::no_input, path + ": is a folder");
    if (entry == Entry::other) throw InputError(exit_status::no_input, path + ": is not a regular file");
    errno = 0;
    _wsopen_s(&fd_, to_wide(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, 0);
    if (fd_ < 0) {
        const int error = errno;
        if (error == ENOENT) throw InputError(exit_status::no_input, path + ": does not exist");
        throw InputError(exit_status::no_input, path + ": cannot open: " + reason(error));
    }
    struct _stat64 st {};
    if (_fstat64(fd_, &st) != 0) throw InputError(exit_status::no_input, path + ": cannot open: " + reason(errno));
    if ((st.st_mode & _S_IFMT) != _S_IFREG) throw InputError(exit_status::no_input, path + ": is not a regular file");
    size_ = static_cast<std::uint64_t>(st.st_size);
}

void InputFile::open_standard_input(BinaryFile kind) {
    struct _stat64 st {};
    if (_fstat64(0, &st) != 0) throw InputError(exit_status::no_input, "standard input: cannot read: " + reason(errno));
    if ((st.st_mode & _S_IFMT) == _S_IFREG) {
        const long long at = _lseeki64(0, 0, SEEK_CUR);
        if (at >= 0 && at <= st.st_size) {
            fd_ = 0;
            owned_ = false;
            start_ = static_cast<std::uint64_t>(at);
            size_ = static_cast<std::uint64_t>(st.st_size - at);
            return;
        }
    }
    // A pipe, the console or a device: copied as it comes, and refused as
    // soon as it holds more than any file of its kind could.
    fd_ = anonymous_file();
    std::vector<char> piece(std::size_t{64} << 10);
    const std::uint64_t limit = largest_file_size(kind);
    for (;;) {
        const int got = _read(0, piece.data(), static_cast<unsigned>(piece.size()));
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
    const auto file = reinterpret_cast<HANDLE>(_get_osfhandle(fd_));
    while (n > 0) {
        const std::uint64_t at = start_ + offset;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD got = 0;
        if (!ReadFile(file, into, static_cast<DWORD>(std::min(n, largest_transfer)), &got, &where)) {
            const DWORD error = GetLastError();
            if (error != ERROR_HANDLE_EOF) {
                throw InputError(exit_status::cannot_write, name_ + ": cannot read: " + os::windows_reason(error));
            }
            got = 0;
        }
        if (got == 0) throw InputError(exit_status::cannot_write, name_ + ": cannot read: the file became shorter");
        into += got;
        offset += got;
        n -= got;
    }
}

}  // namespace scenario::tool
