#include "tool/wording.h"

#include <algorithm>
#include <cstddef>

namespace scenario::tool {

std::string listing(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? " and " : ", ";
        text += items[i];
    }
    return text;
}

namespace {

// Edits between two words, a swap of neighbouring characters counting as one.
std::size_t edits(std::string_view a, std::string_view b) {
    const std::size_t columns = b.size() + 1;
    std::vector<std::size_t> d((a.size() + 1) * columns);
    auto at = [&d, columns](std::size_t i, std::size_t j) -> std::size_t& { return d[i * columns + j]; };
    for (std::size_t i = 0; i <= a.size(); ++i) at(i, 0) = i;
    for (std::size_t j = 0; j <= b.size(); ++j) at(0, j) = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t changed = a[i - 1] == b[j - 1] ? 0 : 1;
            std::size_t best = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + changed});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                best = std::min(best, at(i - 2, j - 2) + 1);
            }
            at(i, j) = best;
        }
    }
    return at(a.size(), b.size());
}

// The word without the dashes of an option.
std::string_view bare(std::string_view name) { return name.substr(std::min(name.find_first_not_of('-'), name.size())); }

}  // namespace

std::optional<std::string> nearest_name(std::string_view given, const std::vector<std::string>& names) {
    const std::size_t allowed = bare(given).size() <= 4 ? 1 : 2;
    std::optional<std::string> nearest;
    std::size_t fewest = allowed + 1;
    for (const std::string& name : names) {
        const std::size_t n = edits(given, name);
        if (n < fewest) {
            fewest = n;
            nearest = name;
        }
    }
    if (nearest) return nearest;
    // A beginning shared with one name only: "comp" for compile.
    if (bare(given).size() < 2) return std::nullopt;
    std::optional<std::string> only;
    for (const std::string& name : names) {
        if (name.size() <= given.size() || name.compare(0, given.size(), given) != 0) continue;
        if (only) return std::nullopt;
        only = name;
    }
    return only;
}

}  // namespace scenario::tool
