#include "io/file_system.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstring>

namespace scenario {

namespace {
std::string reason() { return errno != 0 ? std::string(std::strerror(errno)) : std::string("unknown error"); }
}  // namespace

FileError::FileError(const std::string& what_failed, const std::string& path)
    : std::runtime_error(what_failed + " '" + path + "'"), path_(path) {}

bool file_exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void make_file_exist(const std::string& path) {
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (f == nullptr) throw FileError("cannot open for binary access (" + reason() + ")", path);
    std::fclose(f);
}

void delete_file(const std::string& path) {
    errno = 0;
    if (std::remove(path.c_str()) != 0) throw FileError("cannot delete (" + reason() + ")", path);
}

void delete_file_if_present(const std::string& path) {
    if (file_exists(path)) delete_file(path);
}

std::string read_whole_file(const std::string& path) {
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) throw FileError("cannot open for reading (" + reason() + ")", path);
    std::string content;
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) content.append(buffer, n);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) throw FileError("cannot read", path);
    return content;
}

OutputFile::OutputFile(const std::string& path) : path_(path) {
    errno = 0;
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) throw FileError("cannot create (" + reason() + ")", path);
}

OutputFile::~OutputFile() {
    if (file_ != nullptr) std::fclose(file_);
}

void OutputFile::write(std::string_view bytes) {
    if (bytes.empty()) return;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        throw FileError("cannot write (" + reason() + ")", path_);
    }
}

void OutputFile::close() {
    if (file_ == nullptr) return;
    std::FILE* f = file_;
    file_ = nullptr;
    if (std::fclose(f) != 0) throw FileError("cannot close after writing", path_);
}

}  // namespace scenario
