#include "tool/base/scenario_folder.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "tool/base/exit_status.h"
#include "tool/base/failures.h"
#include "tool/base/os.h"
#include "tool/base/paths.h"
#include "tool/base/wording.h"

namespace scenario::tool {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view line_suffix = "_linea.txt";
constexpr std::string_view train_suffix = "-.txt";
// A message names this many of the files found, then how many more.
constexpr std::size_t names_shown = 8;

// "; found A, B and 3 more" of the folder's text files, or that there are none.
std::string found(const std::vector<std::string>& names) {
    std::vector<std::string> texts;
    for (const std::string& name : names) {
        if (name.ends_with(".txt")) texts.push_back(name);
    }
    if (texts.empty()) return "; found no .txt file";
    std::sort(texts.begin(), texts.end());
    if (texts.size() > names_shown) {
        const std::size_t more = texts.size() - names_shown + 1;
        texts.resize(names_shown - 1);
        texts.push_back(std::to_string(more) + " more");
    }
    return "; found " + listing(texts);
}

// The middles of the names that begin with `prefix` and end with `suffix`.
std::vector<std::string> middles(const std::vector<std::string>& names, std::string_view prefix,
                                 std::string_view suffix) {
    std::vector<std::string> parts;
    for (const std::string& name : names) {
        if (name.size() >= prefix.size() + suffix.size() && name.starts_with(prefix) && name.ends_with(suffix)) {
            parts.push_back(name.substr(prefix.size(), name.size() - prefix.size() - suffix.size()));
        }
    }
    std::sort(parts.begin(), parts.end());
    return parts;
}

// One kind of file of a scenario folder: the line descriptions, or the train
// descriptions of one title.
struct Kind {
    std::string noun;         // "line description"
    std::string of;           // "", " of 'T'"
    std::string prefix;       // before the part the name gives
    std::string_view suffix;  // after it
    std::string part;         // "TITLE", "CODE": the part in the name expected
    std::string option;       // that chooses among several
};

// The part that `given` names among the names of the kind, or the only one.
std::string chosen(const Kind& kind, const std::string& given, const std::vector<std::string>& names,
                   const std::string& folder) {
    const std::vector<std::string> parts = middles(names, kind.prefix, kind.suffix);
    const std::string in = " in '" + folder + "'";
    const auto name_of = [&kind](const std::string& part) { return kind.prefix + part + std::string(kind.suffix); };
    if (!given.empty()) {
        if (std::find(parts.begin(), parts.end(), given) != parts.end()) return given;
        throw UsageError("no " + kind.noun + " '" + name_of(given) + "'" + in + found(names));
    }
    if (parts.size() == 1) return parts.front();
    if (parts.empty())
        throw UsageError("no " + kind.noun + kind.of + " (" + name_of(kind.part) + ")" + in + found(names));
    std::vector<std::string> candidates;
    candidates.reserve(parts.size());
    for (const std::string& part : parts) candidates.push_back(name_of(part));
    throw UsageError("several " + kind.noun + "s" + kind.of + in + ": " + listing(candidates) + "; choose one with " +
                     kind.option);
}

}  // namespace

ScenarioNames choose_scenario(const std::vector<std::string>& names, const std::string& title,
                              const std::string& train_code, const std::string& folder) {
    ScenarioNames chosen_names;
    chosen_names.title = chosen({"line description", "", "", line_suffix, "TITLE", "--title"}, title, names, folder);
    chosen_names.trainCode = chosen({"train description", " of '" + chosen_names.title + "'", chosen_names.title + "_",
                                     train_suffix, "CODE", "--train-code"},
                                    train_code, names, folder);
    return chosen_names;
}

ScenarioFolder find_scenario(const std::string& folder, const std::string& title, const std::string& train_code) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const auto refuse = [&folder](const std::string& why) {
        throw CommandFailure(exit_status::no_input, "scenario folder '" + folder + "' " + why);
    };
    std::error_code error;
    const fs::file_status status = fs::status(utf8_path(path), error);
    if (status.type() == fs::file_type::not_found) refuse("does not exist");
    if (!fs::is_directory(status)) refuse("is not a folder");
    const std::vector<std::string> names = os::entry_names(path);
    if (names.empty()) {
        // An empty folder, or one that cannot be listed.
        const fs::directory_iterator probe(utf8_path(path), error);
        if (error) refuse("cannot be read (" + error.message() + ")");
    }
    const ScenarioNames chosen_names = choose_scenario(names, title, train_code, folder);
    return {chosen_names.title, chosen_names.trainCode,
            ScenarioFiles{path, '/', chosen_names.title, chosen_names.trainCode}};
}

}  // namespace scenario::tool
