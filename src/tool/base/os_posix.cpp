// The tool's system calls on Linux and other POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>

#include "tool/base/os.h"

namespace scenario::tool::os {

namespace {

// What the signal handler removes, in fixed buffers filled while the signals
// are held back, so the handler reads nothing half-written: the scratch
// folder, and the created output folders one after the other, each ended by
// a NUL, the list by an empty one.
char scratch_to_remove[PATH_MAX] = {};
std::array<char, std::size_t{64} << 10> folders_to_remove = {};

constexpr int cleanup_signals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction replaced[std::size(cleanup_signals)];
bool handlers_installed[std::size(cleanup_signals)] = {};

void remove_and_end(int signal) {
    if (scratch_to_remove[0] != '\0') remove_flat_folder(scratch_to_remove);
    for (const char* folder = folders_to_remove.data(); *folder != '\0'; folder += std::strlen(folder) + 1) {
        remove_if_empty(folder);
    }
    // Ends the tool as the signal would have, once this handler returns.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void install_handlers() {
    for (std::size_t i = 0; i < std::size(cleanup_signals); ++i) {
        if (handlers_installed[i]) continue;
        struct sigaction current {};
        // A signal the tool was started to ignore stays ignored.
        if (::sigaction(cleanup_signals[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction cleanup {};
        cleanup.sa_handler = remove_and_end;
        sigemptyset(&cleanup.sa_mask);
        for (int other : cleanup_signals) sigaddset(&cleanup.sa_mask, other);
        handlers_installed[i] = ::sigaction(cleanup_signals[i], &cleanup, &replaced[i]) == 0;
    }
}

void restore_handlers() {
    for (std::size_t i = 0; i < std::size(cleanup_signals); ++i) {
        if (handlers_installed[i]) ::sigaction(cleanup_signals[i], &replaced[i], nullptr);
        handlers_installed[i] = false;
    }
}

// Holds back SIGINT, SIGTERM and SIGHUP while it lives, so that the handler
// never meets a buffer being filled.
class HeldSignals {
public:
    HeldSignals() {
        sigset_t held;
        sigemptyset(&held);
        for (int signal : cleanup_signals) sigaddset(&held, signal);
        ::sigprocmask(SIG_BLOCK, &held, &before_);
    }
    ~HeldSignals() { ::sigprocmask(SIG_SETMASK, &before_, nullptr); }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

private:
    sigset_t before_;
};

void handlers_while_needed() {
    if (scratch_to_remove[0] != '\0' || folders_to_remove[0] != '\0') {
        install_handlers();
    } else {
        restore_handlers();
    }
}

}  // namespace

ProcessId process_id() { return ProcessId{::getpid()}; }

int make_scratch_folder(std::string& pattern) {
    // Made and recorded with the signals held back: a signal finds either
    // no folder or one it removes.
    const HeldSignals held;
    if (pattern.size() >= sizeof scratch_to_remove) return ENAMETOOLONG;
    if (::mkdtemp(pattern.data()) == nullptr) return errno;
    std::memcpy(scratch_to_remove, pattern.c_str(), pattern.size() + 1);
    handlers_while_needed();
    return 0;
}

std::intptr_t hold_folder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) break;  // a file system without locks: the process id still tells
    }
    return fd;
}

void release_folder(std::intptr_t hold) {
    if (hold >= 0) ::close(static_cast<int>(hold));
}

bool abandoned(const std::string& folder, ProcessId pid) {
    // A process the tool may not signal is alive all the same.
    if (pid <= 0 || pid > INT_MAX || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) return false;
    // The same id in another process namespace sharing this folder: its
    // hold tells.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
    ::close(fd);
    return free;
}

std::vector<std::string> entry_names(const std::string& folder) {
    std::vector<std::string> names;
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) return names;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(listing);
    return names;
}

void remove_flat_folder(const char* path) {
    const int dir = ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) return;
    alignas(dirent64) char entries[4096];
    for (int round = 0; round < 1000; ++round) {
        const ssize_t n = ::getdents64(dir, entries, sizeof entries);
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
            const char* name = entry->d_name;
            const bool dots = name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
            // Without AT_REMOVEDIR a folder inside is not removed.
            if (!dots) ::unlinkat(dir, name, 0);
            at += entry->d_reclen;
        }
    }
    ::close(dir);
    ::rmdir(path);
}

void remove_if_empty(const char* path) { ::rmdir(path); }

std::optional<Holder> lock_holder(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return std::nullopt;
    // "1: FLOCK  ADVISORY  WRITE 4242 08:01:1234 0 EOF": the device in hex,
    // the inode in decimal; "1: -> FLOCK ..." is a process waiting.
    char device[64];
    std::snprintf(device, sizeof device, "%02x:%02x:%llu", ::major(info.st_dev), ::minor(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, advisory, mode, file;
        ProcessId pid = 0;
        if (!(fields >> number >> kind >> advisory >> mode >> pid >> file)) continue;
        if (kind != "FLOCK" || file != device || pid <= 0) continue;
        Holder holder{pid, ""};
        std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
        std::getline(comm, holder.program);
        return holder;
    }
    return std::nullopt;
}

void scratch_removed() {
    const HeldSignals held;
    scratch_to_remove[0] = '\0';
    handlers_while_needed();
}

std::optional<Identity> identity(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return Identity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

namespace {

void record_output_folders(const std::vector<std::string>& folders) {
    std::size_t at = 0;
    // As many as fit, innermost first: an outer folder is only empty once
    // those inside it are gone.
    for (const std::string& folder : folders) {
        if (at + folder.size() + 2 > folders_to_remove.size()) break;
        std::memcpy(folders_to_remove.data() + at, folder.c_str(), folder.size() + 1);
        at += folder.size() + 1;
    }
    folders_to_remove[at] = '\0';
    handlers_while_needed();
}

}  // namespace

int make_output_folder(const std::string& path, std::vector<std::string>& created) {
    const HeldSignals held;
    if (::mkdir(path.c_str(), 0777) != 0) return errno;
    created.insert(created.begin(), path);
    record_output_folders(created);
    return 0;
}

void keep_output_folders() {
    const HeldSignals held;
    record_output_folders({});
}

std::string file_trouble(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? "does not exist" : std::string("cannot be read (") + std::strerror(errno) + ")";
    }
    if (S_ISDIR(info.st_mode)) return "is a folder";
    if (!S_ISREG(info.st_mode)) return "is not a regular file";
    return {};
}

bool writable_folder(const std::string& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

std::size_t longest_name(const std::string& folder) {
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
}

std::size_t name_length(std::string_view name) { return name.size(); }

const char* const name_length_unit = "bytes";
const std::string_view forbidden_in_names = "/";

void writes_fail_instead_of_ending() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, nullptr);
    ::sigaction(SIGPIPE, &ignore, nullptr);
}

}  // namespace scenario::tool::os
