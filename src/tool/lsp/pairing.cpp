#include "tool/lsp/pairing.h"

#include <algorithm>
#include <filesystem>

namespace scenario::tool::lsp {

namespace {

constexpr std::string_view line_ending = "_linea.txt";
constexpr std::string_view train_ending = "-.txt";

bool ends_with(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The train code of a train file of the title, or nothing.
std::optional<std::string> code_of(std::string_view name, std::string_view title) {
    if (role_of(std::string(name)) != Role::train || name.substr(0, title.size() + 1) != std::string(title) + "_") {
        return std::nullopt;
    }
    name.remove_prefix(title.size() + 1);
    name.remove_suffix(train_ending.size());
    return std::string(name);
}

std::string joined(const std::filesystem::path& folder, const std::string& name) { return (folder / name).string(); }

}  // namespace

Role role_of(const std::string& file_name) {
    if (ends_with(file_name, line_ending) && file_name.size() > line_ending.size()) return Role::line;
    if (ends_with(file_name, train_ending) && file_name.find('_') != std::string::npos) return Role::train;
    return Role::other;
}

std::optional<Pair> pair_of(const std::string& path, const std::vector<std::string>& names,
                            const std::vector<std::string>& open_names) {
    const std::filesystem::path p(path);
    const std::filesystem::path folder = p.parent_path();
    const std::string name = p.filename().string();
    const Role role = role_of(name);
    if (role == Role::other) return std::nullopt;
    if (role == Role::line) {
        const std::string title = name.substr(0, name.size() - line_ending.size());
        std::optional<std::string> chosen;
        for (const auto* list : {&open_names, &names}) {
            std::vector<std::string> sorted = *list;
            std::sort(sorted.begin(), sorted.end());
            for (const std::string& candidate : sorted) {
                if (!chosen && code_of(candidate, title)) chosen = candidate;
            }
        }
        const std::string train = chosen.value_or(title + "_" + std::string(train_ending));
        return Pair{path, joined(folder, train), title, *code_of(train, title)};
    }
    // A train: the line whose title is the longest that begins its name (a
    // title may hold "_").
    std::string title;
    for (const auto* list : {&open_names, &names}) {
        for (const std::string& candidate : *list) {
            if (role_of(candidate) != Role::line) continue;
            const std::string t = candidate.substr(0, candidate.size() - line_ending.size());
            if (code_of(name, t) && t.size() > title.size()) title = t;
        }
    }
    if (title.empty()) title = name.substr(0, name.find('_'));
    return Pair{joined(folder, title + std::string(line_ending)), path, title, *code_of(name, title)};
}

}  // namespace scenario::tool::lsp
