// The file layer on Windows: paths handed to the system as wide characters,
// temporary files held open without shared deletion by their writer, and a
// named mutex per folder for the run's lock.
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <share.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>

#include "io/file_system.h"
#include "io/file_system_platform.h"

namespace scenario {

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

std::string system_reason(unsigned long code) {
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

namespace files {

namespace {

// The most handed to one system call.
constexpr std::size_t largest_transfer = std::size_t{1} << 30;

}  // namespace

const char* const path_separators = "\\/";

std::uint32_t process_number() { return static_cast<std::uint32_t>(_getpid()); }

int open_file_for_reading(const std::string& path, Links /*links*/) {
    // A folder or device is refused before it is opened: opening some of
    // them waits or has effects of its own.
    const Entry entry = entry_at(path);
    if (entry == Entry::folder) throw FileError(failed("cannot open for reading", "is a folder"), path);
    if (entry == Entry::other) throw FileError(failed("cannot open for reading", "is not a regular file"), path);
    int fd = -1;
    _wsopen_s(&fd, to_wide(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, 0);
    if (fd < 0) throw FileError(failed("cannot open for reading", errno), path);
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

// The descriptor's position is put back, so that write_some() goes on where
// it was.
long long write_some_at(int fd, const char* from, std::size_t count, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<long long>::max())) {
        errno = EFBIG;
        return -1;
    }
    const long long position = _telli64(fd);
    if (position < 0 || _lseeki64(fd, static_cast<long long>(offset), SEEK_SET) < 0) return -1;
    const long long n = write_some(fd, from, count);
    const int error = errno;
    if (_lseeki64(fd, position, SEEK_SET) < 0) return -1;
    errno = error;
    return n;
}

bool seek_to(int fd, std::uint64_t offset) {
    return _lseeki64(fd, static_cast<long long>(offset), SEEK_SET) == static_cast<long long>(offset);
}

int close_file(int fd) { return _close(fd); }

// Windows keeps no mark of a program in the file.
int create_temporary(const std::string& path, FileMode /*mode*/, int& error) {
    int fd = -1;
    errno = 0;
    _wsopen_s(&fd, to_wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _SH_DENYNO,
              _S_IREAD | _S_IWRITE);
    if (fd < 0) error = errno;
    return fd;
}

void remove_stale_temporaries(const std::string& folder, std::string_view prefix) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(to_wide(join(folder, ".*" + std::string(temporary_suffix))).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string entry = to_utf8(found.cFileName);
        // A temporary file still being written is open without sharing its
        // deletion, so only one left by a run that ended goes.
        if (is_temporary_of(entry, prefix)) DeleteFileW(to_wide(join(folder, entry)).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace files

namespace {

using files::failed;

std::string failed_system(const char* what) { return std::string(what) + " (" + system_reason(GetLastError()) + ")"; }

// One mutex name per folder: its full path, in capitals as the file system
// compares names, hashed to fit a name.
std::string folder_mutex_name(const std::string& folder) {
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
    return std::string("scenario-folder-") + hex;
}

}  // namespace

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

void OutputFile::close_and_put_in_place() {
    const int fd = fd_;
    fd_ = -1;
    if (files::close_file(fd) != 0) throw FileError(failed("cannot close after writing", errno), path_);
    if (!MoveFileExW(to_wide(temporary_).c_str(), to_wide(path_).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        throw FileError(failed_system("cannot replace"), path_);
    }
}

// Without MOVEFILE_REPLACE_EXISTING the move fails where anything has the
// name, in one step.
bool OutputFile::close_and_put_new() {
    const int fd = fd_;
    fd_ = -1;
    if (files::close_file(fd) != 0) throw FileError(failed("cannot close after writing", errno), path_);
    if (MoveFileExW(to_wide(temporary_).c_str(), to_wide(path_).c_str(), 0)) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return false;
    SetLastError(error);
    throw FileError(failed_system("cannot create"), path_);
}

void OutputFile::discard() noexcept {
    if (fd_ >= 0) files::close_file(fd_);
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
    const std::string name = folder_mutex_name(folder);
    HANDLE mutex = nullptr;
    for (const char* scope : {"Global\\", "Local\\"}) {
        mutex = CreateMutexW(nullptr, FALSE, to_wide(scope + name).c_str());
        if (mutex != nullptr) break;
    }
    if (mutex == nullptr) return;
    const DWORD waited = WaitForSingleObject(mutex, static_cast<DWORD>(patience.count()));
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        throw files::folder_in_use(folder, patience);
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

}  // namespace scenario
