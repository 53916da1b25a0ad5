#include "tool/base/wording.h"

#include <algorithm>
#include <cstddef>
#include <string>

namespace scenario::tool {

int edit_distance(std::string_view a, std::string_view b) {
    const std::size_t n = a.size();
    const std::size_t m = b.size();
    // Only small distances matter; texts of very different lengths are far.
    const std::size_t apart = n > m ? n - m : m - n;
    if (apart > 3 || n > 80 || m > 80) return static_cast<int>(std::max<std::size_t>(apart, 4));
    std::vector<std::vector<int>> d(n + 1, std::vector<int>(m + 1, 0));
    for (std::size_t i = 0; i <= n; ++i) d[i][0] = static_cast<int>(i);
    for (std::size_t j = 0; j <= m; ++j) d[0][j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j <= m; ++j) {
            const int change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[n][m];
}

std::string listing(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? " and " : ", ";
        text += items[i];
    }
    return text;
}

std::string ordinal(std::int64_t n) {
    const std::int64_t last_two = (n < 0 ? -n : n) % 100;
    const std::int64_t last = last_two % 10;
    const char* suffix = "th";
    if (last_two < 11 || last_two > 13) {
        suffix = last == 1 ? "st" : last == 2 ? "nd" : last == 3 ? "rd" : "th";
    }
    return std::to_string(n) + suffix;
}

std::string counted(std::int64_t n, std::string_view noun) {
    return std::to_string(n) + " " + std::string(noun) + (n == 1 ? "" : "s");
}

namespace {

// The word without the dashes of an option.
std::string_view bare(std::string_view name) { return name.substr(std::min(name.find_first_not_of('-'), name.size())); }

}  // namespace

std::optional<std::string> nearest_name(std::string_view given, const std::vector<std::string>& names) {
    const int allowed = bare(given).size() <= 4 ? 1 : 2;
    std::optional<std::string> nearest;
    int fewest = allowed + 1;
    for (const std::string& name : names) {
        const int n = edit_distance(given, name);
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
