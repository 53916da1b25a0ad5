// A fresh folder for one test, whose path holds a space; removed afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace scenario::testing {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    // Names of the regular files in the folder, sorted.
    std::vector<std::string> files() const { return list(path_.string()); }
    static std::vector<std::string> list(const std::string& folder);

private:
    std::filesystem::path path_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

}  // namespace scenario::testing
