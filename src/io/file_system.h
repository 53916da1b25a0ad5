// File access shared by the writers, the reader and the binary files: every
// failure is a FileError naming the file, which the run does not handle.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

namespace scenario {

class FileError : public std::runtime_error {
public:
    FileError(const std::string& what_failed, const std::string& path);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

bool file_exists(const std::string& path);
// Opens the file for binary access, creating it empty when absent, and
// closes it again: afterwards the file exists.
void make_file_exist(const std::string& path);
void delete_file(const std::string& path);
// Deletes the file when it exists; used where a file may already be gone.
void delete_file_if_present(const std::string& path);
std::string read_whole_file(const std::string& path);

// A file opened for writing from its start; closes on destruction.
class OutputFile {
public:
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);
    void close();

private:
    std::string path_;
    std::FILE* file_ = nullptr;
};

// The replace-and-write steps of the binary files: make the file exist,
// delete it, create it again and write the whole content from its start.
// `produce` receives the open file and writes the table into it.
template <typename Produce>
void replace_and_write(const std::string& path, Produce&& produce) {
    make_file_exist(path);
    delete_file(path);
    OutputFile out(path);
    produce(out);
    out.close();
}

}  // namespace scenario
