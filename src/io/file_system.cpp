// What every system shares: the messages, the temporary names, reading a
// whole file and the buffered writing of an output. The system's own calls are
// in file_system_posix.cpp and file_system_windows.cpp.
#include "io/file_system.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <random>
#include <set>

#include "io/file_system_platform.h"

namespace scenario {

namespace files {

std::string failed(const char* what, int error) {
    const std::string reason = error == ENOENT ? "does not exist"
                               : error != 0    ? std::string(std::strerror(error))
                                               : "unknown error";
    return std::string(what) + " (" + reason + ")";
}

std::string failed(const char* what, const char* reason) { return std::string(what) + " (" + reason + ")"; }

FileError cannot_create(int error, const std::string& path) {
    if (error == ENOENT) return FileError(failed("cannot create", "its folder does not exist"), path);
    return FileError(failed("cannot create", error), path);
}

FileError folder_in_use(const std::string& folder, std::chrono::milliseconds patience) {
    return FileError("cannot start (another run has been working in this folder for " +
                         std::to_string(patience.count() / 1000) + " s)",
                     folder);
}

namespace {

constexpr std::size_t random_length = 6;

}  // namespace

std::string join(const std::string& folder, const std::string& name) {
    const bool ends_in_separator = folder.find_last_of(path_separators) + 1 == folder.size();
    return folder + (ends_in_separator ? "" : std::string(1, path_separators[0])) + name;
}

// ".NAME.XXXXXX.partial" for this NAME, X a letter or a digit.
bool is_temporary_of(std::string_view entry, std::string_view prefix) {
    if (entry.size() != prefix.size() + random_length + temporary_suffix.size() || !entry.starts_with(prefix) ||
        !entry.ends_with(temporary_suffix)) {
        return false;
    }
    const std::string_view letters = entry.substr(prefix.size(), random_length);
    return std::all_of(letters.begin(), letters.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace files

namespace {

using files::failed;

struct Split {
    std::string folder;
    std::string name;
};

Split split(const std::string& path) {
    const std::string::size_type at = path.find_last_of(files::path_separators);
    if (at == std::string::npos) return {".", path};
    return {at == 0 ? path.substr(0, 1) : path.substr(0, at), path.substr(at + 1)};
}

// The name is cut short enough that the temporary name is never the longer
// problem.
constexpr std::size_t longest_kept_name = 200;

std::string temporary_prefix(const std::string& name) {
    std::size_t keep = std::min(name.size(), longest_kept_name);
    while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    std::string prefix(1, '.');
    prefix.append(name, 0, keep);
    prefix += '.';
    return prefix;
}

// The temporary files of each output name are swept once in a process, at
// its first output: a name written again is not looked for again.
bool first_output_to(const std::string& path) {
    static std::set<std::string> swept;
    return swept.insert(path).second;
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
        std::seed_seq seed{entropy[0], entropy[1], files::process_number(), static_cast<std::uint32_t>(now),
                           static_cast<std::uint32_t>(now >> 32)};
        return std::mt19937_64(seed);
    }();
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    std::string text(files::random_length, 'x');
    for (char& c : text) c = letters[pick(engine)];
    return text;
}

constexpr std::size_t buffer_capacity = std::size_t{64} * 1024;

}  // namespace

FileError::FileError(const std::string& what_failed, const std::string& path)
    : std::runtime_error(what_failed + " '" + path + "'"), path_(path) {}

bool file_exists(const std::string& path) { return entry_at(path) == Entry::regular; }

void delete_file_if_present(const std::string& path) {
    if (file_exists(path)) delete_file(path);
}

InputFile::InputFile(const std::string& path, Links links) : path_(path) {
    fd_ = files::open_file_for_reading(path, links);
    const char* not_regular = nullptr;
    if (!files::stat_regular(fd_, size_, not_regular)) {
        const int error = errno;
        files::close_file(fd_);
        throw FileError(failed("cannot open for reading", error), path);
    }
    if (not_regular != nullptr) {
        files::close_file(fd_);
        throw FileError(failed("cannot open for reading", not_regular), path);
    }
}

InputFile::~InputFile() {
    if (fd_ >= 0) files::close_file(fd_);
}

std::size_t InputFile::read(char* into, std::size_t count) {
    const long long n = files::read_some(fd_, into, count);
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

OutputFile::OutputFile(const std::string& path) : path_(path) {
    require_replaceable(path_);
    const Split at = split(path_);
    const std::string prefix = temporary_prefix(at.name);
    if (first_output_to(path_)) files::remove_stale_temporaries(at.folder, prefix);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = files::join(at.folder, prefix + random_letters() + std::string(files::temporary_suffix));
        int error = 0;
        fd_ = files::create_temporary(temporary_, error);
        if (fd_ >= 0) return;
        if (error != EEXIST) {
            temporary_.clear();
            throw files::cannot_create(error, path_);
        }
    }
    temporary_.clear();
    throw FileError(failed("cannot create", "no free temporary name beside it"), path_);
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

void OutputFile::write_at(std::uint64_t offset, std::string_view bytes) {
    if (!buffer_.empty()) {
        write_through(std::string_view(buffer_.data(), buffer_.size()));
        buffer_.clear();
    }
    while (!bytes.empty()) {
        const long long n = files::write_some_at(fd_, bytes.data(), bytes.size(), offset);
        if (n <= 0) throw FileError(failed("cannot write", n < 0 ? errno : ENOSPC), path_);
        bytes.remove_prefix(static_cast<std::size_t>(n));
        offset += static_cast<std::uint64_t>(n);
    }
}

void OutputFile::commit() {
    if (committed_) return;
    if (!buffer_.empty()) {
        write_through(std::string_view(buffer_.data(), buffer_.size()));
        buffer_.clear();
    }
    close_and_put_in_place();
    committed_ = true;
}

void OutputFile::write_through(std::string_view bytes) {
    while (!bytes.empty()) {
        const long long n = files::write_some(fd_, bytes.data(), bytes.size());
        if (n <= 0) throw FileError(failed("cannot write", n < 0 ? errno : ENOSPC), path_);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace scenario
