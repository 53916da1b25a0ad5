// A binary file to show or compare, opened so that nothing an author or
// another user puts at its name can make the tool hang or fill memory: only
// a regular file no larger than the largest file of its kind is read, and
// standard input is copied, within the same bound, to an unnamed temporary
// file first.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "compactor/binary_decoding.h"
#include "tool/base/compaction.h"

namespace scenario::tool {

// Why a file cannot be read, with the exit status that says so.
class InputError : public CommandFailure {
public:
    using CommandFailure::CommandFailure;
};

// The kind of a file: `as` ("sim", "dat" or "geometry") when given, else
// the ending of its name (".sim", ".dat", "_linea.dat"). A UsageError when
// neither tells.
BinaryFile binary_file_kind(const std::string& path, const std::string& as);
bool name_ends_with(std::string_view name, std::string_view ending);

class InputFile final : public ByteSource {
public:
    // Opens `path` ("-" for standard input) as a file of `kind`. Throws
    // InputError: a name that does not exist, a folder or anything else that
    // is not a regular file (no_input), or a file larger than its kind allows
    // (bad_data).
    InputFile(const std::string& path, BinaryFile kind);
    ~InputFile() override;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // The name for messages: the path, or "standard input".
    const std::string& name() const { return name_; }
    std::uint64_t size() const override { return size_; }
    // A failed read is an InputError naming the reason.
    void read_at(std::uint64_t offset, char* into, std::size_t n) const override;

private:
    void open_named(const std::string& path);
    void open_standard_input(BinaryFile kind);
    void check_size(BinaryFile kind) const;

    std::string name_;
    int fd_ = -1;
    bool owned_ = true;        // false for standard input read in place
    std::uint64_t start_ = 0;  // where the bytes begin within fd_
    std::uint64_t size_ = 0;
    bool cut_ = false;  // standard input was longer than its kind allows and was not read to its end
};

}  // namespace scenario::tool
