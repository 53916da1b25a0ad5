#include "tool/base/sources.h"

#include <unistd.h>

#include <array>
#include <climits>
#include <istream>
#include <utility>

#include "model/scenario_files.h"
#include "tool/base/exit_status.h"
#include "tool/base/failures.h"

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

}  // namespace scenario::tool
