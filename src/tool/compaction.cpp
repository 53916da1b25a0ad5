#include "tool/compaction.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <iterator>
#include <system_error>

#include "compactor/memorizza_percorso.h"
#include "io/file_system.h"
#include "model/scenario_files.h"
#include "tool/commands.h"

namespace scenario::tool {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view scratch_prefix = ".scenario-tool-";
constexpr std::size_t scratch_name_length = scratch_prefix.size() + 6;  // mkdtemp's XXXXXX

// The live scratch folder, for the signal handler: a fixed buffer filled
// before the handler is installed, so the handler reads no object that may be
// half-built.
char live_scratch[PATH_MAX] = {};
constexpr int cleanup_signals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction replaced[std::size(cleanup_signals)];
bool handlers_installed[std::size(cleanup_signals)] = {};

// Only system calls, as a signal handler may make: the folder holds files
// only (the copies of the descriptions, the binary files and their
// temporary files).
void remove_flat_folder(const char* path) {
    const int dir = ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir >= 0) {
        alignas(dirent64) char entries[4096];
        for (int round = 0; round < 1000; ++round) {
            const ssize_t n = ::getdents64(dir, entries, sizeof entries);
            if (n <= 0) break;
            for (ssize_t at = 0; at < n;) {
                const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
                const char* name = entry->d_name;
                const bool dots = name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
                if (!dots) ::unlinkat(dir, name, 0);
                at += entry->d_reclen;
            }
        }
        ::close(dir);
    }
    ::rmdir(path);
}

