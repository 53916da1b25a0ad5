// The author's two descriptions as a command names them: paths, or one of
// them read from standard input, and the title and train code that name
// the files made from them.
#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

namespace scenario::tool {

struct Sources {
    std::string line;   // the author's line description (may be missing)
    std::string train;  // the author's train description (may be missing)
    std::string title;
    std::string trainCode;
    // The bytes of the description that was read from standard input; its
    // path is then standard_input_name.
    std::optional<std::string> lineText = {};
    std::optional<std::string> trainText = {};
};

// How a description read from standard input is named in messages.
inline constexpr const char* standard_input_name = "<stdin>";

// The most a description may hold, read from a file or standard input: far
// more than the longest route needs (about 200 KB), so that a file or stream
// without end is refused in bounded memory, before it is compiled.
inline constexpr std::size_t largest_description = std::size_t{64} << 20;

// Reads the description given as "-" (--line - or --train -, not both) from
// `in` into `sources`. A UsageError for both; a CommandFailure when the
// stream fails (cannot_write) or holds more than largest_description
// (bad_data).
void take_standard_input(Sources& sources, std::istream& in);

// The title and the train code become parts of file names: a UsageError
// when either holds a folder separator, or when a name they make would be
// too long for the file system of `out` (or of any, while `out` is missing).
void check_names(const Sources& sources, const std::filesystem::path& out);

}  // namespace scenario::tool
