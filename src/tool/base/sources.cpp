#include "tool/base/sources.h"

#include <array>
#include <istream>
#include <utility>

#include "model/scenario_files.h"
#include "tool/base/exit_status.h"
#include "tool/base/failures.h"
#include "tool/base/os.h"
#include "tool/base/paths.h"

namespace scenario::tool {

namespace fs = std::filesystem;

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
        if (const std::size_t at = value->find_first_of(os::forbidden_in_names); at != std::string::npos) {
            throw UsageError(std::string(option) + " cannot hold '" + value->substr(at, 1) +
                             "': it becomes part of file names");
        }
    }
    const std::size_t longest = os::longest_name(path_text(out));
    const ScenarioFiles files{"", '/', sources.title, sources.trainCode};
    const std::string line_name = files.line_description().substr(1);
    const std::string train_name = files.train_description().substr(1);
    const std::string unit = os::name_length_unit;
    if (const std::size_t length = os::name_length(line_name); length > longest) {
        throw UsageError("--title is too long for a file name: '" + line_name + "' would be " + std::to_string(length) +
                         " " + unit + ", more than the " + std::to_string(longest) + " the output folder allows");
    }
    if (const std::size_t length = os::name_length(train_name); length > longest) {
        throw UsageError("--title and --train-code together are too long for a file name: '" + train_name +
                         "' would be " + std::to_string(length) + " " + unit + ", more than the " +
                         std::to_string(longest) + " the output folder allows");
    }
}

}  // namespace scenario::tool
