#include "tool/binary/input_file.h"

#include "tool/base/compaction.h"
#include "tool/base/exit_status.h"
#include "tool/base/failures.h"

namespace scenario::tool {

namespace {

std::string size_text(std::uint64_t bytes) { return std::to_string(bytes) + " bytes"; }

}  // namespace

bool name_ends_with(std::string_view name, std::string_view ending) {
    return name.size() >= ending.size() && name.substr(name.size() - ending.size()) == ending;
}

BinaryFile binary_file_kind(const std::string& path, const std::string& as) {
    // An explicit kind first: standard input and renamed copies have no telling name.
    if (as == "sim") return BinaryFile::records;
    if (as == "dat") return BinaryFile::cells;
    if (as == "geometry") return BinaryFile::geometry;
    if (!as.empty()) throw UsageError("--as '" + as + "' is none of sim, dat and geometry");
    if (path == "-") throw UsageError("standard input needs --as sim, --as dat or --as geometry");
    if (name_ends_with(path, "_linea.dat")) return BinaryFile::geometry;
    if (name_ends_with(path, ".sim")) return BinaryFile::records;
    if (name_ends_with(path, ".dat")) return BinaryFile::cells;
    throw UsageError("cannot tell what '" + path +
                     "' holds: its name must end in .sim, .dat or _linea.dat, or give --as sim|dat|geometry");
}

InputFile::InputFile(const std::string& path, BinaryFile kind) {
    if (path == "-") {
        name_ = "standard input";
        open_standard_input(kind);
        // Standard input that is a file in its own right is held to the same
        // bound as a named file; a stream was bounded while it was copied.
        check_size(kind);
        return;
    }
    name_ = path;
    open_named(path);
    check_size(kind);
}

void InputFile::check_size(BinaryFile kind) const {
    const std::uint64_t largest = largest_file_size(kind);
    if (size_ > largest) {
        const std::string held = cut_ ? "more than " + size_text(largest) : size_text(size_);
        throw InputError(exit_status::bad_data, name_ + ": cannot decode: it holds " + held + ", and the largest " +
                                                    binary_file_name(kind) + " file is " + size_text(largest));
    }
}

}  // namespace scenario::tool