void remove_scratch_and_end(int signal) {
    if (live_scratch[0] != '\0') remove_flat_folder(live_scratch);
    // Ends the tool as the signal would have, once this handler returns.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void install_cleanup_handlers() {
    for (std::size_t i = 0; i < std::size(cleanup_signals); ++i) {
        struct sigaction current {};
        // A signal the tool was started to ignore stays ignored.
        if (::sigaction(cleanup_signals[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction cleanup {};
        cleanup.sa_handler = remove_scratch_and_end;
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

// A scratch folder whose lock can be taken belongs to no tool at work.
void remove_stale_scratch_folders(const fs::path& parent) {
    for_each_entry(parent.string(), [&parent](int dir, const char* entry) {
        const std::string_view name = entry;
        if (name.size() != scratch_name_length || name.substr(0, scratch_prefix.size()) != scratch_prefix) return;
        const int fd = ::openat(dir, entry, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) return;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            std::error_code ignored;
            fs::remove_all(parent / std::string(name), ignored);
        }
        ::close(fd);
    });
}

// Holds back SIGINT, SIGTERM and SIGHUP while it lives, so that the handler
// never meets a scratch folder made but not yet recorded, or the reverse.
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

[[noreturn]] void cannot_create_scratch(const std::string& reason, const fs::path& parent) {
    throw CommandFailure(exit_status::cannot_create,
                         "cannot create a scratch folder (" + reason + ") in '" + parent.string() + "'");
}

}  // namespace

ScratchFolder::ScratchFolder(const fs::path& parent) {
    remove_stale_scratch_folders(parent);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string pattern = (parent / (std::string(scratch_prefix) + "XXXXXX")).string();
        if (pattern.size() >= sizeof live_scratch) cannot_create_scratch(std::strerror(ENAMETOOLONG), parent);
        const HeldSignals held;
        if (::mkdtemp(pattern.data()) == nullptr) cannot_create_scratch(std::strerror(errno), parent);
        const int lock = ::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (lock < 0) {
            const int error = errno;
            ::rmdir(pattern.c_str());
            cannot_create_scratch(std::strerror(error), parent);
        }
        while (::flock(lock, LOCK_EX) != 0 && errno == EINTR) {
        }
        // Another tool starting at the same moment may have taken it for a
        // stale one before it was locked, and removed it.
        struct stat info {};
        if (::fstat(lock, &info) != 0 || info.st_nlink == 0) {
            ::close(lock);
            continue;
        }
        path_ = pattern;
        lock_ = lock;
        std::memcpy(live_scratch, pattern.c_str(), pattern.size() + 1);
        install_cleanup_handlers();
        return;
    }
    cannot_create_scratch("removed by another tool each time", parent);
}

ScratchFolder::~ScratchFolder() {
    const HeldSignals held;
    std::error_code ignored;
    fs::remove_all(path_, ignored);
    live_scratch[0] = '\0';
    restore_handlers();
    ::close(lock_);
}

void require_writable_folder(const fs::path& folder, const std::string& what) {
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    const auto refuse = [&](const std::string& why) {
        throw CommandFailure(exit_status::cannot_create, what + " '" + folder.string() + "' " + why);
    };
    if (status.type() == fs::file_type::not_found) refuse("does not exist");
    if (!fs::is_directory(status)) refuse("is not a folder");
    if (::access(folder.c_str(), W_OK | X_OK) != 0) refuse("is not writable");
}

void create_missing_folder(const fs::path& folder, const std::string& what) {
    std::error_code error;
    if (fs::symlink_status(folder, error).type() != fs::file_type::not_found) return;
    if (!fs::create_directories(folder, error) && error) {
        throw CommandFailure(exit_status::cannot_create,
                             "cannot create the " + what + " '" + folder.string() + "' (" + error.message() + ")");
    }
}

void require_output_name(const std::string& path) {
    try {
        require_replaceable(path);
    } catch (const FileError& refused) {
        throw CommandFailure(exit_status::cannot_create, refused.what());
    }
}

void write_output(const std::string& path, std::string_view bytes) {
    std::optional<OutputFile> file;
    try {
        file.emplace(path);
    } catch (const FileError& refused) {
        throw CommandFailure(exit_status::cannot_create, refused.what());
    }
    file->write(bytes);
    file->commit();
}

void take_standard_input(Sources& sources, std::istream& in) {
    const bool line = sources.line == "-";
    const bool train = sources.train == "-";
    if (line && train) throw UsageError("--line - and --train - cannot both read standard input");
    if (!line && !train) return;
    std::string text;
    std::array<char, std::size_t{64} * 1024> piece{};
    // Room for the most a description may hold, taken once: only the pages
    // written are used, and the text is never copied as it grows.
    text.reserve(largest_description + piece.size());
    while (in.read(piece.data(), piece.size()) || in.gcount() > 0) {
        text.append(piece.data(), static_cast<std::size_t>(in.gcount()));
        if (text.size() > largest_description) {
            throw CommandFailure(exit_status::bad_data, "standard input holds more than " +
                                                            std::to_string(largest_description >> 20) +
                                                            " MiB, the most a description may hold");
        }
    }
    if (in.bad()) throw CommandFailure(exit_status::cannot_write, "cannot read standard input");
    (line ? sources.lineText : sources.trainText) = std::move(text);
    (line ? sources.line : sources.train) = standard_input_name;
}

void check_names(const Sources& sources, const fs::path& out) {
    const std::pair<const std::string*, const char*> parts[] = {{&sources.title, "--title"},
                                                                {&sources.trainCode, "--train-code"}};
    for (const auto& [value, option] : parts) {
        if (value->find('/') != std::string::npos) {
            throw UsageError(std::string(option) + " cannot hold '/': it becomes part of file names");
        }
    }
    const long limit = ::pathconf(out.c_str(), _PC_NAME_MAX);
    const std::size_t longest = limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
    const ScenarioFiles files{"", '/', sources.title, sources.trainCode};
    const std::string line_name = files.line_description().substr(1);
    const std::string train_name = files.train_description().substr(1);
    if (line_name.size() > longest) {
        throw UsageError("--title is too long for a file name: '" + line_name + "' would be " +
                         std::to_string(line_name.size()) + " bytes, more than the " + std::to_string(longest) +
                         " the output folder allows");
    }
    if (train_name.size() > longest) {
        throw UsageError("--title and --train-code together are too long for a file name: '" + train_name +
                         "' would be " + std::to_string(train_name.size()) + " bytes, more than the " +
                         std::to_string(longest) + " the output folder allows");
    }
}

namespace {

// A description that is not there stays absent in the scratch folder too;
// anything else than a file is refused as such. One read from standard
// input is written there as it came.
void place_copy(const std::string& author_file, const std::optional<std::string>& text, const char* what,
                const std::string& reader_name) {
    if (text) {
        replace_and_write(reader_name, [&text](OutputFile& file) { file.write(*text); });
        return;
    }
    std::error_code error;
    const fs::file_status status = fs::status(author_file, error);
    if (status.type() == fs::file_type::not_found) return;
    const auto refuse = [&](const std::string& why) {
        throw CommandFailure(exit_status::no_input, std::string(what) + " '" + author_file + "' " + why);
    };
    if (fs::is_directory(status)) refuse("is a folder");
    if (!fs::is_regular_file(status)) refuse("is not a regular file");
    if (!fs::copy_file(author_file, reader_name, fs::copy_options::overwrite_existing, error)) {
        refuse("cannot be read (" + error.message() + ")");
    }
}

}  // namespace

Compaction compact(const Sources& sources, const fs::path& out, bool with_geometry, bool keep, ReadObserver* observer) {
    check_names(sources, out);
    const ScenarioFiles outputs{out.string(), '/', sources.title, sources.trainCode};
    std::vector<std::string> kept;
    if (with_geometry) kept.push_back(outputs.line_geometry());
    kept.push_back(outputs.scenario_records());
    kept.push_back(outputs.route_cells());
    if (keep) {
        for (const std::string& path : kept) require_output_name(path);
    }

    ScratchFolder scratch(out);
    const ScenarioFiles files{scratch.path().string(), '/', sources.title, sources.trainCode};
    place_copy(sources.line, sources.lineText, "line description", files.line_description());
    place_copy(sources.train, sources.trainText, "train description", files.train_description());

    Compaction result;
    result.model.title = sources.title;
    result.model.trainCode = sources.trainCode;
    result.lineCopy = files.line_description();
    result.trainCopy = files.train_description();
    result.diagnostics.observer = observer;
    std::int32_t flag = with_geometry ? 1 : 0;
    // The program's report ends the process; here it returns, and the
    // compactor then stops with a StampError before writing anything.
    auto report = [&result](const std::string& number) { result.stamp = std::stoi(number); };
    try {
        memorizza_percorso(result.model, files, flag, report, &result.diagnostics);
    } catch (const StampError& refused) {
        result.stamp = refused.number();
        return result;
    } catch (const NothingToWrite& cannot_write) {
        result.notWritten = cannot_write.what();
        return result;
    }

    for (const std::string& path : kept) {
        const std::string name = fs::path(path).filename().string();
        // Within one file system: each file replaces the earlier one at once.
        if (keep) move_into_place((scratch.path() / name).string(), path);
        result.written.push_back(name);
    }
    return result;
}

}  // namespace scenario::tool
